#pragma once
// The favorites editor: a modal dialog without a title bar over the window
// that opened it. It reads the file once, works on its own list, and writes
// the list back on "Done"; closing it any other way writes nothing.
#include "favorites/core/FavoritesFile.h"

#include <QDialog>

class Dialogs;
class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class frmEditFavs : public QDialog
{
    Q_OBJECT
public:
    frmEditFavs(QWidget *owner, Dialogs &dialogs);

    void Form_Load();
    void lstFavs_ItemClick(QTreeWidgetItem *item);
    void lstFavs_ColumnClick(int column);
    void cmdUpdate_Click();
    void cmdRemove_Click();
    void cmdMoveUp_Click();
    void cmdMoveDown_Click();
    void cmdDone_Click();
    // Bookmark files of other browsers: an import adds to the list, which
    // reaches the file on Done like any edit; an export writes the list as
    // it stands.
    void mnuImport_Click();
    void mnuExport_Click();

    // The rows as they stand, in display order.
    QList<FavoriteEntry> rows() const;
    // 1-based number of the selected row; 0 when none is.
    int selectedRow() const;
    const QString &userName() const { return m_userName; }
    // True when the file could not be read (the list shows nothing that
    // could be written back) or may not be changed: nothing is written.
    bool isReadOnly() const { return m_readOnly; }

    QTreeWidget *lstFavs;
    QGroupBox *fraUpdate;
    QLabel *lblCaption0;
    QLineEdit *txtTitle;
    QLabel *lblCaption1;
    QLineEdit *txtURL;
    QPushButton *cmdUpdate;
    QPushButton *cmdMoveUp;
    QPushButton *cmdMoveDown;
    QPushButton *cmdRemove;
    QPushButton *cmdDone;
    QPushButton *cmdMore;
    QAction *mnuImport;
    QAction *mnuExport;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void LoadFavoritesList();
    // Shows why, and lets nothing reach the file: Done only closes.
    void openReadOnly(const QString &why);
    void swapRows(int s, int n);

    Dialogs &m_dialogs;
    QString m_userName;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    bool m_filling = false;
    bool m_readOnly = false;
};
