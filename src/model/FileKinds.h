// The kinds the program sorts files into, the extension tables behind them and the lookups on those tables.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QtGlobal>

#include <optional>
#include <string_view>

namespace vellumry {

enum class FileKind : quint8
{
    Image,
    Audio,
    Video,
    Document,
    Archive,
    InstallPackage,
    Other,
    Application,
    Folder
};

// The name shown for a kind: "Image", "Audio", "Video", "Document", "Archive", "Install Package", "Other",
// "Application" or "Folder". Never translated; saved settings and listings use these names.
QString kindName(FileKind kind);
// The kind with exactly this name (letter case counts), or nothing.
std::optional<FileKind> kindFromName(QStringView name);

// The extension tables. Each one is a list of C strings closed by an empty string, in a fixed order:
// the lookups below report positions in these lists.
extern const char *const kImageTypes[];
extern const char *const kVideoTypes[];
extern const char *const kAudioTypes[];
extern const char *const kDocumentTypes[];
extern const char *const kArchiveTypes[];
extern const char *const kInstallPackageTypes[];

// Each lookup takes a NUL-terminated UTF-8 extension without its leading point and returns the 0-based
// position of the first table entry equal to it, ignoring the letter case of ASCII letters only, or -1.
// A null pointer and the empty extension match nothing.
int GetImageType(const char *ext);
int GetVideoType(const char *ext);
int GetAudioType(const char *ext);
int GetDocumentType(const char *ext);
int GetArchiveType(const char *ext);
int GetInstallPackageType(const char *ext);

// A new list holding the entries of the image, video, audio, document and archive tables, in that order,
// each table in its own order and with its repeated entries kept. Install packages are not in it.
QStringList GetImageArray();

// The extension of a file name: the bytes after its last '.', or empty when there is no '.' or the
// name ends in one.
std::string_view extensionOf(std::string_view name);

// The kind a file with this extension gets: the first of the image, audio, video, document, archive and
// install package tables that holds it, otherwise Other. Gives the same answer as trying the lookups above
// in that order, but in constant time. Like them it reads the extension up to its first NUL byte, if any.
FileKind kindForExtension(std::string_view ext);
// kindForExtension(extensionOf(name)).
FileKind kindForFileName(std::string_view name);

} // namespace vellumry
