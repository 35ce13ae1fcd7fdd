#include "shell/ui/frmAbout.h"

#include "common/ui/Twips.h"

#include <QLabel>
#include <QPushButton>

using Twips::arial;

namespace {
QPoint at(int left, int top)
{
    return {Units::toPixels(left), Units::toPixels(top)};
}
} // namespace

frmAbout::frmAbout(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                         | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
{
    setWindowTitle(QStringLiteral("About Lumeno 2.0"));
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(Units::toPixels(6075), Units::toPixels(3060));
    setFont(arial(9.75, false));

    Image1 = new QLabel(this);
    Image1->setPixmap(QPixmap(QStringLiteral(":/lumeno.xpm")));
    Image1->setGeometry(QRect(at(180, 180), QSize(32, 32)));

    lblTitle = new QLabel(QStringLiteral("Lumeno 2.0"), this);
    lblTitle->setFont(arial(12, true));
    lblTitle->move(at(840, 180));
    lblTitle->adjustSize();

    lblInfo = new QLabel(this);
    lblInfo->setTextFormat(Qt::PlainText);
    lblInfo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblInfo->move(at(810, 540));

    Command1 = new QPushButton(QStringLiteral("Close"), this);
    Command1->setGeometry(QRect(at(3420, 2580), QSize(Units::toPixels(1365), Units::toPixels(405))));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);
    Forms::add(this);
}

frmAbout::~frmAbout()
{
    Forms::remove(this);
}

void frmAbout::Form_Load()
{
    const QString crlf = QStringLiteral("\r\n");
    m_info = QStringLiteral("Version %1.%2").arg(LUMENO_VERSION_MAJOR).arg(LUMENO_VERSION_MINOR) + crlf;
    m_info += QStringLiteral("Copyright \u00A9 2026 The Lumeno developers") + crlf + crlf;
    m_info += QStringLiteral("Website: http://www.lumeno.example/") + crlf;
    m_info += QStringLiteral("E-Mail Support: support@lumeno.example") + crlf + crlf;
    m_info += QStringLiteral("Based on Qt WebEngine (Chromium) technology.") + crlf;
    // A label breaks lines at LF; the CR would show as a stray mark.
    QString shown = m_info;
    shown.remove(QLatin1Char('\r'));
    lblInfo->setText(shown.trimmed());
    lblInfo->adjustSize();
}

void frmAbout::Command1_Click()
{
    accept();
}
