// One scanned entry (file, folder or application bundle), shared by every list that holds it.
#pragma once

#include "model/FileKinds.h"

#include <QByteArray>
#include <QExplicitlySharedDataPointer>
#include <QList>
#include <QSharedData>
#include <QString>
#include <QVariant>

#include <memory>

namespace vellumry {

class IKImageItem;
using IKImageItemRef = QExplicitlySharedDataPointer<IKImageItem>;
using ItemList = QList<IKImageItemRef>;

// The folder a scanned entry lies in. Every item of a folder shares one of these, so a million
// items do not each carry a copy of their folder's path.
class ScanFolder : public QSharedData
{
public:
    explicit ScanFolder(QByteArray nativePath, bool throughLink = false)
        : path(std::move(nativePath)), reachedThroughLink(throughLink)
    {
    }
    const QByteArray path; // exact path bytes
    // The path goes through a symbolic link to a folder that the scan followed: the entries are
    // listed under a path that is not their real one.
    const bool reachedThroughLink;
};
using ScanFolderRef = QExplicitlySharedDataPointer<ScanFolder>;

// The resource path every folder item carries as its path: the folder icon.
QString folderIconPath();

// How the icon browser should load an item's picture.
enum class RepresentationType {
    Path,          // load the file itself as an image
    QuickLookPath, // ask for a thumbnail (or the icon) of the path
};
QString representationTypeName(RepresentationType type); // "IKImageBrowserPathRepresentationType", ...

// Items are made by the scan and then owned by the main thread; a worker that needs a path takes a
// copy of the text. The texts are formed when asked (size and date from the numbers, the path from
// the shared folder and the name), so an item holds little more than its name.
class IKImageItem : public QSharedData
{
public:
    IKImageItem();
    ~IKImageItem();
    IKImageItem(const IKImageItem &) = delete;
    IKImageItem &operator=(const IKImageItem &) = delete;

    static IKImageItemRef create() { return IKImageItemRef(new IKImageItem); }

    // The scan's constructors: a file or application bundle inside `folder`, or a sub-folder item.
    static IKImageItemRef makeEntry(ScanFolderRef folder, QByteArray name, FileKind kind, quint64 size,
                                    std::optional<qint64> birthSeconds);
    static IKImageItemRef makeFolder(ScanFolderRef parent, QByteArray name);

    // Fields. Paths and names are lossless QStrings (see platform/NativePath.h).
    QString filePath() const;
    void setFilePath(const QString &path);
    QString fileType() const;
    void setFileType(const QString &type);
    bool bhasCopy() const { return m_flags & BHasCopy; }
    void setBhasCopy(bool value);
    QString hasCopy() const;
    void setHasCopy(const QString &value);
    QString fileName() const;
    void setFileName(const QString &name);
    QVariant fileNode() const;
    void setFileNode(const QVariant &node);
    quint64 filesizenum() const { return m_size; }
    void setFilesizenum(quint64 size);
    QString fileSize() const;
    void setFileSize(const QString &text);
    QString modifDate() const;
    void setModifDate(const QString &text);
    bool bDir() const { return m_flags & BDir; }
    void setBDir(bool value);
    ItemList childrenArray() const;
    void setChildrenArray(const ItemList &children);

    // Icon-browser item operations.
    QString imageUID() const { return filePath(); }
    RepresentationType imageRepresentationType() const;
    QString imageRepresentation() const { return filePath(); }
    QString imageTitle() const { return fileName(); }

    // Cheaper forms for hot paths.
    FileKind kind() const { return m_kind; } // meaningful when fileType() is one of the kind names
    QByteArray nativeFilePath() const;       // exact bytes of filePath()
    const QByteArray &nativeFileName() const { return m_name; }
    // Where the entry lies on disk, also for a folder item (whose filePath() is the folder icon).
    QByteArray nativeEntryPath() const;
    std::optional<qint64> birthSeconds() const;
    bool isFolderItem() const { return m_flags & FolderIconPath; }
    // The entry was found below a symbolic link to a folder that the scan followed, so nativeEntryPath()
    // goes through that link.
    bool isReachedThroughLink() const { return m_folder && m_folder->reachedThroughLink; }
    void appendChild(IKImageItemRef child); // for the scan, before the item is shared
    // The scan folder the item was listed in (null for items made otherwise), and whether a path set
    // since (a move) stands instead of that folder and the name.
    const ScanFolder *scanFolder() const { return m_folder.data(); }
    ScanFolderRef scanFolderRef() const { return m_folder; }
    bool hasPathOverride() const;
    // The file as it is on disk now: its size and time numbers. Returns whether either differed.
    bool updateFromDisk(quint64 size, std::optional<qint64> birthSeconds);
    qsizetype childCount() const;

private:
    enum Flag : quint8 {
        BDir = 1,
        BHasCopy = 2,
        FolderIconPath = 4, // filePath() is the folder icon, not m_folder + m_name
        HasSizeText = 8,    // fileSize() is the size text of m_size (else empty or overridden)
        HasBirth = 16,      // modifDate() is the date text of m_birth
    };
    struct Extras; // fields that scanned items rarely need, allocated on first use
    Extras &extras();
    void foldPathOverride();

    ScanFolderRef m_folder;
    QByteArray m_name;
    quint64 m_size = 0;
    qint64 m_birth = 0;
    std::unique_ptr<Extras> m_extras;
    FileKind m_kind = FileKind::Image;
    quint8 m_flags = 0;
};

} // namespace vellumry
