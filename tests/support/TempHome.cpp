// Points HOME and the XDG variables into a temporary folder and back.
#include "support/TempHome.h"

#include "platform/NativePath.h"

#include <QDir>
#include <QFile>

#include <utility>

#include <sys/stat.h>

#include <glib.h>

namespace vellumry::test {

TempHome::TempHome()
{
    // The first home lives until the process ends, when its static folder is removed.
    static bool first = true;
    const bool pinning = std::exchange(first, false);
    static TempDir pinned;
    const TempDir &dir = pinning ? pinned : m_dir.emplace();
    if (!dir.isValid())
        qFatal("TempHome: cannot create a temporary folder: %s", qPrintable(dir.errorString()));
    m_root = QFile::decodeName(dir.path());
    for (const auto &[name, relativePath] : {std::pair{"HOME", u"home"}, {"XDG_CONFIG_HOME", u"home/.config"},
                                             {"XDG_DATA_HOME", u"home/.local/share"},
                                             {"XDG_CACHE_HOME", u"home/.cache"},
                                             {"XDG_STATE_HOME", u"home/.local/state"},
                                             {"XDG_DATA_DIRS", u"usr/share"}, {"XDG_CONFIG_DIRS", u"etc/xdg"},
                                             {"XDG_RUNTIME_DIR", u"run"}}) {
        const QString path = m_root + u'/' + QStringView(relativePath);
        if (!QDir().mkpath(path))
            qFatal("TempHome: cannot create %s", qPrintable(path));
        m_saved.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
        qputenv(name, toNativePath(path));
    }
    // Qt refuses a runtime folder that others could read; mkdir() alone is subject to the umask.
    if (::chmod(toNativePath(runtimeDir()).constData(), S_IRWXU) != 0)
        qFatal("TempHome: cannot chmod %s", qPrintable(runtimeDir()));
    if (pinning) {
        // GLib caches these on first use: make that use now, inside this home, never the real one.
        for (const auto get : {g_get_home_dir, g_get_user_data_dir, g_get_user_config_dir, g_get_user_cache_dir,
                               g_get_user_state_dir, g_get_user_runtime_dir})
            get();
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
