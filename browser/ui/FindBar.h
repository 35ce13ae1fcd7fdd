#pragma once
// The find bar of a browser window: a text to look for in the page, how many
// times it is there and which one is shown, Enter for the next, Shift+Enter
// for the previous, Esc to close. It looks through a finder it is given, so
// that it knows nothing of the engine.
#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QToolButton;

class FindBar : public QWidget
{
    Q_OBJECT
public:
    // active is 1-based; total 0 means no match. Called once per search.
    using Result = std::function<void(int active, int total)>;
    // An empty text ends the search and its highlighting.
    using Finder = std::function<void(const QString &text, bool backward, Result done)>;

    FindBar(Finder finder, QWidget *parent);

    // Shows the bar with its text selected and the focus in it.
    void open();
    // Hides it and ends the search; the page keeps the focus.
    void close();
    void findNext();
    void findPrevious();

    QString text() const;
    // What the bar shows about the matches, e.g. "3 of 12".
    QString matches() const;

    QLineEdit *txtFind;
    QLabel *lblMatches;
    QToolButton *cmdPrevious;
    QToolButton *cmdNext;
    QToolButton *cmdCloseFind;

signals:
    void closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void search(bool backward);
    void showResult(int active, int total);

    Finder m_finder;
    // Each search is numbered; a late answer to an older one is dropped.
    quint64 m_search = 0;
};
