// Lossless conversion between file-system path bytes and the QString paths the program passes around.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <string>
#include <string_view>

namespace vellumry {

// Linux names are bytes. Valid UTF-8 decodes as usual; every byte that is not part of valid UTF-8
// becomes the lone surrogate U+DC00+byte, so the exact bytes come back from toNativePath().
// File-system calls must use toNativePath(), never QFile::encodeName() or toUtf8(), which lose them.
QString fromNativePath(QByteArrayView bytes);
QByteArray toNativePath(QStringView path);

// The same text with every escaped byte shown as the replacement mark U+FFFD, for labels.
QString displayPath(QStringView path);

// True when the text holds at least one escaped byte (a name that is not valid UTF-8).
bool hasEscapedBytes(QStringView path);

// Appends bytes for a line-oriented listing: tab as \t, newline as \n, backslash as \\, and each byte
// that is not part of valid UTF-8 as \xNN (two lower-case hex digits); everything else unchanged.
void appendEscapedName(std::string &out, std::string_view bytes);

// Joins a folder path and a name with one "/" (none added when the folder already ends in "/").
QByteArray joinNativePath(QByteArrayView folder, QByteArrayView name);

} // namespace vellumry
