#include "common/ui/ModalLoops.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QWidget>

namespace ModalLoops {

namespace {
struct Running
{
    quint64 id;
    QPointer<QDialog> dialog;
    QPointer<QWidget> owner;
};

struct Going
{
    QPointer<QWidget> widget;
    std::function<void()> gone;
    bool done = false;
};

QList<Running> &running()
{
    static QList<Running> list;
    return list;
}

// Kept until the widget is destroyed, so that nothing opens for it while it
// waits for its deletion.
QList<Going> &going()
{
    static QList<Going> list;
    return list;
}

bool &ending()
{
    static bool value = false;
    return value;
}

// Parents are followed across windows: a dialog opened from a window's
// dialog still waits for the window.
bool inside(const QWidget *widget, const QWidget *outer)
{
    for (const QWidget *w = widget; w; w = w->parentWidget())
        if (w == outer)
            return true;
    return false;
}

bool refused(const QWidget *owner)
{
    if (ending())
        return true;
    for (const Going &g : std::as_const(going()))
        if (g.widget && inside(owner, g.widget))
            return true;
    return false;
}

// Lets go what no loop waits for any more. `gone` may close or open other
// things, so the list is looked at afresh after each call.
void settle()
{
    for (qsizetype i = 0; i < going().size();) {
        Going &g = going()[i];
        if (!g.widget) {
            going().removeAt(i);
            continue;
        }
        if (!g.done && !busy(g.widget)) {
            g.done = true;
            const std::function<void()> gone = g.gone;
            if (gone)
                gone();
            i = 0;
            continue;
        }
        ++i;
    }
}
} // namespace

int exec(QDialog &dialog, QWidget *owner)
{
    if (refused(owner))
        return QDialog::Rejected;
    static quint64 next = 0;
    const quint64 id = ++next;
    running().append({id, &dialog, owner});
    const int result = dialog.exec();
    running().removeIf([id](const Running &r) { return r.id == id; });
    settle();
    return result;
}

bool busy(const QWidget *widget)
{
    for (const Running &r : std::as_const(running()))
        if (r.owner && inside(r.owner, widget))
            return true;
    return false;
}

void release(QWidget *widget, std::function<void()> gone)
{
    going().append({widget, std::move(gone)});
    // Closing a dialog ends its loop, which returns once the loops above it
    // have; settle() then sees the widget free.
    const QList<Running> now = running();
    for (const Running &r : now)
        if (r.dialog && r.owner && inside(r.owner, widget))
            r.dialog->reject();
    settle();
}

void endWithoutQuestions()
{
    ending() = true;
}

bool endingWithoutQuestions()
{
    return ending();
}

} // namespace ModalLoops
