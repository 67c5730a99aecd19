// The short texts shown for an item's size and dates, shared by the views and the command-line listing.
#pragma once

#include <QString>
#include <QtGlobal>

namespace vellumry {

// Writes the size text of n into out_buffer and returns out_buffer. The buffer must hold at least 100
// bytes. Decimal units (1 KB = 1000 bytes): "0 bytes" .. "999 bytes", then "1.00 KB", "1.00 MB",
// "1.00 GB" and "1.00 TB" upwards, always with two decimals and never localised. The value is worked out
// in single precision, so sizes just under a unit step show as "1000.00" of the smaller unit.
char *size_to_unit(quint64 n, char *out_buffer);
// The same text as a QString.
QString sizeText(quint64 n);

// Writes the date text "YYYY-MM-DD HH:MM:SS" of a time given in whole seconds since 1970-01-01 00:00:00
// UTC, shown in UTC on the proleptic Gregorian calendar, plus a NUL, into out (at least 20 bytes), and
// returns the number of characters before the NUL, always 19. Times before 0001-01-01 00:00:00 are shown
// as that moment and times after 9999-12-31 23:59:59 as that one, so the text keeps its width.
int formatDateText(qint64 secondsSinceEpoch, char *out);
// The same text as a QString.
QString dateText(qint64 secondsSinceEpoch);

} // namespace vellumry
