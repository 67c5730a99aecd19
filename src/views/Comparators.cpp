// The sort orders. sortItems works out each item's key once and sorts the keys, so a sort never forms
// texts or allocates while it compares.
#include "views/Comparators.h"

#include "platform/NativePath.h"

#include <QDate>
#include <QLocale>
#include <QTime>
#include <QTimeZone>

#include <algorithm>
#include <vector>

namespace vellumry {

using namespace Qt::StringLiterals;

std::optional<SortOrder> sortOrderForIdentifier(QStringView id)
{
    if (id == u"Name")
        return SortOrder::Name;
    if (id == u"Type")
        return SortOrder::Kind;
    if (id == u"Date")
        return SortOrder::Date;
    if (id == u"Path")
        return SortOrder::Path;
    if (id == u"Size")
        return SortOrder::Size;
    return std::nullopt;
}

std::optional<SortOrder> sortOrderFromCliName(std::string_view name)
{
    if (name == "name")
        return SortOrder::Name;
    if (name == "kind")
        return SortOrder::Kind;
    if (name == "date")
        return SortOrder::Date;
    if (name == "path")
        return SortOrder::Path;
    if (name == "size")
        return SortOrder::Size;
    return std::nullopt;
}

namespace {

int sign(int value)
{
    return (value > 0) - (value < 0);
}

bool startsWithPunctuation(QStringView key)
{
    return !key.isEmpty() && key.front().isPunct();
}

bool isMark(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return true;
    default:
        return false;
    }
}

// Appends the form two keys are compared in: decomposed, without combining marks, case-folded.
void appendFolded(QString &out, QStringView key)
{
    const bool ascii = std::all_of(key.begin(), key.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii) { // nothing to decompose; folding ASCII is lowering its capitals
        const qsizetype start = out.size();
        out.resize(start + key.size());
        QChar *dst = out.data() + start;
        for (QChar c : key) {
            const char16_t u = c.unicode();
            *dst++ = QChar(u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u);
        }
        return;
    }
    const QString decomposed = key.toString().normalized(QString::NormalizationForm_D);
    QString stripped;
    stripped.reserve(decomposed.size());
    for (qsizetype i = 0; i < decomposed.size(); ++i) {
        const QChar c = decomposed.at(i);
        if (c.isHighSurrogate() && i + 1 < decomposed.size() && decomposed.at(i + 1).isLowSurrogate()) {
            const QChar low = decomposed.at(i + 1);
            if (!isMark(QChar::surrogateToUcs4(c, low))) {
                stripped.append(c);
                stripped.append(low);
            }
            ++i;
        } else if (!isMark(c.unicode())) {
            stripped.append(c);
        }
    }
    out.append(std::move(stripped).toCaseFolded());
}

QString foldedKey(QStringView key)
{
    QString out;
    appendFolded(out, key);
    return out;
}

// Seconds since 1970 UTC, or nothing.
std::optional<qint64> dateKey(QStringView text)
{
    // The usual texts have exactly this shape: read them directly. Anything else, including shapes
    // that name no real date, goes to QLocale, which has the final word.
    const auto digit = [&](qsizetype i) { return text[i] >= u'0' && text[i] <= u'9'; };
    const auto number = [&](qsizetype from, qsizetype count) {
        int value = 0;
        for (qsizetype i = from; i < from + count; ++i)
            value = value * 10 + (text[i].unicode() - u'0');
        return value;
    };
    if (text.size() == 19 && (text[4] == u':' || text[4] == u'-') && text[7] == text[4] && text[10] == u' ' &&
        text[13] == u':' && text[16] == u':') {
        bool digits = true;
        for (qsizetype i : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18})
            digits = digits && digit(i);
        if (digits) {
            const QDate date(number(0, 4), number(5, 2), number(8, 2));
            const QTime time(number(11, 2), number(14, 2), number(17, 2));
            if (date.isValid() && time.isValid())
                return (date.toJulianDay() - QDate(1970, 1, 1).toJulianDay()) * 86400 +
                       time.msecsSinceStartOfDay() / 1000;
        }
    }

    // The date and the time are read apart and joined in UTC, so no local daylight-saving gap can
    // reject or shift a time.
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    const qsizetype space = text.indexOf(u' ');
    if (space < 0)
        return std::nullopt;
    const QString datePart = text.left(space).toString();
    const QString timePart = text.mid(space + 1).toString();
    const QTime time = english.toTime(timePart, u"HH:mm:ss"_s);
    if (!time.isValid())
        return std::nullopt;
    QDate date = english.toDate(datePart, u"yyyy:MM:dd"_s);
    if (!date.isValid())
        date = english.toDate(datePart, u"yyyy-MM-dd"_s);
    if (!date.isValid())
        return std::nullopt;
    return QDateTime(date, time, QTimeZone::utc()).toSecsSinceEpoch();
}

// Puts the items in the order of the sorted keys; each key carries its item's old position.
template <typename Key> void applyOrder(ItemList &items, const std::vector<Key> &keys)
{
    ItemList sorted;
    sorted.reserve(items.size());
    for (const Key &key : keys)
        sorted.append(std::move(items[key.index]));
    items = std::move(sorted);
}

// A folded key for the sort. Its first twelve code units are packed into three integers that compare in
// code-unit order, so most comparisons never reach the text itself, which lies in one shared buffer.
struct TextKey
{
    quint64 head[3];
    qsizetype offset;
    quint32 length;
    quint32 index; // the item's old position
    bool punctuation;
};

// Appends a key's folded form to the buffer and tells whether the key starts with punctuation.
bool appendKey(QString &text, const QString &key)
{
    appendFolded(text, key);
    return startsWithPunctuation(key);
}

// The same for the exact bytes of a name or path, read as fromNativePath() reads them. Plain ASCII,
// the common case, is folded straight from the bytes.
bool appendKey(QString &text, const QByteArray &bytes)
{
    if (!std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }))
        return appendKey(text, fromNativePath(bytes));
    const qsizetype start = text.size();
    text.resize(start + bytes.size());
    QChar *dst = text.data() + start;
    for (char c : bytes)
        *dst++ = QChar(c >= 'A' && c <= 'Z' ? char16_t(c + 32) : char16_t(c));
    return !bytes.isEmpty() && QChar(char16_t(bytes.front())).isPunct();
}

template <typename KeyOf> void sortByText(ItemList &items, KeyOf keyOf)
{
    std::vector<TextKey> keys;
    keys.reserve(size_t(items.size()));
    QString text; // every folded key, one after another
    for (qsizetype i = 0; i < items.size(); ++i) {
        const qsizetype offset = text.size();
        const bool punctuation = appendKey(text, keyOf(*items.at(i)));
        const QStringView folded = QStringView(text).sliced(offset);
        TextKey k{{0, 0, 0}, offset, quint32(folded.size()), quint32(i), punctuation};
        for (qsizetype u = 0; u < std::min<qsizetype>(12, folded.size()); ++u)
            k.head[u / 4] |= quint64(folded[u].unicode()) << (16 * (3 - u % 4));
        keys.push_back(k);
    }
    // The old position breaks ties, so equal keys keep their order without the cost of a stable sort.
    const QStringView all(text);
    std::sort(keys.begin(), keys.end(), [all](const TextKey &a, const TextKey &b) {
        if (a.punctuation != b.punctuation)
            return a.punctuation;
        if (a.head[0] != b.head[0])
            return a.head[0] < b.head[0];
        if (a.head[1] != b.head[1])
            return a.head[1] < b.head[1];
        if (a.head[2] != b.head[2])
            return a.head[2] < b.head[2];
        // Equal heads mean equal leading units, up to the shorter key's end.
        const qsizetype same = std::min({quint32(12), a.length, b.length});
        const int c = all.sliced(a.offset + same, a.length - same)
                          .compare(all.sliced(b.offset + same, b.length - same));
        return c != 0 ? c < 0 : a.index < b.index;
    });
    applyOrder(items, keys);
}

} // namespace

QString foldedText(QStringView key) { return foldedKey(key); }

int compareTextKeys(QStringView a, QStringView b)
{
    const bool aPunct = startsWithPunctuation(a);
    const bool bPunct = startsWithPunctuation(b);
    if (aPunct != bPunct)
        return aPunct ? -1 : 1;
    return sign(QStringView(foldedKey(a)).compare(QStringView(foldedKey(b))));
}

int compareByName(const IKImageItem &a, const IKImageItem &b)
{
    return compareTextKeys(a.fileName(), b.fileName());
}
int compareByKind(const IKImageItem &a, const IKImageItem &b)
{
    return compareTextKeys(a.fileType(), b.fileType());
}
int compareByPath(const IKImageItem &a, const IKImageItem &b)
{
    return compareTextKeys(a.filePath(), b.filePath());
}

int compareBySize(const IKImageItem &a, const IKImageItem &b)
{
    return a.filesizenum() > b.filesizenum() ? -1 : a.filesizenum() < b.filesizenum() ? 1 : 0;
}

int compareByDate(const IKImageItem &a, const IKImageItem &b)
{
    const std::optional<qint64> da = dateKey(a.modifDate());
    const std::optional<qint64> db = dateKey(b.modifDate());
    if (da.has_value() != db.has_value())
        return da ? -1 : 1;
    if (!da)
        return 0;
    return *da > *db ? -1 : *da < *db ? 1 : 0;
}

std::optional<QDateTime> parseDateText(QStringView text)
{
    if (const std::optional<qint64> seconds = dateKey(text))
        return QDateTime::fromSecsSinceEpoch(*seconds, QTimeZone::utc());
    return std::nullopt;
}

void sortItems(ItemList &items, SortOrder order)
{
    switch (order) {
    case SortOrder::Name:
        sortByText(items, [](const IKImageItem &item) { return item.nativeFileName(); });
        return;
    case SortOrder::Kind:
        sortByText(items, [](const IKImageItem &item) { return item.fileType(); });
        return;
    case SortOrder::Path:
        sortByText(items, [](const IKImageItem &item) { return item.nativeFilePath(); });
        return;
    case SortOrder::Size: {
        struct SizeKey
        {
            quint64 size;
            qsizetype index;
        };
        std::vector<SizeKey> keys;
        keys.reserve(size_t(items.size()));
        for (qsizetype i = 0; i < items.size(); ++i)
            keys.push_back({items.at(i)->filesizenum(), i});
        std::stable_sort(keys.begin(), keys.end(),
                         [](const SizeKey &a, const SizeKey &b) { return a.size > b.size; });
        applyOrder(items, keys);
        return;
    }
    case SortOrder::Date: {
        struct DateKey
        {
            qint64 seconds;
            qsizetype index;
            bool dated;
        };
        std::vector<DateKey> keys;
        keys.reserve(size_t(items.size()));
        for (qsizetype i = 0; i < items.size(); ++i) {
            const std::optional<qint64> seconds = dateKey(items.at(i)->modifDate());
            keys.push_back({seconds.value_or(0), i, seconds.has_value()});
        }
        // Undated items follow the dated ones, in the order they had.
        std::stable_sort(keys.begin(), keys.end(), [](const DateKey &a, const DateKey &b) {
            if (a.dated != b.dated)
                return a.dated;
            return a.dated && a.seconds > b.seconds;
        });
        applyOrder(items, keys);
        return;
    }
    }
}

} // namespace vellumry
