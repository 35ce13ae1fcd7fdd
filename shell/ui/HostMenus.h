#pragma once
// The host's menu bar: File, Options, Window and Help, each with its
// mnemonic, their items connected to their handlers on the host, and the
// keyboard's ways into the bar that desktop programs have: F10 opens the
// first menu, and Alt pressed and let go alone puts the bar in keyboard mode
// (arrows move along it, Enter or Down opens a menu, Esc leaves it).
#include "browser/ui/KeyMap.h"

class frmMain;

namespace HostMenus {

// Fills the host's menu bar and sets its menu members.
void build(frmMain &host);
// Opens the first menu for the keyboard.
void open(frmMain &host);
// Runs a key's command that is the host's when no browser window has the
// focus (the read-me, the history, reopening a closed window, the menu
// bar); false when the key is not the host's there.
bool runKey(frmMain &host, KeyMap::Command command);

} // namespace HostMenus
