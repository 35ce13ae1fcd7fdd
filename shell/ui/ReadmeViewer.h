#pragma once
// The program's own read-only viewer for its read-me: one window, brought
// forward again with the text as it is now; Esc closes it, as a dialog.
// (The desktop's viewer may report success and show nothing, and the program
// could not tell.)
#include <QPlainTextEdit>

class Dialogs;

class ReadmeViewer : public QPlainTextEdit
{
    Q_OBJECT
public:
    // Shows the file in the host's viewer, making it when there is none; a
    // file that cannot be read whole is told, not shown cut short.
    static void showFile(QWidget *host, const QString &path, Dialogs &dialogs);
    // The program's readme.txt in `programDir`; a missing one is told.
    static void showProgramReadme(QWidget *host, const QString &programDir, Dialogs &dialogs);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    explicit ReadmeViewer(QWidget *host);
};
