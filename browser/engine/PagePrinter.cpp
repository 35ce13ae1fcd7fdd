#include "browser/engine/PagePrinter.h"

#include "common/ui/Dialogs.h"

#include <QPageLayout>
#include <QPageRanges>
#include <QPointer>
#include <QPrinter>
#include <QSaveFile>
#include <QWebEnginePage>
#include <QWebEngineView>

PagePrinter::PagePrinter(QWebEngineView *view, Dialogs &dialogs)
    : QObject(view), m_view(view), m_dialogs(dialogs)
{
    connect(view, &QWebEngineView::printFinished, this, [this](bool ok) {
        m_printer.reset();
        if (!ok)
            report(QStringLiteral("The page could not be printed."));
        emit printed(ok);
    });
    connect(view, &QWebEngineView::printRequested, this, &PagePrinter::print);
}

PagePrinter::~PagePrinter() = default;

// The view, not its window, owns what is shown here: a window closed while
// its print dialog is up keeps its view until the dialog has returned.
void PagePrinter::report(const QString &text)
{
    m_dialogs.message(m_view, QMessageBox::Warning, QStringLiteral("Print"), text);
}

void PagePrinter::print()
{
    if (isBusy()) {
        report(QStringLiteral("This page is still being printed."));
        return;
    }
    m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (!m_dialogs.setUpPrinter(m_view, m_printer.get())) {
        m_printer.reset();
        return;
    }
    // "Print to File (PDF)": the engine writes the PDF itself, with the
    // page's text and in the paper size and orientation chosen, where
    // printing through the printer would paint every page as a picture.
    if (m_printer->outputFormat() == QPrinter::PdfFormat && !m_printer->outputFileName().isEmpty()) {
        const QString path = m_printer->outputFileName();
        const QPageLayout layout = m_printer->pageLayout();
        const QPageRanges ranges = m_printer->pageRanges();
        m_printer.reset();
        writePdf(path, layout, ranges, [this](bool ok) { emit printed(ok); });
        return;
    }
    // The engine renders the page and reports in printFinished.
    m_view->print(m_printer.get());
}

void PagePrinter::saveAsPdf(const QString &path)
{
    if (isBusy()) {
        report(QStringLiteral("This page is still being printed."));
        emit pdfSaved(path, false);
        return;
    }
    writePdf(path, QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()), {},
             [this, path](bool ok) { emit pdfSaved(path, ok); });
}

void PagePrinter::writePdf(const QString &path, const QPageLayout &layout, const QPageRanges &ranges,
                           std::function<void(bool)> done)
{
    m_pdfPath = path;
    // The engine hands the document over whole; it is written here through a
    // temporary file, so a file already there keeps its bytes on any failure.
    QPointer<PagePrinter> self(this);
    m_view->page()->printToPdf(
        [self, path, done = std::move(done)](const QByteArray &pdf) {
            if (!self)
                return;
            self->m_pdfPath.clear();
            QString error;
            if (pdf.isEmpty()) {
                error = QStringLiteral("the page could not be rendered");
            } else {
                QSaveFile file(path);
                if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit())
                    error = file.errorString();
            }
            if (!error.isEmpty())
                self->report(QStringLiteral("The page could not be saved as \"%1\": %2.").arg(path, error));
            done(error.isEmpty());
        },
        layout, ranges);
}
