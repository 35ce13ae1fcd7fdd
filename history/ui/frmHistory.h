#pragma once
// The History window: the pages visited, newest first, under the day they
// were visited on; a search field that narrows the list to the pages whose
// address or title hold every word typed. Enter or a double click opens the
// page (the host opens it in the window that asked for the History window),
// Delete takes the selected pages out of the history, Esc closes the window.
// The list asks the store and follows its changes.
#include <QDate>
#include <QWidget>

#include "history/core/HistoryTypes.h"

class HistoryStore;
class QLabel;
class QLineEdit;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

class frmHistory : public QWidget
{
    Q_OBJECT
public:
    frmHistory(HistoryStore &store, QWidget *owner);

    // Shows the window in front with the focus in its search field.
    void showForSearch();
    // The list again from the store, as the search field asks.
    void refresh();
    // The addresses of the pages the list holds now, in order.
    QStringList addresses() const;

    QLineEdit *txtSearch;
    QTreeWidget *lstHistory;
    QLabel *lblStatus;

signals:
    void openRequested(const QString &address);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QTreeWidgetItem *dayItem(const QDate &day, int pages);
    void addPages(QTreeWidgetItem *day, const HistoryPages &found, bool groupByDay);
    void loadDay(QTreeWidgetItem *day);
    void loadMore(QTreeWidgetItem *more);
    void onActivated(QTreeWidgetItem *item);
    void removeSelected();
    void showStatus();

    HistoryStore &m_store;
    QTimer *m_refreshSoon;
    // Each list asked for is numbered; answers to an older one are dropped.
    quint64 m_generation = 0;
    QString m_searched;
    bool m_placed = false;
};
