#include "browser/ui/KeyMap.h"

#include "browser/ui/WebView.h"
#include "browser/ui/frmBrowser.h"

#include <QApplication>
#include <QKeyEvent>
#include <iterator>

namespace {
enum class Match {
    Exactly,     // these modifiers and no others
    ShiftOrNot,  // Ctrl++ comes as "+" with Shift on most layouts, as "=" without
    Any,         // whatever is held with it
};

// Who sees the key first: the program, or the page when it has the focus.
enum class First { Program, Page };

struct Binding
{
    int key;
    Qt::KeyboardModifiers modifiers;
    Match match;
    KeyMap::Command command;
    First first;
};

using C = KeyMap::Command;
constexpr Qt::KeyboardModifiers None = Qt::NoModifier;
constexpr Qt::KeyboardModifiers Ctrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers Alt = Qt::AltModifier;
const Qt::KeyboardModifiers CtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

const Binding bindings[] = {
    {Qt::Key_F1, None, Match::Any, C::ReadMe, First::Program},
    {Qt::Key_F4, Alt, Match::Exactly, C::Quit, First::Program},
    {Qt::Key_L, Ctrl, Match::Exactly, C::FocusAddress, First::Program},
    {Qt::Key_F6, None, Match::Exactly, C::FocusAddress, First::Program},
    {Qt::Key_F5, None, Match::Exactly, C::Reload, First::Page},
    {Qt::Key_R, Ctrl, Match::Exactly, C::Reload, First::Page},
    {Qt::Key_Escape, None, Match::Exactly, C::Escape, First::Program},
    {Qt::Key_Left, Alt, Match::Exactly, C::Back, First::Program},
    {Qt::Key_Right, Alt, Match::Exactly, C::Forward, First::Program},
    {Qt::Key_Home, Alt, Match::Exactly, C::Home, First::Program},
    {Qt::Key_W, Ctrl, Match::Exactly, C::Close, First::Program},
    {Qt::Key_F4, Ctrl, Match::Exactly, C::Close, First::Program},
    {Qt::Key_Tab, Ctrl, Match::Exactly, C::NextWindow, First::Program},
    {Qt::Key_Tab, CtrlShift, Match::Exactly, C::PreviousWindow, First::Program},
    {Qt::Key_Backtab, CtrlShift, Match::Exactly, C::PreviousWindow, First::Program},
    {Qt::Key_F10, None, Match::Exactly, C::MenuBar, First::Program},
    {Qt::Key_D, Ctrl, Match::Exactly, C::AddFavorite, First::Page},
    {Qt::Key_F, Ctrl, Match::Exactly, C::Find, First::Page},
    {Qt::Key_P, Ctrl, Match::Exactly, C::Print, First::Page},
    {Qt::Key_M, Ctrl, Match::Exactly, C::Minimize, First::Page},
    {Qt::Key_H, Ctrl, Match::Exactly, C::History, First::Page},
    {Qt::Key_Plus, Ctrl, Match::ShiftOrNot, C::ZoomIn, First::Page},
    {Qt::Key_Equal, Ctrl, Match::ShiftOrNot, C::ZoomIn, First::Page},
    {Qt::Key_Minus, Ctrl, Match::ShiftOrNot, C::ZoomOut, First::Page},
    {Qt::Key_Underscore, Ctrl, Match::ShiftOrNot, C::ZoomOut, First::Page},
    {Qt::Key_0, Ctrl, Match::Exactly, C::ZoomReset, First::Page},
    {Qt::Key_T, CtrlShift, Match::Exactly, C::ReopenClosed, First::Program},
};

const Binding *bindingFor(int key, Qt::KeyboardModifiers modifiers)
{
    // The keypad's keys are the same keys.
    const Qt::KeyboardModifiers m = modifiers & ~Qt::KeypadModifier;
    for (const Binding &b : bindings) {
        if (b.key != key)
            continue;
        const bool matches = b.match == Match::Any
                             || (b.match == Match::Exactly && m == b.modifiers)
                             || (b.match == Match::ShiftOrNot && (m & ~Qt::ShiftModifier) == b.modifiers);
        if (matches)
            return &b;
    }
    return nullptr;
}
} // namespace

std::optional<KeyMap::Command> KeyMap::commandFor(int key, Qt::KeyboardModifiers modifiers)
{
    if (const Binding *b = bindingFor(key, modifiers))
        return b->command;
    return std::nullopt;
}

bool KeyMap::isPageFirst(int key, Qt::KeyboardModifiers modifiers)
{
    const Binding *b = bindingFor(key, modifiers);
    return b && b->first == First::Page;
}

KeyMap::KeyMap(QWidget *host, std::function<bool(Command)> hostCommand)
    : QObject(host), m_host(host), m_hostCommand(std::move(hostCommand))
{
    qApp->installEventFilter(this);
}

KeyMap::~KeyMap()
{
    qApp->removeEventFilter(this);
}

bool KeyMap::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || m_stopped)
        return false;
    // A key event travels up from the focused widget; take it once, at its
    // first receiver, and only in the host's own window.
    QWidget *focus = QApplication::focusWidget();
    if (watched != focus || focus->window() != m_host->window())
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (frmBrowser *window = frmBrowser::containing(focus)) {
        // The page sees it first; what it leaves comes back through the
        // window's page view (frmBrowser::wb_KeyNotTaken).
        if (isPageFirst(key->key(), key->modifiers()) && window->wb->hasPageFocus())
            return false;
        return window->Form_KeyDown(key->key(), key->modifiers());
    }
    const std::optional<Command> command = commandFor(key->key(), key->modifiers());
    return command && m_hostCommand && m_hostCommand(*command);
}
