#pragma once
// The whole program, as main() runs it: the command line, one Lumeno per
// user and display, the host with its windows, and the end.
#include <functional>

class frmMain;

// Runs Lumeno and returns its exit status. `started`, when given, is called
// once the host is shown and its event loop runs (the tests open dialogs
// there, as a user would).
int runLumeno(int argc, char *argv[], const std::function<void(frmMain &host)> &started = {});
