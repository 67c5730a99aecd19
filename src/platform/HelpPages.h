// Where the product page and the support page are found.
#pragma once

#include <QString>
#include <QUrl>

namespace vellumry {

// The address of a page ("Vellumry.html", "support.html"): on the web site the build named, when it
// named one; otherwise the file installed with the program, <prefix>/share/vellumry/docs/<page> beside
// <prefix>/bin; otherwise the copy in the source tree the program was built from. An empty URL when the
// page is nowhere.
QUrl helpPageUrl(const QString &page, const QString &programFolder, const QString &webSite);
// The same for the running program and the web site chosen at build time.
QUrl helpPageUrl(const QString &page);

} // namespace vellumry
