// The item lists of the loaded folders.
#include "model/FileLists.h"

#include "platform/NativePath.h"

namespace vellumry {

ItemList &FileLists::listForKind(FileKind kind)
{
    switch (kind) {
    case FileKind::Image:
        return imageFilesItemArray;
    case FileKind::Audio:
        return audioFilesItemArray;
    case FileKind::Video:
        return videoFilesItemArray;
    case FileKind::Document:
        return documentFilesItemArray;
    case FileKind::Archive:
        return archiveFilesItemArray;
    case FileKind::InstallPackage:
    case FileKind::Other:
    case FileKind::Application:
    case FileKind::Folder:
        break;
    }
    return otherFilesItemArray;
}

void FileLists::clear()
{
    for (ItemList *list : {&filesItemArray, &imageFilesItemArray, &audioFilesItemArray, &videoFilesItemArray,
                           &documentFilesItemArray, &archiveFilesItemArray, &otherFilesItemArray,
                           &currentViewItemArray})
        list->clear();
}

} // namespace vellumry

namespace vellumry {

namespace {

QByteArray parentPath(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray(slash == 0 ? "/" : "") : path.left(slash);
}

} // namespace

FileLists::Applied FileLists::applyTreeChanges(const TreeChanges &changes, const QByteArrayList &mainFolders)
{
    Applied applied;
    QHash<QByteArray, const TreeChange *> present; // existing paths, the last word for each
    QSet<QByteArray> gone;
    QSet<QByteArray> touchedFolders; // folders whose items may be concerned
    for (const TreeChange &change : changes) {
        if (change.exists) {
            present.insert(change.path, &change);
            gone.remove(change.path);
        } else {
            gone.insert(change.path);
            present.remove(change.path);
            touchedFolders.insert(change.path);
        }
        touchedFolders.insert(parentPath(change.path));
    }
    // Whether a path is gone or lies below a gone folder.
    const auto isGone = [&gone](QByteArray path) {
        while (!path.isEmpty() && path != "/") {
            if (gone.contains(path))
                return true;
            path = parentPath(path);
        }
        return false;
    };

    // Per scan folder: whether its items can be concerned at all (most are not).
    QHash<const ScanFolder *, bool> concerned;
    QHash<QByteArray, ScanFolderRef> folderRefs; // for new items: the folder record already in use
    QSet<QByteArray> known;                      // paths that have an item
    QSet<const IKImageItem *> removed;
    const auto visit = [&](const IKImageItemRef &item) {
        const ScanFolder *folder = item->scanFolder();
        if (!item->hasPathOverride() && folder) {
            auto it = concerned.find(folder);
            if (it == concerned.end()) {
                bool relevant = touchedFolders.contains(folder->path) || isGone(folder->path);
                it = concerned.insert(folder, relevant);
                if (relevant)
                    folderRefs.insert(folder->path, item->scanFolderRef());
            }
            if (!*it)
                return;
        }
        const QByteArray path = item->nativeEntryPath();
        if (isGone(path)) {
            if (!removed.contains(item.data())) {
                removed.insert(item.data());
                applied.removed.append(item);
            }
            return;
        }
        known.insert(path);
        if (const TreeChange *change = present.value(path); change && !change->isFolder && !item->bDir()
            && item->updateFromDisk(change->size, change->birthSeconds))
            applied.updated.append(item);
    };
    for (const IKImageItemRef &item : std::as_const(filesItemArray))
        visit(item);
    for (const IKImageItemRef &item : std::as_const(currentViewItemArray)) {
        if (item->bDir())
            visit(item);
    }

    if (!removed.isEmpty()) {
        const auto leaves = [&removed](const IKImageItemRef &item) { return removed.contains(item.data()); };
        for (ItemList *list : {&filesItemArray, &imageFilesItemArray, &audioFilesItemArray, &videoFilesItemArray,
                               &documentFilesItemArray, &archiveFilesItemArray, &otherFilesItemArray,
                               &currentViewItemArray})
            list->removeIf(leaves);
    }

    QSet<QByteArray> mains;
    for (const QByteArray &folder : mainFolders)
        mains.insert(withoutTrailingSlashes(folder));
    for (const TreeChange &change : changes) {
        if (!change.exists || present.value(change.path) != &change || known.contains(change.path))
            continue;
        const QByteArray parent = parentPath(change.path);
        const bool topLevel = mains.contains(parent);
        if (change.isFolder && !topLevel)
            continue; // folders are listed only at the top level; their files come as changes of their own
        ScanFolderRef &folder = folderRefs[parent];
        if (!folder)
            folder = ScanFolderRef(new ScanFolder(parent));
        const QByteArray name = change.path.mid(parent.size() + (parent.endsWith('/') ? 0 : 1));
        IKImageItemRef item;
        if (change.isFolder) {
            item = IKImageItem::makeFolder(folder, name);
        } else {
            const FileKind kind = kindForFileName(std::string_view(name.constData(), size_t(name.size())));
            item = IKImageItem::makeEntry(folder, name, kind, change.size, change.birthSeconds);
            filesItemArray.append(item);
            listForKind(kind).append(item);
        }
        if (topLevel)
            currentViewItemArray.append(item);
        known.insert(change.path);
        applied.added.append(item);
    }
    return applied;
}

} // namespace vellumry
