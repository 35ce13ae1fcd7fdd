#pragma once
// The About window: the product, its version and a few credit lines.
#include "common/ui/Forms.h"

#include <QDialog>

class QLabel;
class QPushButton;

class frmAbout : public QDialog, public LoadedForm
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget *owner);
    ~frmAbout() override;

    void Form_Load();
    void Command1_Click();
    void Unload() override { reject(); }
    QWidget *formWidget() override { return this; }
    // The information text as built, lines ending in CR LF.
    const QString &infoText() const { return m_info; }

    QLabel *Image1;
    QLabel *lblTitle;
    QLabel *lblInfo;
    QPushButton *Command1;

private:
    QString m_info;
};
