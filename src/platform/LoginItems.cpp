// Login items as XDG autostart desktop entries, read the way GLib reads them to launch programs.
#include "platform/LoginItems.h"

#include "platform/GLibPointers.h"
#include "platform/NativePath.h"
#include "platform/RegularFile.h"

#include <QDir>
#include <QStringDecoder>

#include <gio/gio.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

constexpr const char *kGroup = "Desktop Entry";

struct EntryInfo
{
    std::optional<QByteArray> program;
    bool enabled = false;
};

// realpath(3) of a path: nothing when it does not exist.
std::optional<QByteArray> canonical(const QByteArray &path)
{
    char *resolved = ::realpath(path.constData(), nullptr);
    if (!resolved)
        return std::nullopt;
    QByteArray result(resolved);
    std::free(resolved);
    return result;
}

EntryInfo readEntry(const QByteArray &entryPath)
{
    EntryInfo info;
    // Read here rather than by GLib, which would wait for ever on a FIFO put in the folder.
    const FileContent text = readRegularFile(entryPath, 1 << 20);
    GKeyFilePtr file(g_key_file_new());
    if (!text.ok || !g_key_file_load_from_data(file.get(), text.content.constData(), gsize(text.content.size()),
                                               G_KEY_FILE_NONE, nullptr))
        return info;
    // A missing key reads as FALSE, an enabled entry's default.
    const bool hidden = g_key_file_get_boolean(file.get(), kGroup, "Hidden", nullptr);
    GError *error = nullptr;
    const bool switchedOn = g_key_file_get_boolean(file.get(), kGroup, "X-GNOME-Autostart-enabled", &error);
    const bool switchedOff = !error && !switchedOn;
    g_clear_error(&error);
    info.enabled = !hidden && !switchedOff;

    const GCharPtr exec(g_key_file_get_string(file.get(), kGroup, "Exec", nullptr));
    if (!exec)
        return info;
    gint argc = 0;
    gchar **rawArgv = nullptr;
    if (!g_shell_parse_argv(exec.get(), &argc, &rawArgv, nullptr))
        return info;
    const GStrvPtr argv(rawArgv);
    const QByteArray name(argv.get()[0]);

    // "%%" is a literal percent sign; any other field code has no place in a program's name.
    QByteArray unescaped;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] != '%') {
            unescaped += name[i];
        } else if (i + 1 < name.size() && name[i + 1] == '%') {
            unescaped += '%';
            ++i;
        } else {
            return info;
        }
    }
    if (unescaped.isEmpty())
        return info;
    if (!unescaped.contains('/')) {
        const GCharPtr found(g_find_program_in_path(unescaped.constData()));
        if (!found)
            return info;
        unescaped = QByteArray(found.get());
    } else if (!unescaped.startsWith('/')) {
        return info; // relative to a working folder the entry may name: not worth guessing
    }
    info.program = canonical(unescaped);
    return info;
}

// The .desktop files of the folder, by name.
QByteArrayList desktopFiles(const QByteArray &folder)
{
    QByteArrayList names;
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.endsWith(".desktop") && name.size() > 8)
            names.append(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// Creates the folder and its missing parents.
int makeFolders(const QByteArray &folder)
{
    struct stat st;
    if (::stat(folder.constData(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    const qsizetype slash = folder.lastIndexOf('/');
    if (slash > 0) {
        if (const int error = makeFolders(folder.left(slash)))
            return error;
    }
    if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST)
        return errno;
    return 0;
}

// A string value as a desktop entry holds it.
QByteArray escapedString(const QByteArray &text)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case ' ':
            out += i == 0 ? "\\s" : " "; // leading blanks would be taken for layout
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

QByteArray desktopExecValue(const QByteArray &program)
{
    // Quoting rule first: inside double quotes, " ` $ and \ take a backslash. The string escapes of the
    // whole value come on top of that.
    QByteArray quoted = "\"";
    for (const char c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    return escapedString(quoted);
}

std::optional<QByteArray> entryProgram(const QByteArray &entryPath)
{
    return readEntry(entryPath).program;
}

LoginItems::LoginItems(QByteArray program, QByteArray folder)
    : m_program(std::move(program)), m_folder(withoutTrailingSlashes(folder))
{
}

QByteArray LoginItems::defaultFolder()
{
    QByteArray base = qgetenv("XDG_CONFIG_HOME");
    if (base.isEmpty() || !base.startsWith('/'))
        base = toNativePath(QDir::homePath()) + "/.config";
    return base + "/autostart";
}

QByteArray LoginItems::runningExecutable()
{
    return canonical("/proc/self/exe").value_or(QByteArray());
}

QByteArrayList LoginItems::entries() const
{
    QByteArrayList ours;
    const std::optional<QByteArray> self = canonical(m_program);
    if (!self)
        return ours;
    for (const QByteArray &name : desktopFiles(m_folder)) {
        const QByteArray path = m_folder + '/' + name;
        if (readEntry(path).program == self)
            ours.append(path);
    }
    return ours;
}

bool LoginItems::isEnabled() const
{
    const QByteArrayList ours = entries();
    return std::any_of(ours.cbegin(), ours.cend(), [](const QByteArray &path) { return readEntry(path).enabled; });
}

ActionResult LoginItems::add() const
{
    if (!canonical(m_program))
        return {false, u"the program was not found"_s};
    auto decoder = QStringDecoder(QStringDecoder::Utf8);
    (void)QString(decoder(m_program));
    if (decoder.hasError() || m_program.contains('\0'))
        return {false, u"the program's path is not valid UTF-8"_s};
    // The escaped form "%%" is correct, but GLib looks for a file of that name before it runs an entry,
    // so such an entry would be ignored at login.
    if (m_program.contains('%'))
        return {false, u"the program's path holds a percent sign, which login entries cannot start"_s};
    if (isEnabled())
        return {true, {}};

    if (const int error = makeFolders(m_folder))
        return {false, fileErrorText(error)};
    // Our own name, unless another program's entry has it already.
    const QByteArrayList ours = entries();
    QByteArray name = "vellumry.desktop";
    for (int n = 2;; ++n) {
        const QByteArray path = m_folder + '/' + name;
        struct stat st;
        if (::lstat(path.constData(), &st) != 0 || ours.contains(path))
            break;
        name = "vellumry-" + QByteArray::number(n) + ".desktop";
    }
    const QByteArray content = "[Desktop Entry]\n"
                               "Type=Application\n"
                               "Name=Vellumry\n"
                               "Comment=Start Vellumry when you log in\n"
                               "Exec=" + desktopExecValue(m_program) + "\n"
                               "TryExec=" + escapedString(m_program) + "\n"
                               "Icon=vellumry\n"
                               "Terminal=false\n"
                               "X-GNOME-Autostart-enabled=true\n";
    if (const int error = replaceFileAtomically(m_folder + '/' + name, content, 0644))
        return {false, fileErrorText(error)};
    return {true, {}};
}

ActionResult LoginItems::remove() const
{
    ActionResult result{true, {}};
    for (const QByteArray &path : entries()) {
        if (::unlink(path.constData()) != 0 && errno != ENOENT)
            result = {false, fileErrorText(errno)};
    }
    return result;
}

} // namespace vellumry
