// mimeapps.list edited as lines of text: parsed the way GLib's key files are, changed where needed only,
// and written back atomically.
#include "defaultapps/MimeAppsList.h"

#include "platform/RegularFile.h"

#include <QList>

#include <glib.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

constexpr QByteArrayView kDefaultGroup = "Default Applications";
constexpr QByteArrayView kAddedGroup = "Added Associations";
constexpr QByteArrayView kRemovedGroup = "Removed Associations";

struct Line
{
    QByteArray text;  // without its line end
    QByteArray end;   // "\n", "\r\n", or nothing for a last line without one
    QByteArray group; // the group the line is in (a header: its own)
    bool isHeader = false;
    QByteArray key;          // a key line's key, empty otherwise
    qsizetype valueFrom = 0; // where a key line's value starts in `text`
    QByteArray value() const { return text.mid(valueFrom); }
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// GLib's rule for a key: a name without "=", "[", "]" and without blanks at either end, then at most
// one "[locale]" of letters, digits and "-_.@".
bool isKeyName(QByteArrayView key)
{
    qsizetype i = 0;
    while (i < key.size() && key[i] != '[' && key[i] != ']')
        ++i;
    if (i == 0 || key.front() == ' ' || key[i - 1] == ' ')
        return false;
    if (i == key.size())
        return true;
    if (key[i] != '[')
        return false;
    for (++i; i < key.size() && key[i] != ']'; ++i) {
        const char c = key[i];
        if (!(g_ascii_isalnum(c) || c == '-' || c == '_' || c == '.' || c == '@' || (c & 0x80)))
            return false;
    }
    return i == key.size() - 1;
}

bool isGroupName(QByteArrayView name)
{
    if (name.isEmpty())
        return false;
    for (const char c : name) {
        if (c == '[' || c == ']' || g_ascii_iscntrl(c))
            return false;
    }
    return true;
}

QString unreadable(const QString &why)
{
    return u"mimeapps.list cannot be read: "_s + why;
}

// Splits and classifies the lines; nothing when GLib would refuse the file.
std::optional<QList<Line>> parse(const QByteArray &text, QString *reason)
{
    if (!g_utf8_validate_len(text.constData(), gsize(text.size()), nullptr)) {
        *reason = unreadable(u"it is not UTF-8 text"_s);
        return std::nullopt;
    }
    QList<Line> lines;
    QByteArray group;
    for (qsizetype from = 0; from < text.size();) {
        qsizetype to = text.indexOf('\n', from);
        Line line;
        if (to < 0) {
            to = text.size();
        } else {
            line.end = "\n";
        }
        line.text = text.mid(from, to - from);
        if (line.end == "\n" && line.text.endsWith('\r')) {
            line.text.chop(1);
            line.end = "\r\n";
        }
        from = to + 1;

        qsizetype start = 0;
        while (start < line.text.size() && isBlank(line.text[start]))
            ++start;
        const QByteArrayView body = QByteArrayView(line.text).sliced(start);
        const QString where = u"line %1 "_s.arg(lines.size() + 1);
        if (body.isEmpty() || body.front() == '#') {
            // blank or a comment
        } else if (body.front() == '[' && body.indexOf(']') > 0) {
            const qsizetype close = body.indexOf(']');
            for (qsizetype i = close + 1; i < body.size(); ++i) {
                if (body[i] != ' ' && body[i] != '\t') {
                    *reason = unreadable(where + u"is not a group, a key or a comment"_s);
                    return std::nullopt;
                }
            }
            group = body.sliced(1, close - 1).toByteArray();
            if (!isGroupName(group)) {
                *reason = unreadable(where + u"is not a group, a key or a comment"_s);
                return std::nullopt;
            }
            line.isHeader = true;
        } else if (const qsizetype equals = body.indexOf('='); equals > 0) {
            QByteArrayView key = body.first(equals);
            while (!key.isEmpty() && isBlank(key.back()))
                key.chop(1);
            if (!isKeyName(key)) {
                *reason = unreadable(where + u"is not a group, a key or a comment"_s);
                return std::nullopt;
            }
            if (group.isEmpty()) {
                *reason = unreadable(where + u"is a key outside any group"_s);
                return std::nullopt;
            }
            line.key = key.toByteArray();
            line.valueFrom = start + equals + 1;
            while (line.valueFrom < line.text.size() && isBlank(line.text[line.valueFrom]))
                ++line.valueFrom;
        } else {
            *reason = unreadable(where + u"is not a group, a key or a comment"_s);
            return std::nullopt;
        }
        line.group = group;
        lines.append(line);
    }
    return lines;
}

// The items of a list value, split at ";" that is not escaped; empty items dropped.
QByteArrayList listItems(const QByteArray &value)
{
    QByteArrayList items;
    QByteArray item;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            item += value[i];
            item += value[++i];
        } else if (value[i] == ';') {
            if (!item.isEmpty())
                items.append(item);
            item.clear();
        } else {
            item += value[i];
        }
    }
    if (!item.isEmpty())
        items.append(item);
    return items;
}

QByteArray listValue(const QByteArrayList &items)
{
    QByteArray value;
    for (const QByteArray &item : items)
        value += item + ';';
    return value;
}

struct Place
{
    qsizetype keyLine = -1;  // the last line with the key in the group
    qsizetype groupEnd = -1; // the last key line (or header) of the group's last section
};

Place find(const QList<Line> &lines, QByteArrayView group, const QByteArray &key)
{
    Place place;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Line &line = lines[i];
        if (line.group != group)
            continue;
        if (line.isHeader || !line.key.isEmpty())
            place.groupEnd = i;
        if (line.key == key)
            place.keyLine = i;
    }
    return place;
}

} // namespace

std::optional<QByteArray> mimeappsWithDefault(const QByteArray &text, const QByteArray &contentType,
                                              const QByteArray &desktopId, QString *reason)
{
    QString why;
    std::optional<QList<Line>> parsed = parse(text, &why);
    if (!parsed) {
        if (reason)
            *reason = why;
        return std::nullopt;
    }
    QList<Line> &lines = *parsed;
    const QByteArray eol = !lines.isEmpty() && lines.front().end == "\r\n" ? "\r\n" : "\n";

    // What each of the three groups should say about the type: a value, or no key at all.
    struct Wanted
    {
        QByteArrayView group;
        Place place;
        std::optional<QByteArray> value;
    };
    QList<Wanted> wanted;
    wanted.append({kDefaultGroup, find(lines, kDefaultGroup, contentType), desktopId});
    {
        const Place place = find(lines, kAddedGroup, contentType);
        QByteArrayList items{desktopId};
        if (place.keyLine >= 0) {
            for (const QByteArray &item : listItems(lines[place.keyLine].value())) {
                if (item != desktopId)
                    items.append(item);
            }
        }
        wanted.append({kAddedGroup, place, listValue(items)});
    }
    if (const Place place = find(lines, kRemovedGroup, contentType); place.keyLine >= 0) {
        QByteArrayList items = listItems(lines[place.keyLine].value());
        if (items.removeAll(desktopId) > 0)
            wanted.append(
                {kRemovedGroup, place, items.isEmpty() ? std::nullopt : std::optional(listValue(items))});
    }

    // Lines in place first, then insertions and removals from the bottom up so that indexes hold.
    QList<std::pair<qsizetype, Wanted>> moves; // index after which to insert (value) or to remove (none)
    QList<Wanted> appended;
    for (const Wanted &want : std::as_const(wanted)) {
        if (want.place.keyLine >= 0) {
            Line &line = lines[want.place.keyLine];
            if (!want.value)
                moves.append({want.place.keyLine, want});
            else if (line.value() != *want.value)
                line.text = line.text.left(line.valueFrom) + *want.value;
        } else if (want.place.groupEnd >= 0) {
            moves.append({want.place.groupEnd, want});
        } else {
            appended.append(want);
        }
    }
    std::sort(moves.begin(), moves.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    for (const auto &[index, want] : std::as_const(moves)) {
        if (!want.value) {
            lines.removeAt(index);
            continue;
        }
        if (lines[index].end.isEmpty())
            lines[index].end = eol;
        lines.insert(index + 1, Line{contentType + '=' + *want.value, eol, {}, false, {}, 0});
    }
    for (const Wanted &want : std::as_const(appended)) {
        if (!lines.isEmpty()) {
            if (lines.back().end.isEmpty())
                lines.back().end = eol;
            if (!lines.back().text.trimmed().isEmpty())
                lines.append(Line{{}, eol, {}, false, {}, 0});
        }
        lines.append(Line{'[' + want.group.toByteArray() + ']', eol, {}, true, {}, 0});
        lines.append(Line{contentType + '=' + *want.value, eol, {}, false, {}, 0});
    }

    QByteArray out;
    out.reserve(text.size() + 128);
    for (const Line &line : std::as_const(lines))
        out += line.text + line.end;
    return out;
}

MimeappsWrite setDefaultInMimeappsList(const QByteArray &path, const QByteArray &contentType,
                                       const QByteArray &desktopId)
{
    const auto refused = [](const QString &reason) { return MimeappsWrite{false, reason}; };
    const auto writeError = [](int error) {
        return MimeappsWrite{false, u"mimeapps.list could not be written: "_s + fileErrorText(error)};
    };

    // The file to rewrite: the path itself, or the file its link leads to.
    QByteArray target = path;
    bool isLink = false;
    struct stat st;
    bool exists = ::lstat(path.constData(), &st) == 0;
    if (!exists && errno != ENOENT)
        return writeError(errno);
    if (exists && S_ISLNK(st.st_mode)) {
        char *resolved = ::realpath(path.constData(), nullptr);
        if (!resolved)
            return errno == ENOENT ? refused(u"mimeapps.list is a link to a missing file"_s)
                                   : writeError(errno);
        target = resolved;
        std::free(resolved);
        isLink = true;
        if (::stat(target.constData(), &st) != 0)
            return writeError(errno);
    }

    QByteArray before;
    if (exists) {
        if (!S_ISREG(st.st_mode))
            return refused(u"mimeapps.list is not a regular file"_s);
        // access() lets root write anything; the owner-write bit is what the user chose.
        if (!(st.st_mode & S_IWUSR) || ::access(target.constData(), W_OK) != 0)
            return refused(u"mimeapps.list is read-only"_s);
        const FileContent read = readRegularFile(target);
        if (!read.ok)
            return refused(u"mimeapps.list could not be read: "_s + read.reason);
        before = read.content;
    }
    QString reason;
    const std::optional<QByteArray> after = mimeappsWithDefault(before, contentType, desktopId, &reason);
    if (!after)
        return refused(reason);
    if (exists && *after == before)
        return {true, {}};

    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? target.left(slash) : QByteArray("/");
    if (!exists && g_mkdir_with_parents(folder.constData(), 0700) != 0)
        return writeError(errno);
    const int error = replaceFileAtomically(target, *after, exists ? (st.st_mode & 07777) : 0600, exists ? &st : nullptr);
    if (error == ESTALE) // someone else's change since it was read would be lost: keep theirs
        return refused(u"mimeapps.list changed while it was being edited"_s);
    if (error)
        return writeError(error);
    // Watchers of the link's folder (GIO's among them) see nothing of a change made elsewhere: touch it.
    if (isLink)
        ::utimensat(AT_FDCWD, path.constData(), nullptr, AT_SYMLINK_NOFOLLOW);
    return {true, {}};
}

} // namespace vellumry
