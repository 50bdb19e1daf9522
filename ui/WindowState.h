#pragma once
// Shows a window where it was when it last closed (size, place, maximised)
// and keeps that in a state file whenever it closes. The file lives beside
// the settings file, so the settings keep the shape other programs expect.
#include <QObject>
#include <QString>

class TGradientForm;

class WindowState : public QObject {
public:
    // `window` is watched, not owned; the state lives as its child.
    WindowState(TGradientForm &window, QString path);

    // "zandolet.ini" -> "zandolet.state", in the same folder.
    static QString pathBeside(const QString &settingsPath);

    // Shows the window as it last closed, kept on a screen; the first time,
    // or when no screen shows its caption any more, at its default size in
    // the middle of the screen.
    void show();
    // Writes the window's state now; a failure is not reported (the next
    // start is merely at the default place).
    void save() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TGradientForm &m_window;
    QString m_path;
};
