#pragma once
// The script that tells the program when the user has typed into a page (a
// form field, a text area, editable content), so that a window holding text
// not yet sent is never frozen or discarded, and so that the session writes
// the page again with what was typed. The engine's own record of form
// input is not kept in this version (a page typed into is still recommended
// for discarding), hence a script of our own.
#include <QString>

namespace TypingScript {

// The name the script is kept under in a page's script collection.
QString name();
// The script for a page whose report carries `token`. It runs in a world of its
// own in every frame, so the page can neither see the token nor remove it.
QString source(const QString &token);
// Whether a console message is the report carrying `token`.
bool isReport(const QString &message, const QString &token);

} // namespace TypingScript
