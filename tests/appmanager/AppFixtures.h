// Desktop entries and records of recent use written into a temporary home.
#pragma once

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTest>
#include <QTimeZone>

#include <sys/stat.h>

namespace vellumry::test {

// Writes <folder>/<name> with a [Desktop Entry] group made of `keys` (already "Key=Value" lines) and,
// with mtime, that modification time. Returns the path.
inline QString writeEntry(const QString &folder, const QString &name, const QString &keys,
                          const QDateTime &mtime = {})
{
    const QString path = folder + QLatin1Char('/') + name;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(QByteArray("[Desktop Entry]\nType=Application\n" + keys.toUtf8() + '\n'));
    file.flush();
    if (mtime.isValid() && !file.setFileTime(mtime, QFileDevice::FileModificationTime))
        qFatal("cannot date %s", qPrintable(path));
    return path;
}

// An executable shell script.
inline QString writeScript(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write("#!/bin/sh\nexit 0\n");
    file.close();
    ::chmod(QFile::encodeName(path).constData(), 0755);
    return path;
}

struct Use
{
    const char *href;
    const char *name;
    const char *exec;
    const char *modified; // ISO 8601, UTC
    int count;
};

// A recently-used.xbel in GLib's format with one bookmark per distinct href.
inline void writeRecentUses(const QString &path, const QList<Use> &uses)
{
    QMap<QByteArray, QByteArray> applications; // by href
    for (const Use &use : uses)
        applications[use.href] += QByteArray("<bookmark:application name=\"") + use.name + "\" exec=\"" + use.exec +
                                  "\" modified=\"" + use.modified + "\" count=\"" + QByteArray::number(use.count) + "\"/>\n";
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<xbel version=\"1.0\" xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\""
                     " xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    for (const auto &[href, entries] : applications.asKeyValueRange())
        xml += "<bookmark href=\"" + href + "\" added=\"2024-01-01T00:00:00Z\" modified=\"2024-01-01T00:00:00Z\""
               " visited=\"2024-01-01T00:00:00Z\"><info><metadata owner=\"http://freedesktop.org\">"
               "<mime:mime-type type=\"text/plain\"/><bookmark:applications>\n" + entries +
               "</bookmark:applications></metadata></info></bookmark>\n";
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(xml + "</xbel>\n") < 0)
        qFatal("cannot write %s", qPrintable(path));
}

inline QDateTime utc(const char *iso)
{
    QDateTime date = QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate);
    return date.toTimeZone(QTimeZone::utc());
}

inline bool isX86_64()
{
    return QSysInfo::currentCpuArchitecture() == QLatin1String("x86_64");
}

} // namespace vellumry::test
