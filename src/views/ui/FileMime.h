// The data of files leaving the program: dragged out of a file view, or put on the clipboard.
#pragma once

#include "model/IKImageItem.h"

#include <QByteArrayList>
#include <QString>

class QMimeData;

namespace vellumry {

// Where each item lies on disk, in order: a folder item's folder, any other item's file. Exact bytes.
QByteArrayList itemDiskPaths(const ItemList &items);

// text/uri-list of absolute paths: one fileUri() a line, each line ended by CRLF. Any name survives.
QByteArray uriList(const QByteArrayList &paths);

// The paths as text: their display form, one a line, no newline after the last.
QString pathsText(const QByteArrayList &paths);

// What a file manager offers when it drags or copies files: text/uri-list, x-special/gnome-copied-files
// ("copy", then the URIs, separated by "\n") and text/plain with the paths. Null for no paths; the caller
// owns the result (or hands it to a drag or the clipboard).
QMimeData *filesMimeData(const QByteArrayList &paths);

} // namespace vellumry
