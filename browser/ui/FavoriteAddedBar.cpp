#include "browser/ui/FavoriteAddedBar.h"

#include "common/ui/Dialogs.h"
#include "favorites/core/FavoritesFile.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

FavoriteAddedBar::FavoriteAddedBar(Dialogs &dialogs, QWidget *parent)
    : PageBar(QStringLiteral("favoriteAddedBar"), QStringLiteral("#e8f0fe"), QStringLiteral("#9db4e0"), parent),
      txtTitle(new QLineEdit(this)), lblAddress(new QLabel(this)),
      cmdDone(new QPushButton(QStringLiteral("Done"), this)), cmdUndo(new QPushButton(QStringLiteral("Undo"), this)),
      m_dialogs(dialogs)
{
    auto *caption = new QLabel(QStringLiteral("Added to Favorites:"), this);
    caption->setBuddy(txtTitle);
    txtTitle->setAccessibleName(QStringLiteral("Title of the favorite"));
    lblAddress->setTextFormat(Qt::PlainText);
    lblAddress->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblAddress->setMinimumWidth(40);
    lblAddress->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    cmdDone->setDefault(true);
    // Two rows: a browser window is often narrow, and the title is there to
    // be read and changed, not squeezed between the buttons.
    auto *rows = new QVBoxLayout(this);
    rows->setContentsMargins(8, 3, 4, 3);
    rows->setSpacing(2);
    auto *titleRow = new QHBoxLayout;
    titleRow->addWidget(caption);
    titleRow->addWidget(txtTitle, 1);
    titleRow->addWidget(cmdDismiss);
    auto *addressRow = new QHBoxLayout;
    addressRow->addWidget(lblAddress, 1);
    addressRow->addWidget(cmdDone);
    addressRow->addWidget(cmdUndo);
    rows->addLayout(titleRow);
    rows->addLayout(addressRow);
    connect(txtTitle, &QLineEdit::returnPressed, this, &FavoriteAddedBar::done);
    connect(cmdDone, &QPushButton::clicked, this, &FavoriteAddedBar::done);
    connect(cmdUndo, &QPushButton::clicked, this, &FavoriteAddedBar::undo);
}

void FavoriteAddedBar::showAdded(const QString &address, const QString &title)
{
    m_address = address;
    m_title = Favorites::neutraliseTitle(title);
    txtTitle->setText(m_title);
    lblAddress->setText(address);
    lblAddress->setToolTip(address);
    show();
    txtTitle->setFocus(Qt::OtherFocusReason);
    txtTitle->selectAll();
}

void FavoriteAddedBar::done()
{
    const QString title = txtTitle->text().trimmed();
    if (!title.isEmpty() && Favorites::neutraliseTitle(title) != m_title)
        rewrite(&title);
    finish();
}

void FavoriteAddedBar::undo()
{
    rewrite(nullptr);
    finish();
}

void FavoriteAddedBar::rewrite(const QString *title)
{
    const QString user = Favorites::CurrentUserName();
    QString error;
    QList<FavoriteEntry> entries = Favorites::ReadFavoritesForEditor(user, &error);
    // The line added last with this page and title; the file may have
    // changed meanwhile (the editor, another window), so it is looked for.
    qsizetype at = -1;
    for (qsizetype i = entries.size() - 1; i >= 0 && at < 0 && error.isEmpty(); --i)
        if (entries[i].URL == m_address && entries[i].Title == m_title)
            at = i;
    if (at < 0) {
        if (error.isEmpty())
            error = QStringLiteral("The favorite \"%1\" is no longer in the favorites.").arg(m_title);
    } else {
        if (title) {
            entries[at].Title = *title;
        } else {
            entries.removeAt(at);
        }
        if (Favorites::RewriteFavorites(user, entries, &error)) {
            m_title = title ? Favorites::neutraliseTitle(*title) : QString();
            emit favoritesChanged();
            return;
        }
    }
    m_dialogs.message(window(), QMessageBox::Warning, QStringLiteral("Favorites"), error);
}

