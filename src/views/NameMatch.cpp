// The quick filter's rule. Plain-ASCII names take a byte path; anything else is folded as a text.
#include "views/NameMatch.h"

#include "platform/NativePath.h"
#include "views/Comparators.h"

#include <algorithm>
#include <cstring>

namespace vellumry {

QByteArray locationBelow(QByteArrayView path, const QByteArrayList &mainFolders)
{
    qsizetype best = -1;
    for (const QByteArray &folder : mainFolders) {
        const QByteArray root = withoutTrailingSlashes(folder);
        if (root.isEmpty())
            continue;
        const qsizetype cut = root == "/" ? 1 : root.size() + 1;
        if (path.size() > cut && path.startsWith(root) && path[cut - 1] == '/' && cut > best)
            best = cut;
    }
    return best < 0 ? path.toByteArray() : path.sliced(best).toByteArray();
}

namespace {

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char lowered(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}

// Whole-text wildcard match: '*' any run, '?' one unit. `fold` brings a unit of the text to the pattern's
// form. Linear backtracking over the last '*', so no pattern takes more than text × pattern steps.
template <typename P, typename T, typename Fold> bool globMatch(P pattern, T text, Fold fold)
{
    qsizetype p = 0, t = 0, star = -1, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == fold(text[t]))) {
            ++p;
            ++t;
        } else if (star >= 0) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

bool containsFoldedAscii(QByteArrayView text, QByteArrayView pattern)
{
    if (pattern.size() > text.size())
        return false;
    const qsizetype last = text.size() - pattern.size();
    const char first = pattern[0];
    for (qsizetype i = 0; i <= last; ++i) {
        if (lowered(text[i]) != first)
            continue;
        qsizetype k = 1;
        while (k < pattern.size() && lowered(text[i + k]) == pattern[k])
            ++k;
        if (k == pattern.size())
            return true;
    }
    return false;
}

} // namespace

NameMatcher::NameMatcher(const QString &text)
    : m_text(text), m_pattern(foldedText(text)),
      m_glob(text.contains(u'*') || text.contains(u'?')), m_location(text.contains(u'/'))
{
    const bool ascii = std::all_of(m_pattern.begin(), m_pattern.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii)
        m_ascii = m_pattern.toLatin1();
    m_folded = m_pattern.toUtf8();
    if (m_glob && !m_location && m_folded.startsWith('*') && !m_folded.mid(1).contains('*') && !m_folded.contains('?'))
        m_ending = m_folded.mid(1); // the commonest pattern, answered without backtracking
}

bool NameMatcher::matchesBytes(QByteArrayView bytes) const
{
    if (m_pattern.isEmpty())
        return true;
    if (!m_ascii.isEmpty() && isAscii(bytes)) {
        if (m_glob)
            return globMatch(QByteArrayView(m_ascii), bytes, lowered);
        return containsFoldedAscii(bytes, m_ascii);
    }
    // Bad bytes read as U+FFFD, as the name is shown; then folded as the name sort folds it.
    const QString folded = foldedText(displayPath(fromNativePath(bytes)));
    if (m_glob)
        return globMatch(QStringView(m_pattern), QStringView(folded), [](QChar c) { return c; });
    return folded.contains(m_pattern);
}

bool NameMatcher::matchesIndexed(QByteArrayView name, bool foldedText) const
{
    if (m_pattern.isEmpty())
        return true;
    if (!m_ending.isEmpty()) // in UTF-8 too, an ending found in the bytes is one of whole characters
        return name.endsWith(QByteArrayView(m_ending));
    if (foldedText) { // UTF-8 in UTF-8: a match is always of whole characters
        if (m_glob)
            return globMatch(QByteArrayView(m_folded), name, [](char c) { return c; });
        return ::memmem(name.data(), size_t(name.size()), m_folded.constData(), size_t(m_folded.size())) != nullptr;
    }
    if (m_ascii.isEmpty())
        return false; // a folded text that is not plain ASCII is in no plain-ASCII name
    if (m_glob)
        return globMatch(QByteArrayView(m_ascii), name, [](char c) { return c; });
    return ::memmem(name.data(), size_t(name.size()), m_ascii.constData(), size_t(m_ascii.size())) != nullptr;
}

bool NameMatcher::narrows(const NameMatcher &wider) const
{
    // A plain text keeps what holds it; what holds a longer text holds every text inside it.
    return !m_glob && !wider.m_glob && m_location == wider.m_location && m_pattern.contains(wider.m_pattern);
}

bool NameMatcher::matches(const IKImageItem &item, const QByteArrayList &mainFolders) const
{
    if (m_pattern.isEmpty())
        return true;
    if (m_location)
        return matchesBytes(locationBelow(item.nativeEntryPath(), mainFolders));
    return matchesBytes(item.nativeFileName());
}

} // namespace vellumry
