#pragma once
// The program's own Internet Options: the home page every window starts on,
// the search address the address box sends words to, and clearing what the
// program and the engine keep of the user's browsing.
#include <QDialog>

class Dialogs;
class HistoryStore;
class QCheckBox;
class QLineEdit;
class QPushButton;
class SettingsStore;
class WebViewFactory;

class frmInternetOptions : public QDialog
{
    Q_OBJECT
public:
    // history: the pages visited, cleared with the browsing history; none
    // where the program keeps none.
    frmInternetOptions(QWidget *owner, SettingsStore &store, WebViewFactory &views, Dialogs &dialogs,
                       const QString &currentPage, HistoryStore *history = nullptr);

    void cmdUseCurrent_Click();
    void cmdUseDefault_Click();
    void cmdUseBlank_Click();
    void cmdClear_Click();
    void cmdOK_Click();

    QLineEdit *txtHomePage;
    QLineEdit *txtSearch;
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
    HistoryStore *m_history;
};
