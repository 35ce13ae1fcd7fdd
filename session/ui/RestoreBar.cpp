#include "session/ui/RestoreBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

RestoreBar::RestoreBar(const QList<WindowRecord> &windows, bool choose, QWidget *parent)
    : QFrame(parent), m_windows(windows), m_text(new QLabel(this)), m_restore(new QPushButton(this)),
      m_dismiss(new QToolButton(this))
{
    // A light yellow, as a notice over a page: the window's own greys are
    // set for its whole client area, so the bar names its colours itself.
    setObjectName(QStringLiteral("restoreBar"));
    setStyleSheet(QStringLiteral("#restoreBar { background: #fff4c8; border: 1px solid #c8b878; }"
                                 "#restoreBar QLabel { color: black; }"));

    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_restore->setText(QStringLiteral("&Restore"));
    m_restore->setAutoDefault(true);
    m_dismiss->setText(QStringLiteral("\u00D7"));
    m_dismiss->setToolTip(QStringLiteral("Dismiss"));
    m_dismiss->setAccessibleName(QStringLiteral("Dismiss"));
    m_dismiss->setAutoRaise(true);

    auto *row = new QHBoxLayout;
    row->addWidget(m_text, 1);
    row->addWidget(m_restore);
    row->addWidget(m_dismiss);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(6, 3, 3, 3);
    column->addLayout(row);

    if (choose) {
        m_text->setText(QStringLiteral("Lumeno did not close properly twice while restoring windows. "
                                       "Choose the windows to restore:"));
        m_list = new QListWidget(this);
        // Bottom of the stack last, so that the list reads front to back.
        for (qsizetype i = windows.size() - 1; i >= 0; --i) {
            const WindowRecord &w = windows[i];
            auto *item = new QListWidgetItem(w.title.isEmpty() ? w.address : w.title, m_list);
            item->setToolTip(w.address);
            item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            item->setCheckState(Qt::Unchecked);
            item->setData(Qt::UserRole, int(i));
        }
        m_list->setMaximumHeight(m_list->sizeHintForRow(0) * qMin<qsizetype>(windows.size(), 6) + 6);
        column->addWidget(m_list);
    } else {
        m_text->setText(QStringLiteral("Lumeno did not close properly. Restore %1 windows?").arg(windows.size()));
    }

    connect(m_restore, &QPushButton::clicked, this, [this] {
        QList<WindowRecord> picked;
        if (!m_list) {
            picked = m_windows;
        } else {
            // In the order of the stack, whatever the list shows.
            QList<int> chosen;
            for (int row = 0; row < m_list->count(); ++row)
                if (m_list->item(row)->checkState() == Qt::Checked)
                    chosen.append(m_list->item(row)->data(Qt::UserRole).toInt());
            std::sort(chosen.begin(), chosen.end());
            for (int i : chosen)
                picked.append(m_windows[i]);
        }
        hide();
        emit restore(picked);
        deleteLater();
    });
    connect(m_dismiss, &QToolButton::clicked, this, [this] {
        hide();
        emit dismissed();
        deleteLater();
    });
}

void RestoreBar::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_dismiss->click();
        return;
    }
    QFrame::keyPressEvent(event);
}
