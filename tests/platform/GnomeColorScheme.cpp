// Compiles and fills the private GNOME colour scheme setting.
#include "GnomeColorScheme.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gio/gio.h>

namespace vellumry::test {

using namespace Qt::StringLiterals;

namespace {

constexpr char kSchema[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<schemalist>
  <enum id="org.gnome.desktop.GDesktopColorScheme">
    <value nick="default" value="0"/>
    <value nick="prefer-dark" value="1"/>
    <value nick="prefer-light" value="2"/>
  </enum>
  <schema id="org.gnome.desktop.interface" path="/org/gnome/desktop/interface/">
    <key name="color-scheme" enum="org.gnome.desktop.GDesktopColorScheme">
      <default>'default'</default>
    </key>
  </schema>
</schemalist>
)";

} // namespace

GnomeColorScheme::GnomeColorScheme()
{
    qputenv("GSETTINGS_BACKEND", "memory");
    qputenv("GSETTINGS_SCHEMA_DIR", QFile::encodeName(m_dir.path()));

    const QString compiler = QStandardPaths::findExecutable(u"glib-compile-schemas"_s);
    QFile schema(m_dir.filePath(u"org.gnome.desktop.interface.gschema.xml"_s));
    if (compiler.isEmpty() || !m_dir.isValid() || !schema.open(QIODevice::WriteOnly))
        return;
    schema.write(kSchema);
    schema.close();
    m_available = QProcess::execute(compiler, {m_dir.path()}) == 0 &&
                  QFile::exists(m_dir.filePath(u"gschemas.compiled"_s));
}

void GnomeColorScheme::set(const QString &value)
{
    if (!m_available)
        return;
    GSettings *settings = g_settings_new("org.gnome.desktop.interface");
    g_settings_set_string(settings, "color-scheme", value.toUtf8().constData());
    g_settings_sync();
    g_object_unref(settings);
}

} // namespace vellumry::test
