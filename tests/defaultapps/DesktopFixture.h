// A temporary home whose XDG folders hold test desktop entries and a mimeapps.list, with the system's
// MIME database (data, not settings) linked in so content types are the real ones. GLib reads the XDG
// variables once per process: make the fixture before the first GIO call and keep it for the whole test.
#pragma once

#include "platform/NativePath.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vellumry::test {

class DesktopFixture
{
public:
    TempHome home;
    QString systemApps() const { return home.dataDirs() + QStringLiteral("/applications"); }
    QString userApps() const { return home.dataHome() + QStringLiteral("/applications"); }
    QString spacedApps() const { return home.root() + QStringLiteral("/my apps/applications"); } // searched last
    QString mimeappsList() const { return home.configHome() + QStringLiteral("/mimeapps.list"); }

    DesktopFixture()
    {
        qputenv("XDG_DATA_DIRS", toNativePath(QString(home.dataDirs() + u':' + home.root() + QStringLiteral("/my apps"))));
        if (!QFileInfo::exists(QStringLiteral("/usr/share/mime/globs2")) ||
            !QFile::link(QStringLiteral("/usr/share/mime"), home.dataDirs() + QStringLiteral("/mime")))
            qFatal("DesktopFixture: the MIME database (shared-mime-info) is needed");
        for (const char *name : {"viewer", "player", "oldapp", "newapp"})
            writeEntry(systemApps() + u'/' + QLatin1StringView(name) + QStringLiteral(".desktop"), QString::fromLatin1(name));
        writeEntry(systemApps() + QStringLiteral("/editor.desktop"), QStringLiteral("System Editor"));
        writeEntry(userApps() + QStringLiteral("/editor.desktop"), QStringLiteral("My Editor")); // the user's wins
        writeEntry(systemApps() + QStringLiteral("/sub/nested.desktop"), QStringLiteral("Nested"));
        writeEntry(systemApps() + QStringLiteral("/hidden.desktop"), QStringLiteral("Hidden"), "Hidden=true\n");
        writeEntry(spacedApps() + QStringLiteral("/spaced.desktop"), QStringLiteral("Spaced"));
        writeEntry(home.root() + QStringLiteral("/elsewhere/viewer.desktop"), QStringLiteral("Copy"));
        writeEntry(home.root() + QStringLiteral("/elsewhere/unknown.desktop"), QStringLiteral("Unknown"));
    }

    // Writes a desktop entry; `extra` lines are appended to its group.
    static void writeEntry(const QString &path, const QString &name, const QByteArray &extra = {})
    {
        if (!QDir().mkpath(QFileInfo(path).path()))
            qFatal("DesktopFixture: cannot make %s", qPrintable(QFileInfo(path).path()));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write("[Desktop Entry]\nType=Application\nName=" + name.toUtf8() + "\nExec=/bin/true %f\n" + extra) < 0)
            qFatal("DesktopFixture: cannot write %s", qPrintable(path));
    }
    void writeMimeapps(const QByteArray &text) const
    {
        QFile file(mimeappsList());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
            qFatal("DesktopFixture: cannot write mimeapps.list");
    }
    QByteArray mimeapps() const
    {
        QFile file(mimeappsList());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

} // namespace vellumry::test
