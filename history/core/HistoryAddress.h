#pragma once
// Which addresses the history keeps, and in which form.
#include <QString>
#include <QUrl>

namespace HistoryAddress {

// Pages on the web and files: http, https, ftp and file. Not the program's
// own pages (qrc:, its start page), nor data:, about:, blob:, javascript:,
// view-source:, nor the engine's error pages (chrome-error:): they are no
// place a person would look for again, and a data: address can hold a whole
// page. The engine shows its error page at the address that failed, so the
// caller records only loads that succeeded. Addresses longer than
// LongestAddress are left out too: they carry data, not a place, and would
// crowd the suggestions.
bool isRecordable(const QUrl &url);
constexpr qsizetype LongestAddress = 8192;

// The form kept and compared: without a password (which must not be written
// to disk), with "/" as the path of a web address that has none, so that
// "http://example.org" and "http://example.org/" are one page, and decoded
// where that is unambiguous, as it is shown.
QString normalized(const QUrl &url);

} // namespace HistoryAddress
