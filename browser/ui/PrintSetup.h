#pragma once
// The system's print dialog through one door, so that tests can print to a
// file without a modal loop.
#include <functional>

class QPrinter;
class QWidget;

namespace PrintSetup {

// Sets up the printer; false when the user cancelled.
using Handler = std::function<bool(QWidget *parent, QPrinter *printer)>;

bool ask(QWidget *parent, QPrinter *printer);
// Replaces the dialog; an empty handler brings it back.
void setHandler(Handler handler);

} // namespace PrintSetup
