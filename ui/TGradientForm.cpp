#include "TGradientForm.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>

TGradientForm::TGradientForm(QWidget *parent, Qt::WindowFlags flags) : QWidget(parent, flags | Qt::Window) {}

int TGradientForm::ShowModal()
{
    m_modalResult = mrNone;
    setWindowModality(Qt::ApplicationModal);
    show();
    QEventLoop loop;
    m_loop = &loop;
    loop.exec();
    m_loop = nullptr;
    return m_modalResult;
}

void TGradientForm::setModalResult(int result)
{
    m_modalResult = result;
    close();
}

void TGradientForm::closeEvent(QCloseEvent *event)
{
    if (m_modalResult == mrNone)
        m_modalResult = mrCancel;
    if (m_loop)
        m_loop->quit();
    QWidget::closeEvent(event);
}

void TGradientForm::centerOnScreen()
{
    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}
