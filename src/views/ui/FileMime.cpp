// File URIs and paths for drags and the clipboard.
#include "views/ui/FileMime.h"

#include "platform/NativePath.h"

#include <QMimeData>

namespace vellumry {

using namespace Qt::StringLiterals;

QByteArrayList itemDiskPaths(const ItemList &items)
{
    QByteArrayList paths;
    paths.reserve(items.size());
    for (const IKImageItemRef &item : items) {
        // A folder item's path is the icon it is drawn with: the folder itself is what the user means.
        if (item)
            paths.append(item->bDir() ? item->nativeEntryPath() : item->nativeFilePath());
    }
    return paths;
}

QByteArray uriList(const QByteArrayList &paths)
{
    QByteArray list;
    for (const QByteArray &path : paths)
        list += fileUri(path) + "\r\n";
    return list;
}

QString pathsText(const QByteArrayList &paths)
{
    QStringList lines;
    lines.reserve(paths.size());
    for (const QByteArray &path : paths)
        lines.append(displayPath(fromNativePath(path)));
    return lines.join(u'\n');
}

QMimeData *filesMimeData(const QByteArrayList &paths)
{
    if (paths.isEmpty())
        return nullptr;
    QByteArrayList uris;
    uris.reserve(paths.size());
    for (const QByteArray &path : paths)
        uris.append(fileUri(path));
    auto *data = new QMimeData;
    // Set as bytes: QMimeData::setUrls() would escape the URIs its own way and lose names that are not UTF-8.
    data->setData(u"text/uri-list"_s, uriList(paths));
    data->setData(u"x-special/gnome-copied-files"_s, "copy\n" + uris.join('\n'));
    data->setText(pathsText(paths));
    return data;
}

} // namespace vellumry
