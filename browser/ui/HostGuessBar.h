#pragma once
// After one word was searched for, a bar above the page offers the local
// machine of that name when the system knows one: "Did you mean
// http://word/?" with a button to go there. The name is looked up without
// waiting (the system's resolver, through Qt Network); the bar shows only
// once it answers, and only if the window has not gone elsewhere meanwhile.
#include "browser/ui/PageBar.h"
#include <QUrl>

class QLabel;
class QPushButton;
class QHostInfo;

class HostGuessBar : public PageBar
{
    Q_OBJECT
public:
    explicit HostGuessBar(QWidget *parent);

    // Looks the guess's host up, and offers it if the system resolves it.
    void offer(const QUrl &guess);
    // Forgets any offer, shown or still being looked up.
    void withdraw();
    QUrl guess() const { return m_guess; }

    QLabel *text;
    QPushButton *cmdOpen;

signals:
    void accepted(const QUrl &guess);

protected:
    void dismiss() override { withdraw(); }

private:
    void onLookedUp(const QHostInfo &info);

    QUrl m_guess;
    int m_lookup = -1;
};
