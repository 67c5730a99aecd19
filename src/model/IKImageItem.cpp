// The shared item record: compact storage, texts formed when asked.
#include "model/IKImageItem.h"

#include "model/ItemTexts.h"
#include "platform/NativePath.h"

namespace vellumry {

using namespace Qt::StringLiterals;

struct IKImageItem::Extras
{
    std::optional<QByteArray> pathOverride; // exact bytes of a path that is not folder + "/" + name
    std::optional<QString> typeText;        // a type text that is none of the kind names
    std::optional<QString> sizeText;
    std::optional<QString> dateText;
    QString hasCopy; // null until set
    QVariant fileNode;
    ItemList children;
};

QString folderIconPath() { return u":/images/smartFolder.png"_s; }

QString representationTypeName(RepresentationType type)
{
    return type == RepresentationType::Path ? u"IKImageBrowserPathRepresentationType"_s
                                            : u"IKImageBrowserQuickLookPathRepresentationType"_s;
}

IKImageItem::IKImageItem() = default;
IKImageItem::~IKImageItem() = default;

IKImageItem::Extras &IKImageItem::extras()
{
    if (!m_extras)
        m_extras = std::make_unique<Extras>();
    return *m_extras;
}

IKImageItemRef IKImageItem::makeEntry(ScanFolderRef folder, QByteArray name, FileKind kind, quint64 size,
                                      std::optional<qint64> birthSeconds)
{
    IKImageItemRef item(new IKImageItem);
    item->m_folder = std::move(folder);
    item->m_name = std::move(name);
    item->m_kind = kind;
    item->m_size = size;
    item->m_flags = HasSizeText;
    if (birthSeconds) {
        item->m_birth = *birthSeconds;
        item->m_flags |= HasBirth;
    }
    return item;
}

IKImageItemRef IKImageItem::makeFolder(ScanFolderRef parent, QByteArray name)
{
    IKImageItemRef item(new IKImageItem);
    item->m_folder = std::move(parent);
    item->m_name = std::move(name);
    item->m_kind = FileKind::Folder;
    item->m_flags = BDir | FolderIconPath;
    return item;
}

QByteArray IKImageItem::nativeEntryPath() const
{
    if (m_extras && m_extras->pathOverride && !(m_flags & FolderIconPath))
        return *m_extras->pathOverride;
    if (!m_folder)
        return (m_flags & FolderIconPath) ? QByteArray() : m_name;
    return joinNativePath(m_folder->path, m_name);
}

QByteArray IKImageItem::nativeFilePath() const
{
    if (m_flags & FolderIconPath)
        return toNativePath(folderIconPath());
    if (m_extras && m_extras->pathOverride)
        return *m_extras->pathOverride;
    if (!m_folder)
        return QByteArray();
    return joinNativePath(m_folder->path, m_name);
}

QString IKImageItem::filePath() const
{
    if (m_flags & FolderIconPath)
        return folderIconPath();
    return fromNativePath(nativeFilePath());
}

void IKImageItem::setFilePath(const QString &path)
{
    if (path == folderIconPath()) {
        m_flags |= FolderIconPath;
        if (m_extras)
            m_extras->pathOverride.reset();
        return;
    }
    m_flags &= ~FolderIconPath;
    extras().pathOverride = toNativePath(path);
    foldPathOverride();
}

// Keeps a path as folder + name whenever it has that form, so a renamed or moved item stays compact.
void IKImageItem::foldPathOverride()
{
    if (!m_extras || !m_extras->pathOverride)
        return;
    const QByteArray &path = *m_extras->pathOverride;
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0 || path.size() - slash - 1 != m_name.size() || !path.endsWith(m_name) || m_name.isEmpty())
        return;
    const QByteArray dir = slash == 0 ? QByteArray("/") : path.left(slash);
    if (joinNativePath(dir, m_name) != path)
        return;
    if (!m_folder || m_folder->path != dir) {
        // A moved item keeps its mark: nothing says its new path is free of links.
        m_folder = ScanFolderRef(new ScanFolder(dir, isReachedThroughLink()));
    }
    m_extras->pathOverride.reset();
}

QString IKImageItem::fileType() const
{
    if (m_extras && m_extras->typeText)
        return *m_extras->typeText;
    return kindName(m_kind);
}

void IKImageItem::setFileType(const QString &type)
{
    if (const auto kind = kindFromName(type)) {
        m_kind = *kind;
        if (m_extras)
            m_extras->typeText.reset();
    } else {
        extras().typeText = type;
    }
}

void IKImageItem::setBhasCopy(bool value)
{
    if (value)
        m_flags |= BHasCopy;
    else
        m_flags &= ~BHasCopy;
}

QString IKImageItem::hasCopy() const { return m_extras ? m_extras->hasCopy : QString(); }
void IKImageItem::setHasCopy(const QString &value) { extras().hasCopy = value; }

QString IKImageItem::fileName() const { return fromNativePath(m_name); }

void IKImageItem::setFileName(const QString &name)
{
    QByteArray bytes = toNativePath(name);
    if (bytes == m_name)
        return;
    // The path is its own field: a path formed from the old name is kept as it was.
    if (!(m_flags & FolderIconPath) && m_folder && !(m_extras && m_extras->pathOverride))
        extras().pathOverride = joinNativePath(m_folder->path, m_name);
    m_name = std::move(bytes);
    foldPathOverride();
}

QVariant IKImageItem::fileNode() const { return m_extras ? m_extras->fileNode : QVariant(); }
void IKImageItem::setFileNode(const QVariant &node) { extras().fileNode = node; }

void IKImageItem::setFilesizenum(quint64 size)
{
    // The size text is its own field: a text formed from the old number is kept as it was.
    if ((m_flags & HasSizeText) && !(m_extras && m_extras->sizeText) && size != m_size)
        extras().sizeText = sizeText(m_size);
    m_size = size;
}

QString IKImageItem::fileSize() const
{
    if (m_extras && m_extras->sizeText)
        return *m_extras->sizeText;
    return (m_flags & HasSizeText) ? sizeText(m_size) : QString();
}

void IKImageItem::setFileSize(const QString &text) { extras().sizeText = text; }

QString IKImageItem::modifDate() const
{
    if (m_extras && m_extras->dateText)
        return *m_extras->dateText;
    return (m_flags & HasBirth) ? dateText(m_birth) : QString();
}

void IKImageItem::setModifDate(const QString &text) { extras().dateText = text; }

bool IKImageItem::hasPathOverride() const { return m_extras && m_extras->pathOverride; }

bool IKImageItem::updateFromDisk(quint64 size, std::optional<qint64> birthSeconds)
{
    if (size == m_size && birthSeconds == this->birthSeconds())
        return false;
    m_size = size;
    if (m_extras && (m_flags & HasSizeText))
        m_extras->sizeText.reset(); // the size text follows the new number
    if (birthSeconds) {
        m_birth = *birthSeconds;
        m_flags |= HasBirth;
        if (m_extras)
            m_extras->dateText.reset();
    }
    return true;
}

std::optional<qint64> IKImageItem::birthSeconds() const
{
    if (m_flags & HasBirth)
        return m_birth;
    return std::nullopt;
}

void IKImageItem::setBDir(bool value)
{
    if (value)
        m_flags |= BDir;
    else
        m_flags &= ~BDir;
}

ItemList IKImageItem::childrenArray() const { return m_extras ? m_extras->children : ItemList(); }
void IKImageItem::setChildrenArray(const ItemList &children) { extras().children = children; }
void IKImageItem::appendChild(IKImageItemRef child) { extras().children.append(std::move(child)); }
qsizetype IKImageItem::childCount() const { return m_extras ? m_extras->children.size() : 0; }

RepresentationType IKImageItem::imageRepresentationType() const
{
    const bool image = !(m_extras && m_extras->typeText) && m_kind == FileKind::Image;
    return image ? RepresentationType::Path : RepresentationType::QuickLookPath;
}

} // namespace vellumry
