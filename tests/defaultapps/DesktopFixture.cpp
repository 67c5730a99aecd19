// The test desktop: entries in the user's, the system's and a spaced data folder.
#include "DesktopFixture.h"

#include "platform/NativePath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

namespace vellumry::test {

DesktopFixture::DesktopFixture()
{
    const QString spacedData = home.root() + QStringLiteral("/my apps");
    qputenv("XDG_DATA_DIRS", toNativePath(QString(home.dataDirs() + u':' + spacedData)));
    if (!QDir().mkpath(systemApps()) || !QDir().mkpath(userApps()) || !QDir().mkpath(spacedApps()) ||
        !QDir().mkpath(systemApps() + QStringLiteral("/sub")))
        qFatal("DesktopFixture: cannot make the application folders");
    if (!QFileInfo::exists(QStringLiteral("/usr/share/mime/globs2")) ||
        !QFile::link(QStringLiteral("/usr/share/mime"), home.dataDirs() + QStringLiteral("/mime")))
        qFatal("DesktopFixture: the MIME database (shared-mime-info) is needed");
    for (const char *name : {"viewer", "player", "oldapp", "newapp"})
        writeEntry(systemApps() + u'/' + QLatin1StringView(name) + QStringLiteral(".desktop"),
                   QString::fromLatin1(name));
    writeEntry(systemApps() + QStringLiteral("/editor.desktop"), QStringLiteral("System Editor"));
    writeEntry(userApps() + QStringLiteral("/editor.desktop"), QStringLiteral("My Editor")); // the user's wins
    writeEntry(systemApps() + QStringLiteral("/sub/nested.desktop"), QStringLiteral("Nested"));
    writeEntry(systemApps() + QStringLiteral("/hidden.desktop"), QStringLiteral("Hidden"), "Hidden=true\n");
    writeEntry(spacedApps() + QStringLiteral("/spaced.desktop"), QStringLiteral("Spaced"));
    writeEntry(home.root() + QStringLiteral("/elsewhere/viewer.desktop"), QStringLiteral("Copy"));
    writeEntry(home.root() + QStringLiteral("/elsewhere/unknown.desktop"), QStringLiteral("Unknown"));
}

void DesktopFixture::writeEntry(const QString &path, const QString &name, const QByteArray &extra)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write("[Desktop Entry]\nType=Application\nName=" + name.toUtf8() + "\nExec=/bin/true %f\n" + extra) < 0)
        qFatal("DesktopFixture: cannot write %s", qPrintable(path));
}

void DesktopFixture::writeMimeapps(const QByteArray &text) const
{
    QFile file(mimeappsList());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
        qFatal("DesktopFixture: cannot write mimeapps.list");
}

QByteArray DesktopFixture::mimeapps() const
{
    QFile file(mimeappsList());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace vellumry::test
