#pragma once
// Printing a page: on a printer set up in the system's print dialog, or to a
// PDF file. The page's own window.print() comes here too. Failures are told
// in a message box over the page's window.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class Dialogs;
class QPageLayout;
class QPageRanges;
class QPrinter;
class QWebEngineView;

class PagePrinter : public QObject
{
    Q_OBJECT
public:
    PagePrinter(QWebEngineView *view, Dialogs &dialogs);
    ~PagePrinter() override;

    // Asks for a printer and prints; one job at a time. A printer that is a
    // PDF file gets the engine's own PDF.
    void print();
    // Writes the page to path; pdfSaved tells how it went.
    void saveAsPdf(const QString &path);
    bool isBusy() const { return m_printer != nullptr || !m_pdfPath.isEmpty(); }

signals:
    void printed(bool ok);
    void pdfSaved(const QString &path, bool ok);

private:
    void report(const QString &text);
    void writePdf(const QString &path, const QPageLayout &layout, const QPageRanges &ranges,
                  std::function<void(bool ok)> done);

    QWebEngineView *m_view;
    Dialogs &m_dialogs;
    std::unique_ptr<QPrinter> m_printer;
    QString m_pdfPath;
};
