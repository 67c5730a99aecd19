// The five orders the user can sort all files by, as comparators and as one fast in-place sort.
#pragma once

#include "model/IKImageItem.h"

#include <QDateTime>
#include <QStringView>

#include <optional>
#include <string_view>

namespace vellumry {

enum class SortOrder
{
    Name,
    Kind,
    Date,
    Path,
    Size
};

// The order a list-table column title stands for: "Name", "Type" (kind order), "Date", "Path" or
// "Size". Any other title: nothing.
std::optional<SortOrder> sortOrderForIdentifier(QStringView id);
// The order named on the command line: "name", "kind", "date", "path" or "size".
std::optional<SortOrder> sortOrderFromCliName(std::string_view name);

// Three-way comparators: below 0 puts a first, 0 means the same place, above 0 puts b first.

// The rule shared by names, kinds and paths: a key whose first UTF-16 code unit is punctuation comes
// before one whose first unit is not. Otherwise the keys compare code unit by code unit after
// dropping diacritics and folding case, so "Résumé" equals "resume" and "file10" precedes "file2".
int compareTextKeys(QStringView a, QStringView b);
// The form compareTextKeys() compares a key in: decomposed, without combining marks, case-folded.
QString foldedText(QStringView key);
int compareByName(const IKImageItem &a, const IKImageItem &b); // fileName()
int compareByKind(const IKImageItem &a, const IKImageItem &b); // fileType()
int compareByPath(const IKImageItem &a, const IKImageItem &b); // filePath()
int compareBySize(const IKImageItem &a, const IKImageItem &b); // larger first
// Newest modifDate() first. An item whose date text does not parse goes after every dated item and
// is the same as any other undated one.
int compareByDate(const IKImageItem &a, const IKImageItem &b);

// The moment a date text names, read as UTC: "yyyy:MM:dd HH:mm:ss" (as cameras write it) is tried
// first, then "yyyy-MM-dd HH:mm:ss" (as the scan writes it). Digits are plain ASCII digits.
std::optional<QDateTime> parseDateText(QStringView text);

// Sorts the list in place by the order's comparator. Items the comparator calls the same keep their
// relative order. Each item's key is worked out once, so a million items sort in well under a second.
void sortItems(ItemList &items, SortOrder order);

} // namespace vellumry
