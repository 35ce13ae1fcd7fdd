#pragma once
// The program's own Internet Options: the home page every window starts on,
// and clearing what the engine keeps of the user's browsing.
#include <QDialog>

class Dialogs;
class QCheckBox;
class QLineEdit;
class QPushButton;
class SettingsStore;
class WebViewFactory;

class frmInternetOptions : public QDialog
{
    Q_OBJECT
public:
    frmInternetOptions(QWidget *owner, SettingsStore &store, WebViewFactory &views, Dialogs &dialogs,
                       const QString &currentPage);

    void cmdUseCurrent_Click();
    void cmdUseDefault_Click();
    void cmdUseBlank_Click();
    void cmdClear_Click();
    void cmdOK_Click();

    QLineEdit *txtHomePage;
    QPushButton *cmdUseCurrent;
    QPushButton *cmdUseDefault;
    QPushButton *cmdUseBlank;
    QCheckBox *chkHistory;
    QCheckBox *chkCookies;
    QCheckBox *chkCache;
    QCheckBox *chkStorage;
    QPushButton *cmdClear;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;

private:
    SettingsStore &m_store;
    WebViewFactory &m_views;
    Dialogs &m_dialogs;
    QString m_currentPage;
};
