#pragma once
// The host's menu bar: File, Options, Window and Help with their items, each
// item connected to its handler on the host.
class frmMain;

namespace HostMenus {

// Fills the host's menu bar and sets its menu members.
void build(frmMain &host);

} // namespace HostMenus
