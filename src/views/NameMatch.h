// The quick filter's rule: which items a typed text keeps. The window and `vellumry-cli scan --match`
// both use it, so they keep the same items.
#pragma once

#include "model/IKImageItem.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

namespace vellumry {

// The path of `path` below the main folder it lies in: the longest of `mainFolders` that holds it is
// cut off with its "/" ("/m/a/b.jpg" below "/m" is "a/b.jpg"). A path below none of them comes back
// whole. Bytes in, bytes out.
QByteArray locationBelow(QByteArrayView path, const QByteArrayList &mainFolders);

// Decides whether an item matches a typed text. Every comparison is on folded text, the form the name
// sort compares in (case and accents ignored), and a name that is not UTF-8 is matched by its display
// text (each bad byte is U+FFFD). The text:
// - without "*", "?" or "/": a part of the name ("resume" keeps "Mon Résumé.pdf");
// - with "*" or "?": a pattern for the whole name; "*" stands for any run of characters, "?" for one;
// - with "/": the same, but against the item's location below its main folder, name included
//   ("day2/" keeps everything under any "day2" folder, "*/raw/*.cr2" the raw files one level down).
// An empty text matches everything. Plain-ASCII names are compared as bytes, without forming texts, so
// a million names take some tens of milliseconds. Const and reentrant: any thread.
class NameMatcher
{
public:
    explicit NameMatcher(const QString &text = {});

    bool isEmpty() const { return m_pattern.isEmpty(); }
    const QString &text() const { return m_text; }
    // The text holds "/": matches() needs the main folders.
    bool matchesLocations() const { return m_location; }

    // Every item this matcher keeps is kept by `wider` too (both plain texts, this one holding the
    // other's), so matching only what `wider` kept gives the same rows. False when it cannot tell.
    bool narrows(const NameMatcher &wider) const;

    // `bytes` is the name, or the location below the main folder when matchesLocations().
    bool matchesBytes(QByteArrayView bytes) const;
    bool matches(const IKImageItem &item, const QByteArrayList &mainFolders) const;
    // The same for a name as a NameIndex holds it: lowered plain ASCII, or with `foldedText` the UTF-8
    // of its folded display text, which a text holding "?" cannot be matched against (see below). Not
    // for texts that match locations.
    bool matchesIndexed(QByteArrayView name, bool foldedText) const;
    // The text holds "?", which stands for one character: UTF-8 bytes cannot be matched against it.
    // (A plain text or "*" finds whole characters in UTF-8 whatever the bytes.)
    bool countsCharacters() const { return m_glob && m_pattern.contains(u'?'); }
    // The text as NameIndex::search() looks for it: folded UTF-8 to be found anywhere in a name. Null
    // when the text is a pattern or matches locations.
    QByteArrayView foldedPart() const
    {
        return m_glob || m_location || m_folded.isEmpty() ? QByteArrayView() : QByteArrayView(m_folded);
    }

private:
    QString m_text;
    QString m_pattern;      // folded
    QByteArray m_ascii;     // the folded pattern as bytes, when it is plain ASCII
    QByteArray m_folded;    // the folded pattern in UTF-8
    QByteArray m_ending;    // for "*" and a text without wildcards ("*.jpg"): that text, in UTF-8
    bool m_glob = false;
    bool m_location = false;
};

} // namespace vellumry
