// A throw-away home folder and XDG base directories for one test.
#pragma once

#include <QByteArray>
#include <QString>

#include "support/TempDir.h"

#include <optional>
#include <utility>
#include <vector>

namespace vellumry::test {

// While it lives, the process sees an empty home inside a fresh temporary folder <root>:
//   HOME            = <root>/home
//   XDG_CONFIG_HOME = <root>/home/.config        XDG_DATA_HOME  = <root>/home/.local/share
//   XDG_CACHE_HOME  = <root>/home/.cache         XDG_STATE_HOME = <root>/home/.local/state
//   XDG_DATA_DIRS   = <root>/usr/share           XDG_CONFIG_DIRS = <root>/etc/xdg
//   XDG_RUNTIME_DIR = <root>/run (mode 0700)
// All these folders exist. QStandardPaths test mode must stay off so Qt honours the variables.
// The destructor puts every variable back as it was (unset when it was unset) and deletes <root>,
// whatever names it holds. GLib reads the XDG folders once per process: the first home pins them (GIO's
// Trash, mimeapps.list and desktop entries stay those of the first home), and it is deleted only when the
// process ends. Tests that need GIO to see their own files share one home for the whole test program.
// Instances may nest; each restores what it found. A fixture that cannot be set up ends the test
// program with qFatal(), since tests running against the real home must never look like passing ones.
class TempHome
{
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome &) = delete;
    TempHome &operator=(const TempHome &) = delete;

    QString root() const { return m_root; }
    QString home() const { return m_root + QStringLiteral("/home"); }
    QString configHome() const { return m_root + QStringLiteral("/home/.config"); }
    QString dataHome() const { return m_root + QStringLiteral("/home/.local/share"); }
    QString cacheHome() const { return m_root + QStringLiteral("/home/.cache"); }
    QString dataDirs() const { return m_root + QStringLiteral("/usr/share"); } // the one system data folder
    QString runtimeDir() const { return m_root + QStringLiteral("/run"); }

private:
    std::optional<TempDir> m_dir; // none for the first home
    QString m_root;
    std::vector<std::pair<const char *, std::optional<QByteArray>>> m_saved;
};

} // namespace vellumry::test
