// A private GNOME "color-scheme" setting for tests of the desktop look.
#pragma once

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gio/gio.h>

namespace vellumry::test {

// Compiles a copy of the "org.gnome.desktop.interface" schema that holds only its "color-scheme" key
// into a temporary folder, and points GSettings at it (GSETTINGS_SCHEMA_DIR) with the in-memory
// backend, so tests neither read nor change the user's desktop settings. GLib reads these variables
// once, so this must be made before the first use of GSettings in the process and kept to its end.
class GnomeColorScheme
{
public:
    GnomeColorScheme()
    {
        qputenv("GSETTINGS_BACKEND", "memory");
        qputenv("GSETTINGS_SCHEMA_DIR", QFile::encodeName(m_dir.path()));
        const QString compiler = QStandardPaths::findExecutable(QStringLiteral("glib-compile-schemas"));
        QFile schema(m_dir.filePath(QStringLiteral("org.gnome.desktop.interface.gschema.xml")));
        if (compiler.isEmpty() || !m_dir.isValid() || !schema.open(QIODevice::WriteOnly))
            return;
        schema.write(R"(<schemalist><enum id="org.gnome.desktop.GDesktopColorScheme">
<value nick="default" value="0"/><value nick="prefer-dark" value="1"/><value nick="prefer-light" value="2"/>
</enum><schema id="org.gnome.desktop.interface" path="/org/gnome/desktop/interface/">
<key name="color-scheme" enum="org.gnome.desktop.GDesktopColorScheme"><default>'default'</default></key>
</schema></schemalist>
)");
        schema.close();
        m_available = QProcess::execute(compiler, {m_dir.path()}) == 0 &&
                      QFile::exists(m_dir.filePath(QStringLiteral("gschemas.compiled")));
    }

    // False when glib-compile-schemas is missing or failed; the program then sees no GNOME setting.
    bool isAvailable() const { return m_available; }
    // Sets the key: "default", "prefer-dark" or "prefer-light".
    void set(const QString &value)
    {
        if (!m_available)
            return;
        GSettings *settings = g_settings_new("org.gnome.desktop.interface");
        g_settings_set_string(settings, "color-scheme", value.toUtf8().constData());
        g_settings_sync();
        g_object_unref(settings);
    }

private:
    QTemporaryDir m_dir;
    bool m_available = false;
};

} // namespace vellumry::test
