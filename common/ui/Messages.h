#pragma once
// Message boxes, through one door, so that tests can see what would be shown
// instead of waiting on a modal box.
#include <QMessageBox>
#include <functional>

namespace Messages {

using Handler = std::function<void(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                   const QString &text)>;

// A modal box with an OK button.
void show(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text);
// Replaces the boxes; an empty handler brings them back.
void setHandler(Handler handler);

// A box that holds nothing up: shown, closed by OK or after closeAfterMs,
// then `closed` runs. For what must be told while the program ends.
void showWithoutWaiting(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text,
                        int closeAfterMs, std::function<void()> closed);

using QuestionHandler = std::function<bool(QWidget *parent, const QString &title, const QString &text)>;
// A modal Yes/No question, No by default; true for Yes.
bool ask(QWidget *parent, const QString &title, const QString &text);
// Replaces the questions; an empty handler brings them back.
void setQuestionHandler(QuestionHandler handler);

} // namespace Messages
