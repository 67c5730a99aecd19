// The user's defaults, stored through QSettings in INI form at a fixed path.
#include "platform/Settings.h"

#include "platform/NativePath.h"
#include "platform/RegularFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QSettings>

#include <cstring>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

// QSettings parses a file once per process and hands later instances its in-memory copy, reporting a
// parse error only to the instance that parsed it. The damaged files seen so far are kept here, with
// the size and time they had, so that later instances on an unchanged file know it too.
struct FileStamp
{
    qint64 size = -1;
    QDateTime modified;
    bool operator==(const FileStamp &) const = default;
};

FileStamp stampOf(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() ? FileStamp{info.size(), info.lastModified()} : FileStamp{};
}

QMutex damagedFilesMutex;
QHash<QString, FileStamp> damagedFiles;

// No text file holds a NUL byte, though QSettings reads past them without complaint.
bool holdsNulByte(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    char buffer[16384];
    for (qint64 got; (got = file.read(buffer, sizeof buffer)) > 0;) {
        if (std::memchr(buffer, 0, static_cast<size_t>(got)))
            return true;
    }
    return false;
}

bool isDamaged(const QSettings &settings, const QString &path)
{
    const QMutexLocker lock(&damagedFilesMutex);
    if (settings.status() == QSettings::FormatError || holdsNulByte(path)) {
        damagedFiles.insert(path, stampOf(path));
        return true;
    }
    const auto known = damagedFiles.constFind(path);
    if (known == damagedFiles.cend())
        return false;
    if (*known == stampOf(path))
        return true;
    damagedFiles.erase(known);
    return false;
}

void forgetDamage(const QString &path)
{
    const QMutexLocker lock(&damagedFilesMutex);
    damagedFiles.remove(path);
}

// Scalars read back from the file as their text, so they count as text in memory too.
bool isTextLike(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

} // namespace

Settings::Settings() : Settings(defaultFilePath()) {}

Settings::Settings(const QString &filePath) : m_filePath(filePath)
{
    // QSettings would open a FIFO or device in the file's place and wait on it, or write over it: such
    // a file is left alone, reads as empty and takes no change.
    QString reason;
    if (!isRegularFile(toNativePath(filePath), &reason) && reason != u"no such file"_s)
        return;
    m_settings = std::make_unique<QSettings>(filePath, QSettings::IniFormat);
    // QSettings still returns whatever it could make out of a damaged file; none of it is trusted.
    m_damaged = isDamaged(*m_settings, m_filePath);
}

Settings::~Settings() = default;

QString Settings::defaultFilePath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + u"/.config"_s;
    return base + u"/Vellumry/Vellumry.conf"_s;
}

QVariant Settings::value(const QString &key, const QVariant &fallback) const
{
    if (m_damaged || !m_settings)
        return fallback;
    return m_settings->value(key, fallback);
}

QString Settings::string(const QString &key) const
{
    const QVariant stored = value(key);
    if (isTextLike(stored))
        return stored.toString();
    // The file holds a list of one exactly as it holds a single text.
    if (stored.typeId() == QMetaType::QStringList && stored.toStringList().size() == 1)
        return stored.toStringList().constFirst();
    return {};
}

bool Settings::boolean(const QString &key) const
{
    const QVariant stored = value(key);
    switch (stored.typeId()) {
    case QMetaType::Bool:
        return stored.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return stored.toDouble() != 0.0;
    case QMetaType::QString: {
        // Numbers come back from the file as text; they mean what they meant when written.
        const QString text = stored.toString().trimmed();
        bool isNumber = false;
        const double number = text.toDouble(&isNumber);
        if (isNumber)
            return number != 0.0;
        return text.compare(u"true"_s, Qt::CaseInsensitive) == 0 ||
               text.compare(u"yes"_s, Qt::CaseInsensitive) == 0;
    }
    default:
        return false;
    }
}

QStringList Settings::stringList(const QString &key) const
{
    const QVariant stored = value(key);
    switch (stored.typeId()) {
    case QMetaType::QStringList:
        return stored.toStringList();
    case QMetaType::QVariantList: {
        QStringList texts;
        for (const QVariant &item : stored.toList()) {
            if (item.typeId() != QMetaType::QString)
                return {};
            texts.append(item.toString());
        }
        return texts;
    }
    default:
        return isTextLike(stored) ? QStringList{stored.toString()} : QStringList{};
    }
}

void Settings::setValue(const QString &key, const QVariant &value)
{
    startAfreshIfDamaged();
    if (m_settings)
        m_settings->setValue(key, value);
}

void Settings::remove(const QString &key)
{
    startAfreshIfDamaged();
    if (m_settings)
        m_settings->remove(key);
}

bool Settings::synchronize()
{
    if (!m_settings)
        return false;
    m_settings->sync();
    return !m_damaged && m_settings->status() == QSettings::NoError;
}

QString Settings::filePath() const
{
    return m_filePath;
}

void Settings::startAfreshIfDamaged()
{
    if (!m_damaged)
        return;
    m_settings.reset();
    const QString keep = m_filePath + u".damaged"_s;
    QFile::remove(keep);
    if (!QFile::rename(m_filePath, keep))
        QFile::remove(m_filePath);
    forgetDamage(m_filePath);
    m_settings = std::make_unique<QSettings>(m_filePath, QSettings::IniFormat);
    m_damaged = false;
}

} // namespace vellumry
