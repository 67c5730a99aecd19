// Plans for the batch rename: a new name for each selected file, built from the names of the folders
// above it or from a typed text, in the file's own folder.
#pragma once

#include "reorganise/BatchExecutor.h"

namespace vellumry {

enum class RenameMode
{
    ParentFolderName,
    PathComponents,
    Text
};
enum class RenameVariant
{
    AddToBeginning,
    AddToEnd,
    Replace
};

struct RenameOptions
{
    RenameMode mode = RenameMode::ParentFolderName;
    RenameVariant variant = RenameVariant::AddToBeginning;
    int depth = 1;   // folders used in PathComponents mode, 1 to 5
    QString text;    // Text mode, AddToBeginning / AddToEnd
    QString find;    // Text mode, Replace: literal and case-sensitive, on the base name only
    QString replace; // what every occurrence of `find` becomes
};

struct RenameSource
{
    QByteArray path;
    int itemIndex = -1;      // position in the shown list; the numbered form carries it
    bool folderItem = false; // a folder view's item: never renamed (its path is the folder icon)
    bool throughLink = false; // found below a link to a folder: never renamed (it lies elsewhere)
};

// The new file name (no folder), or an empty name and the reason the file keeps its own.
struct NewName
{
    QByteArray name;
    QString skipReason;
};

// The name's base and extension: the extension is what follows the last '.', unless that '.' is the
// first byte (".profile" has none). Without an extension the base is the whole name; with one,
// base + "." + extension gives the name back.
struct NameParts
{
    QByteArray base;
    QByteArray extension;
};
NameParts splitName(const QByteArray &name);

// The folder names above `path` from the nearest outward, `count` of them. Past the root they read "/";
// a relative path runs out into empty names.
QList<QByteArray> parentComponents(const QByteArray &path, int count);

// Refused: a component that is empty or "/", a name holding '/' or a NUL byte, "." or "..", a name
// longer than 255 bytes, and a name equal to the current one.
NewName newNameFor(const QByteArray &path, const RenameOptions &options);

// One step per source, in order, each target in the file's own folder. A target taken (on disk, or by
// an earlier step, counting the names earlier steps vacate) becomes "base i.ext" with i the item's index;
// when that is taken too the file is skipped. Folder items are skipped.
Plan planRename(const QList<RenameSource> &sources, const RenameOptions &options);

} // namespace vellumry
