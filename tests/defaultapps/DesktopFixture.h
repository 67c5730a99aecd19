// A temporary home whose XDG folders hold test desktop entries and a mimeapps.list, with the system's
// MIME database (data, not settings) linked in so content types are the real ones.
#pragma once

#include "support/TempHome.h"

#include <QByteArray>
#include <QString>

namespace vellumry::test {

// GLib reads the XDG variables once per process: make the fixture before the first GIO call and keep it
// for the whole test program.
class DesktopFixture
{
public:
    // Extra data folder (with a space in its name) searched after the system one.
    DesktopFixture();

    TempHome home;
    QString systemApps() const { return home.dataDirs() + QStringLiteral("/applications"); }
    QString userApps() const { return home.dataHome() + QStringLiteral("/applications"); }
    QString spacedApps() const { return home.root() + QStringLiteral("/my apps/applications"); }
    QString mimeappsList() const { return home.configHome() + QStringLiteral("/mimeapps.list"); }

    // Writes a desktop entry; `extra` lines are appended to its group.
    static void writeEntry(const QString &path, const QString &name, const QByteArray &extra = {});
    void writeMimeapps(const QByteArray &text) const;
    QByteArray mimeapps() const;
};

} // namespace vellumry::test
