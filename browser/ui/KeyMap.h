#pragma once
// The program's keys: which key press stands for which command, and the
// routing that hands a key typed anywhere in the host's window to the
// browser window it was typed in. Keys typed in another window (a dialog a
// browser window opened, a viewer) are that window's own.
//
// Two kinds of keys. The keys that protect the person (close, new window,
// switch window, the address box, quit, help, the menu bar) are the
// program's: taken before the control that has the focus sees them, the
// page too. The keys a page may want for itself (find, print, reload, add
// favorite, zoom, minimize, history) go to the page first when the page has
// the focus; the engine hands back a key the page did not take (nor called
// preventDefault() on) and only then does the window act on it. Typed
// anywhere else in the window, they act at once.
#include <QObject>
#include <functional>
#include <optional>

class KeyMap : public QObject
{
    Q_OBJECT
public:
    enum class Command {
        ReadMe,
        Quit,
        FocusAddress,
        Reload,
        Escape,
        Back,
        Forward,
        Home,
        Close,
        NextWindow,
        PreviousWindow,
        AddFavorite,
        Find,
        Print,
        ZoomIn,
        ZoomOut,
        ZoomReset,
        Minimize,
        History,
        MenuBar,
        ReopenClosed,
    };

    // The command a key press stands for, if any.
    static std::optional<Command> commandFor(int key, Qt::KeyboardModifiers modifiers);
    // Whether the key is one a page may take before the program acts on it.
    static bool isPageFirst(int key, Qt::KeyboardModifiers modifiers);

    // Watches the keys typed in the window of `host`. A key typed in a
    // browser window goes to that window's Form_KeyDown; elsewhere in the
    // host, its command goes to `hostCommand`. Either returns whether it took
    // the key, so that nothing else sees it.
    KeyMap(QWidget *host, std::function<bool(Command)> hostCommand);
    ~KeyMap() override;
    // Stops taking keys, for good (the host is going).
    void stop() { m_stopped = true; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_host;
    std::function<bool(Command)> m_hostCommand;
    bool m_stopped = false;
};
