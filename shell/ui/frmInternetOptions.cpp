#include "shell/ui/frmInternetOptions.h"

#include "browser/ui/WebView.h"
#include "common/ui/Dialogs.h"
#include "history/core/AddressInput.h"
#include "history/core/HistoryStore.h"
#include "shell/core/Settings.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmInternetOptions::frmInternetOptions(QWidget *owner, SettingsStore &store, WebViewFactory &views, Dialogs &dialogs,
                                       const QString &currentPage, HistoryStore *history)
    : QDialog(owner), m_store(store), m_views(views), m_dialogs(dialogs), m_currentPage(currentPage),
      m_history(history)
{
    setWindowTitle(QStringLiteral("Internet Options"));
    setWindowModality(Qt::ApplicationModal);

    auto *home = new QGroupBox(QStringLiteral("Home page"), this);
    txtHomePage = new QLineEdit(m_store.GetSetting(Settings::AppName, Settings::InternetSection,
                                                   Settings::KeyHomePage, QString()),
                                home);
    txtHomePage->setPlaceholderText(QStringLiteral("(the built-in start page)"));
    txtHomePage->setMinimumWidth(320);
    cmdUseCurrent = new QPushButton(QStringLiteral("Use &Current"), home);
    cmdUseCurrent->setEnabled(!m_currentPage.isEmpty());
    cmdUseCurrent->setToolTip(m_currentPage);
    cmdUseDefault = new QPushButton(QStringLiteral("Use &Default"), home);
    cmdUseBlank = new QPushButton(QStringLiteral("Use &Blank"), home);
    auto *homeRows = new QVBoxLayout(home);
    auto *addressRow = new QHBoxLayout;
    addressRow->addWidget(new QLabel(QStringLiteral("&Address:"), home));
    addressRow->addWidget(txtHomePage, 1);
    static_cast<QLabel *>(addressRow->itemAt(0)->widget())->setBuddy(txtHomePage);
    homeRows->addLayout(addressRow);
    auto *useRow = new QHBoxLayout;
    useRow->addStretch(1);
    useRow->addWidget(cmdUseCurrent);
    useRow->addWidget(cmdUseDefault);
    useRow->addWidget(cmdUseBlank);
    homeRows->addLayout(useRow);

    auto *search = new QGroupBox(QStringLiteral("Search from the address box"), this);
    txtSearch = new QLineEdit(Settings::searchAddress(m_store), search);
    txtSearch->setToolTip(QStringLiteral("A web address with %s where the words typed go"));
    auto *searchRow = new QHBoxLayout(search);
    auto *searchLabel = new QLabel(QStringLiteral("&Search address:"), search);
    searchLabel->setBuddy(txtSearch);
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(txtSearch, 1);

    auto *data = new QGroupBox(QStringLiteral("Browsing data"), this);
    chkHistory = new QCheckBox(QStringLiteral("Browsing &history"), data);
    chkCookies = new QCheckBox(QStringLiteral("C&ookies"), data);
    chkCache = new QCheckBox(QStringLiteral("Cac&he"), data);
    chkStorage = new QCheckBox(QStringLiteral("&Site storage"), data);
    chkHistory->setChecked(true);
    chkCache->setChecked(true);
    cmdClear = new QPushButton(QStringLiteral("C&lear Now"), data);
    auto *grid = new QGridLayout(data);
    grid->addWidget(chkHistory, 0, 0);
    grid->addWidget(chkCookies, 0, 1);
    grid->addWidget(chkCache, 1, 0);
    grid->addWidget(chkStorage, 1, 1);
    grid->addWidget(cmdClear, 0, 2, 2, 1, Qt::AlignRight | Qt::AlignVCenter);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto *all = new QVBoxLayout(this);
    all->addWidget(home);
    all->addWidget(search);
    all->addWidget(data);
    all->addLayout(buttons);
    setFixedSize(sizeHint());

    connect(cmdUseCurrent, &QPushButton::clicked, this, &frmInternetOptions::cmdUseCurrent_Click);
    connect(cmdUseDefault, &QPushButton::clicked, this, &frmInternetOptions::cmdUseDefault_Click);
    connect(cmdUseBlank, &QPushButton::clicked, this, &frmInternetOptions::cmdUseBlank_Click);
    connect(cmdClear, &QPushButton::clicked, this, &frmInternetOptions::cmdClear_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmInternetOptions::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmInternetOptions::cmdUseCurrent_Click()
{
    txtHomePage->setText(m_currentPage);
}

void frmInternetOptions::cmdUseDefault_Click()
{
    txtHomePage->clear();
}

void frmInternetOptions::cmdUseBlank_Click()
{
    txtHomePage->setText(QStringLiteral("about:blank"));
}

void frmInternetOptions::cmdClear_Click()
{
    QStringList done = m_views.clearBrowsingData(chkHistory->isChecked(), chkCookies->isChecked(),
                                                 chkCache->isChecked(), chkStorage->isChecked());
    if (chkHistory->isChecked() && m_history) {
        m_history->clear();
        done.prepend(QStringLiteral("The history of the pages visited was cleared."));
    }
    m_dialogs.message(this, QMessageBox::Information, QStringLiteral("Internet Options"),
                      done.isEmpty() ? QStringLiteral("Nothing was selected to clear.") : done.join('\n'));
}

void frmInternetOptions::cmdOK_Click()
{
    // A search address that is none would send the words typed nowhere, or
    // run them: it is said so, and nothing is stored until it is mended.
    const QString searchAddress = txtSearch->text().trimmed();
    if (!searchAddress.isEmpty() && !AddressInput::isSearchTemplate(searchAddress)) {
        m_dialogs.message(this, QMessageBox::Warning, QStringLiteral("Internet Options"),
                          QStringLiteral("The search address must be a web address (http or https) with %s "
                                         "where the words go, such as %1")
                              .arg(AddressInput::defaultSearchTemplate()));
        txtSearch->setFocus(Qt::OtherFocusReason);
        return;
    }
    // Empty gives the default again; an unchanged one is not written.
    if (searchAddress != Settings::searchAddress(m_store))
        m_store.SaveSetting(Settings::AppName, Settings::InternetSection, Settings::KeySearchAddress, searchAddress);
    m_store.SaveSetting(Settings::AppName, Settings::InternetSection, Settings::KeyHomePage,
                        txtHomePage->text().trimmed());
    accept();
}
