// A private GNOME "color-scheme" setting for tests of the desktop look.
#pragma once

#include <QString>
#include <QTemporaryDir>

namespace vellumry::test {

// Compiles a copy of the "org.gnome.desktop.interface" schema that holds only its "color-scheme" key
// into a temporary folder, and points GSettings at it (GSETTINGS_SCHEMA_DIR) with the in-memory
// backend, so tests neither read nor change the user's desktop settings. GLib reads these variables
// once, so this must be made before the first use of GSettings in the process and kept to its end.
class GnomeColorScheme
{
public:
    GnomeColorScheme();

    // False when glib-compile-schemas is missing or failed; the program then sees no GNOME setting.
    bool isAvailable() const { return m_available; }
    // Sets the key: "default", "prefer-dark" or "prefer-light".
    void set(const QString &value);

private:
    QTemporaryDir m_dir;
    bool m_available = false;
};

} // namespace vellumry::test
