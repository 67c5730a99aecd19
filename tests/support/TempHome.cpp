// Points HOME and the XDG variables into a temporary folder and back.
#include "support/TempHome.h"

#include "platform/NativePath.h"

#include <QDir>
#include <QFile>

#include <utility>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

#include <glib.h>

namespace vellumry::test {
namespace {

struct Variable
{
    const char *name;
    QStringView relativePath; // below the temporary root
};

constexpr Variable kVariables[] = {
    {"HOME", u"home"},
    {"XDG_CONFIG_HOME", u"home/.config"},
    {"XDG_DATA_HOME", u"home/.local/share"},
    {"XDG_CACHE_HOME", u"home/.cache"},
    {"XDG_STATE_HOME", u"home/.local/state"},
    {"XDG_DATA_DIRS", u"usr/share"},
    {"XDG_CONFIG_DIRS", u"etc/xdg"},
    {"XDG_RUNTIME_DIR", u"run"},
};

} // namespace

TempHome::TempHome()
{
    if (!m_dir.isValid())
        qFatal("TempHome: cannot create a temporary folder: %s", qPrintable(m_dir.errorString()));
    m_root = QFile::decodeName(m_dir.path());
    static bool first = true;
    const bool pinning = std::exchange(first, false);
    if (pinning)
        m_dir.removeAtExit();
    for (const Variable &variable : kVariables) {
        const QString path = m_root + u'/' + variable.relativePath;
        if (!QDir().mkpath(path))
            qFatal("TempHome: cannot create %s", qPrintable(path));
        m_saved.emplace_back(variable.name, qEnvironmentVariableIsSet(variable.name)
                                                ? std::optional<QByteArray>(qgetenv(variable.name))
                                                : std::nullopt);
        qputenv(variable.name, toNativePath(path));
    }
    // Qt refuses a runtime folder that others could read; mkdir() alone is subject to the umask.
    const QByteArray runtime = toNativePath(runtimeDir());
    if (::chmod(runtime.constData(), S_IRWXU) != 0)
        qFatal("TempHome: cannot chmod %s: %s", runtime.constData(), std::strerror(errno));
    if (pinning) {
        // GLib caches these on first use: make that use now, inside this home, never the real one.
        g_get_home_dir();
        g_get_user_data_dir();
        g_get_user_config_dir();
        g_get_user_cache_dir();
        g_get_user_state_dir();
        g_get_user_runtime_dir();
    }
}

TempHome::~TempHome()
{
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
        if (it->second)
            qputenv(it->first, *it->second);
        else
            qunsetenv(it->first);
    }
}

} // namespace vellumry::test
