#pragma once
// The host's status bar: five panels addressed 1 to 5, with bevels, minimum
// widths and a spring, a click event per panel and a mouse-up event.
#include <QFrame>
#include <QStatusBar>
#include <array>


class StatusBarPanel : public QFrame
{
    Q_OBJECT
public:
    enum Bevel { NoBevel = 0, Inset = 1, Raised = 2 };

    StatusBarPanel(int index, QWidget *parent);
    int Index() const { return m_index; }
    QString text() const { return m_text; }
    void setText(const QString &text);
    Bevel bevel() const { return m_bevel; }
    void setBevel(Bevel bevel);
    void setPicture(const QPixmap &picture);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The panel draws its own picture and text, so that a new text repaints
    // the panel alone, and the bar is laid out again only when the text's
    // width changes.
    int textWidth() const;

    int m_index;
    Bevel m_bevel = NoBevel;
    QPixmap m_picture;
    QString m_text;
};

class StatusBar : public QStatusBar
{
    Q_OBJECT
public:
    explicit StatusBar(QWidget *parent);
    // 1-based, as the panels are numbered.
    StatusBarPanel *Panels(int index) const { return m_panels.at(index - 1); }

signals:
    void PanelClick(StatusBarPanel *panel);
    void MouseUp();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    std::array<StatusBarPanel *, 5> m_panels{};
};
