#pragma once
// The main window: five pages of record fields and look-ups, built from the
// field catalogue. Each subsystem's handlers live in that subsystem's folder.
#include "IFields.h"
#include "RecordKind.h"
#include "TGradientForm.h"

#include <QHash>
#include <QPointer>
#include <functional>
#include <memory>

class IPrompter;
class QComboBox;
class QLabel;
class QTabWidget;
class RecordStore;
class HelpWindow;

class TForm1 : public TGradientForm, public IFields {
    Q_OBJECT
public:
    // `settingsPath`: the settings file; `prompter`: where boxes go (not owned).
    TForm1(QString settingsPath, IPrompter *prompter, QWidget *parent = nullptr);
    ~TForm1() override;

    // The settings file path of the running program: its own path with ".ini".
    static QString defaultSettingsPath();

    const QString &settingsPath() const { return m_settingsPath; }
    IPrompter &prompter() const { return *m_prompter; }
    RecordStore &store() const { return *m_store; }

    // Settings of the "Setup" section.
    QString smtpServer() const { return m_server; }
    QString senderAddress() const { return m_senderAddress; }
    QString senderName() const { return m_senderName; }
    QString mailto() const { return m_mailto; }

    // Any control by its control name; nullptr when there is none.
    QWidget *control(const QString &name) const { return m_controls.value(name); }
    template <class T> T *control(const QString &name) const { return qobject_cast<T *>(control(name)); }

    // Runs an event handler: an error that reaches it is shown in an error box.
    void guarded(const std::function<void()> &handler);

    // IFields
    QString text(const QString &field) const override;
    void setText(const QString &field, const QString &text) override;
    QString selectedEntry(const QString &combo) const override;
    bool isChecked(const QString &radio) const override;
    void check(const QString &radio) override;
    bool isEnabled(const QString &field) const override;
    void setEnabled(const QString &field, bool enabled) override;
    QString caption(const QString &label) const override;
    void setCaption(const QString &label, const QString &caption) override;
    QStringList items(const QString &combo) const override;
    void setItems(const QString &combo, const QStringList &items) override;
    int selectedIndex(const QString &combo) const override;

    // Menu handlers.
    void Setup2Click();
    void Exit1Click();
    void Help2Click();
    void About1Click();
    // Opens the help topic of a context number (0: contents).
    void showHelp(int context);

    // Start-up load and close.
    void FormCreate();
    void FormClose();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildWindow();
    QWidget *buildRecordPages(RecordKind kind);
    QWidget *buildInnerPage(RecordKind kind, const QString &caption);
    QWidget *buildReviewPage(RecordKind kind);
    QWidget *buildLookUpPage(bool whois);
    void registerControl(QWidget *w, const QString &name);
    void connectRecordHandlers();
    void connectCombo(QComboBox *combo, const std::function<void()> &onUserChange);
    // The control under the keyboard focus' help context number, or 0.
    int focusedHelpContext() const;

    QString m_settingsPath;
    IPrompter *m_prompter;
    std::unique_ptr<RecordStore> m_store;
    QHash<QString, QWidget *> m_controls;
    QHash<QString, int> m_pickedIndex;   // combo -> entry the user picked, -1 after typing
    QHash<QWidget *, QString> m_cancelButtonOfPage;
    QTabWidget *m_pages = nullptr;
    QPointer<HelpWindow> m_help;

    QString m_server;
    QString m_senderAddress;
    QString m_senderName;
    QString m_mailto;
    bool m_closing = false;
};
