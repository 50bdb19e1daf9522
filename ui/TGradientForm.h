#pragma once
// Base of the main window and its dialogs. Shows modally with a result the
// way the original forms did (`ShowModal`), without QDialog's own Escape
// handling, which would fight the pages' cancel buttons.
#include <QWidget>

class QEventLoop;

class TGradientForm : public QWidget {
    Q_OBJECT
public:
    enum ModalResult { mrNone = 0, mrOk = 1, mrCancel = 2 };

    explicit TGradientForm(QWidget *parent = nullptr, Qt::WindowFlags flags = {});

    // Shows the form application-modal and returns when it is closed.
    int ShowModal();
    int modalResult() const { return m_modalResult; }
    // Sets the result and closes a modal form.
    void setModalResult(int result);

    // Places the window in the middle of its screen.
    void centerOnScreen();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    int m_modalResult = mrNone;
    QEventLoop *m_loop = nullptr;
};
