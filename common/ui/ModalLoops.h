#pragma once
// Every dialog that waits for its answer in an event loop of its own (exec)
// runs through here. Such a loop runs on top of the code that opened the
// dialog, and that code goes on once it returns: the widget it belongs to
// must still be there then. So a form that goes while a dialog of its own is
// up closes that dialog and is let go only once its loop has returned; and
// when the program ends without questions no new dialog is shown at all.
#include <functional>

class QDialog;
class QWidget;

namespace ModalLoops {

// Shows the dialog and waits for its answer, for `owner`: the widget whose
// code waits (a dialog opened from another dialog is owned inside it).
// Answers QDialog::Rejected at once, showing nothing, for an owner that is
// going or while the program ends without questions.
int exec(QDialog &dialog, QWidget *owner);

// Whether a dialog is waiting for `widget` or a widget inside it (windows
// of its own included).
bool busy(const QWidget *widget);

// `widget` is going: the dialogs waiting for it are closed, no new one opens
// for it, and `gone` runs once the last of their loops has returned, at once
// when none runs. Deleting it there is safe.
void release(QWidget *widget, std::function<void()> gone);

// The program ends without asking anything: from now on every dialog is
// answered Rejected without being shown.
void endWithoutQuestions();
bool endingWithoutQuestions();

} // namespace ModalLoops
