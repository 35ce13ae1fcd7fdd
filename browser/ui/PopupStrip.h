#pragma once
// The small navigation strip of a window a page opened: Back, Forward,
// Reload, Stop, and the page's real address, read-only, with whether the
// connection to it is secure. The window's page decides what the buttons do.
#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;
class QUrl;

class PopupStrip : public QWidget
{
    Q_OBJECT
public:
    explicit PopupStrip(QWidget *parent);

    // The address shown, and "Secure" for a page that came over https (the
    // window shows no page whose certificate failed), "Not secure" for one
    // that came over plain http; nothing for other addresses.
    void showAddress(const QUrl &url);
    void setLoading(bool loading);

    QToolButton *cmdBack;
    QToolButton *cmdForward;
    QToolButton *cmdReload;
    QToolButton *cmdStop;
    QLabel *lblSecurity;
    QLineEdit *txtAddress;

signals:
    void backClicked();
    void forwardClicked();
    void reloadClicked();
    void stopClicked();

private:
    QToolButton *button(const char *name, const char *picture, const QString &text);
};
