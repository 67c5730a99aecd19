// Lossless path bytes <-> QString conversion and the escaped form used by line-oriented output.
#include "platform/NativePath.h"

#include "platform/GLibPointers.h"

#include <QList>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumry {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// Length of the valid UTF-8 sequence starting at s[i], or 0 when the byte there does not start one.
// Overlong forms, surrogates and code points above U+10FFFF are invalid, as in RFC 3629.
int validUtf8Length(const unsigned char *s, qsizetype n, qsizetype i)
{
    const unsigned char c = s[i];
    if (c < 0x80)
        return 1;
    auto cont = [&](qsizetype k) { return i + k < n && (s[i + k] & 0xC0) == 0x80; };
    if (c >= 0xC2 && c <= 0xDF)
        return cont(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (!cont(1) || !cont(2))
            return 0;
        const unsigned char c1 = s[i + 1];
        if (c == 0xE0 && c1 < 0xA0)
            return 0; // overlong
        if (c == 0xED && c1 >= 0xA0)
            return 0; // UTF-16 surrogate
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3))
            return 0;
        const unsigned char c1 = s[i + 1];
        if (c == 0xF0 && c1 < 0x90)
            return 0; // overlong
        if (c == 0xF4 && c1 >= 0x90)
            return 0; // above U+10FFFF
        return 4;
    }
    return 0;
}

bool isEscape(char16_t u) { return u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF; }

// The components between the slashes, empty ones included.
QList<QByteArrayView> components(QByteArrayView path)
{
    QList<QByteArrayView> parts;
    qsizetype start = 0;
    while (start <= path.size()) {
        qsizetype end = path.indexOf('/', start);
        if (end < 0)
            end = path.size();
        parts.append(path.sliced(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The absolute path with empty and "." components dropped and each ".." taking away the one before it
// (".." at the root stays at the root), by text alone.
QByteArray lexicallyNormalised(QByteArrayView absolute)
{
    QList<QByteArrayView> kept;
    for (const QByteArrayView part : components(absolute)) {
        if (part == "..") {
            if (!kept.isEmpty())
                kept.removeLast();
        } else if (!part.isEmpty() && part != ".") {
            kept.append(part);
        }
    }
    QByteArray out;
    for (const QByteArrayView part : kept) {
        out.append('/');
        out.append(part);
    }
    return out.isEmpty() ? QByteArrayLiteral("/") : out;
}

// The home folder as the environment names it, else as the user database does; not resolved.
QByteArray homeFolder()
{
    QByteArray home = qgetenv("HOME");
    if (home.isEmpty()) {
        if (const passwd *entry = ::getpwuid(::getuid()))
            home = entry->pw_dir;
    }
    return home;
}

// "the real path is that folder or lies inside it"
bool isAtOrBelow(const QByteArray &realPath, const QByteArray &folder)
{
    return !folder.isEmpty() &&
           (realPath == folder || (realPath.startsWith(folder) && realPath.at(folder.size()) == '/'));
}

// A trash folder at the top of a disk: ".Trash" (shared, one folder per user inside) or ".Trash-UID".
bool isTopLevelTrashName(QByteArrayView name)
{
    if (name == ".Trash")
        return true;
    if (!name.startsWith(".Trash-") || name.size() == 7)
        return false;
    for (const char c : name.sliced(7)) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

QString errnoReason(int error)
{
    if (error == ENOENT || error == ENOTDIR)
        return QStringLiteral("no such folder");
    QString text = QString::fromLocal8Bit(std::strerror(error));
    if (!text.isEmpty())
        text[0] = text[0].toLower();
    return text;
}

} // namespace

QString fromNativePath(QByteArrayView bytes)
{
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n && s[i] < 0x80)
        ++i;
    if (i == n)
        return QString::fromLatin1(bytes.data(), n); // plain ASCII: the common case

    QString out;
    out.reserve(n);
    out.append(QLatin1StringView(bytes.data(), i));
    while (i < n) {
        const int len = validUtf8Length(s, n, i);
        if (len == 0) {
            out.append(QChar(char16_t(kEscapeBase + s[i])));
            ++i;
        } else if (len == 1) {
            out.append(QChar(char16_t(s[i])));
            ++i;
        } else {
            out.append(QString::fromUtf8(bytes.data() + i, len));
            i += len;
        }
    }
    return out;
}

QByteArray toNativePath(QStringView path)
{
    QByteArray out;
    out.reserve(path.size() * 3);
    const qsizetype n = path.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = path[i].unicode();
        if (u < 0x80) {
            out.append(char(u));
        } else if (isEscape(u)) {
            out.append(char(u - kEscapeBase));
        } else if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(path[i + 1].unicode())) {
            out.append(QStringView(path.data() + i, 2).toUtf8());
            ++i;
        } else {
            // A lone surrogate that is not one of our escapes cannot name a file; it encodes as U+FFFD.
            out.append(QStringView(path.data() + i, 1).toUtf8());
        }
    }
    return out;
}

QString displayPath(QStringView path)
{
    QString out = path.toString();
    for (QChar &c : out) {
        if (isEscape(c.unicode()))
            c = QChar::ReplacementCharacter;
    }
    return out;
}

bool hasEscapedBytes(QStringView path)
{
    for (QChar c : path) {
        if (isEscape(c.unicode()))
            return true;
    }
    return false;
}

void appendEscapedName(std::string &out, std::string_view bytes)
{
    static constexpr char hex[] = "0123456789abcdef";
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto n = qsizetype(bytes.size());
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = s[i];
        if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x80) {
            out += char(c);
        } else if (const int len = validUtf8Length(s, n, i); len > 0) {
            out.append(bytes.data() + i, size_t(len));
            i += len;
            continue;
        } else {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 0xF];
        }
        ++i;
    }
}

QByteArray joinNativePath(QByteArrayView folder, QByteArrayView name)
{
    QByteArray out;
    out.reserve(folder.size() + 1 + name.size());
    out.append(folder);
    if (out.isEmpty() || !out.endsWith('/'))
        out.append('/');
    out.append(name);
    return out;
}

QByteArray withoutTrailingSlashes(QByteArrayView path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path.toByteArray();
}

QByteArray removingLastPathComponent(QByteArrayView path)
{
    const QByteArray trimmed = withoutTrailingSlashes(path);
    if (trimmed == "/")
        return trimmed;
    const qsizetype slash = trimmed.lastIndexOf('/');
    if (slash < 0)
        return {};
    return slash == 0 ? QByteArrayLiteral("/") : trimmed.left(slash);
}

QByteArray lastPathComponent(QByteArrayView path)
{
    const QByteArray trimmed = withoutTrailingSlashes(path);
    if (trimmed == "/")
        return trimmed;
    return trimmed.mid(trimmed.lastIndexOf('/') + 1);
}

QByteArray absolutePath(QByteArrayView path)
{
    if (path.isEmpty() || path.startsWith('/'))
        return path.toByteArray();
    char *cwd = ::getcwd(nullptr, 0);
    const QByteArray folder = cwd ? QByteArray(cwd) : QByteArrayLiteral("/");
    std::free(cwd);
    return joinNativePath(folder, path);
}

QByteArray fileUri(const QByteArray &absolutePath)
{
    const GCharPtr uri(g_filename_to_uri(absolutePath.constData(), nullptr, nullptr));
    if (!uri) // not absolute, or bytes GLib refuses: escaped the same way by hand
        return QByteArray("file://" + absolutePath.toPercentEncoding("/!$&'()*+,=:@~"));
    return QByteArray(uri.get());
}

QByteArray realPathOf(const QByteArray &path)
{
    if (path.isEmpty()) {
        errno = ENOENT;
        return {};
    }
    char *resolved = ::realpath(path.constData(), nullptr);
    if (!resolved)
        return {};
    QByteArray out(resolved);
    std::free(resolved);
    return out;
}

bool endsInDotComponent(QByteArrayView path)
{
    const QByteArray trimmed = withoutTrailingSlashes(path);
    const QByteArrayView last = QByteArrayView(trimmed).sliced(trimmed.lastIndexOf('/') + 1);
    return last == "." || last == "..";
}

QByteArray absoluteOperandPath(QByteArrayView path)
{
    if (path.isEmpty())
        return {};
    QByteArray absolute;
    if (path.startsWith('/')) {
        absolute = withoutTrailingSlashes(path);
    } else {
        char *cwd = ::getcwd(nullptr, 0);
        if (!cwd)
            return {}; // the working folder is gone: a relative path names nothing any more
        absolute = withoutTrailingSlashes(joinNativePath(QByteArrayView(cwd), path));
        std::free(cwd);
    }
    const qsizetype slash = absolute.lastIndexOf('/');
    const QByteArrayView last = QByteArrayView(absolute).sliced(slash + 1);
    if (last.isEmpty() || last == "." || last == "..") {
        // The root, or a path that ends by going through folders: all of it is folders.
        const QByteArray real = realPathOf(absolute);
        return real.isEmpty() ? lexicallyNormalised(absolute) : real;
    }
    const QByteArray folder = realPathOf(slash == 0 ? QByteArrayLiteral("/") : absolute.left(slash));
    if (folder.isEmpty())
        return lexicallyNormalised(absolute);
    return joinNativePath(folder, last);
}

QString protectedPlaceReason(const QByteArray &realPath)
{
    if (realPath.isEmpty())
        return {};
    if (realPath == "/")
        return QStringLiteral("the file-system root");
    const QByteArray home = homeFolder();
    if (const QByteArray realHome = realPathOf(home); !realHome.isEmpty() && realHome != "/") {
        if (realPath == realHome)
            return QStringLiteral("the home folder");
        if (isAtOrBelow(realHome, realPath))
            return QStringLiteral("a folder holding the home folder");
    }
    QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    if (!dataHome.startsWith('/')) // unset, empty or relative: the base directory default applies
        dataHome = home.isEmpty() ? QByteArray() : joinNativePath(home, ".local/share");
    if (!dataHome.isEmpty() && isAtOrBelow(realPath, realPathOf(joinNativePath(dataHome, "Trash"))))
        return QStringLiteral("the Trash");
    for (const QByteArrayView part : components(realPath)) {
        if (isTopLevelTrashName(part))
            return QStringLiteral("the Trash");
    }
    return {};
}

QString mainFolderRefusal(const QByteArray &path)
{
    if (path.isEmpty())
        return QStringLiteral("no such folder");
    const QByteArray real = realPathOf(path);
    if (real.isEmpty())
        return errnoReason(errno);
    struct stat st;
    if (::stat(real.constData(), &st) != 0)
        return errnoReason(errno);
    if (!S_ISDIR(st.st_mode))
        return QStringLiteral("not a folder");
    return protectedPlaceReason(real);
}

} // namespace vellumry
