// Lossless path bytes <-> QString conversion and the escaped form used by line-oriented output.
#include "platform/NativePath.h"

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

} // namespace vellumry
