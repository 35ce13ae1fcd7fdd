#pragma once
// Shown over a page whose site could not prove who it is: what is wrong and
// for which host, "Go back" as the default, and "Continue to this site" only
// where the engine allows going on.
#include <QFrame>

class QLabel;
class QPushButton;

class CertificatePrompt : public QFrame
{
    Q_OBJECT
public:
    CertificatePrompt(const QString &host, const QString &problem, bool overridable, QWidget *parent);

    QPushButton *goBack;
    QPushButton *proceed; // null where the error cannot be overridden

signals:
    void goBackChosen();
    void proceedChosen();

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
