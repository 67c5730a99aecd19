// Size and date texts. Both run once per listed item, so they avoid QLocale and QDateTime.
#include "model/ItemTexts.h"

#include <cstdio>

namespace vellumry {
namespace {

constexpr std::size_t kSizeBufferLength = 100;

// Prints the value with two decimals and the unit. The float is widened only for printing.
char *writeUnits(float value, const char *unit, char *out)
{
    std::snprintf(out, kSizeBufferLength, "%.2f %s", static_cast<double>(value), unit);
    return out;
}

constexpr qint64 kSecondsPerDay = 86400;
// Days from 1970-01-01 to 0001-01-01 and to 9999-12-31 on the proleptic Gregorian calendar.
constexpr qint64 kFirstDay = -719162;
constexpr qint64 kLastDay = 2932896;

struct CivilDate
{
    qint64 year;
    unsigned month; // 1..12
    unsigned day;   // 1..31
};

// The calendar date of a day number counted from 1970-01-01. The calendar repeats every 400 years
// (146097 days), so the day is split into a 400-year era and a day within it. Within the era, years are
// counted from March 1st so that the leap day falls at the end of the year.
constexpr CivilDate civilFromDays(qint64 days)
{
    const qint64 z = days + 719468; // days since 0000-03-01
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 dayOfEra = z - era * 146097; // [0, 146096]
    const qint64 yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;           // [0, 399]
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100); // [0, 365]
    const qint64 monthFromMarch = (5 * dayOfYear + 2) / 153;                                 // [0, 11]
    const auto day = static_cast<unsigned>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    const auto month = static_cast<unsigned>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    const qint64 year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return {year, month, day};
}
static_assert(civilFromDays(0).year == 1970 && civilFromDays(0).month == 1 && civilFromDays(0).day == 1);
static_assert(civilFromDays(kFirstDay).year == 1 && civilFromDays(kFirstDay).month == 1 &&
              civilFromDays(kFirstDay).day == 1);
static_assert(civilFromDays(kLastDay).year == 9999 && civilFromDays(kLastDay).month == 12 &&
              civilFromDays(kLastDay).day == 31);

// Writes value as exactly `width` decimal digits, with leading zeros.
char *writeDigits(char *out, unsigned value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + width;
}

} // namespace

char *size_to_unit(quint64 n, char *out_buffer)
{
    if (n <= 999) {
        std::snprintf(out_buffer, kSizeBufferLength, "%d bytes", static_cast<int>(n));
        return out_buffer;
    }
    // Each unit step is one single-precision division, and each quotient stays a float.
    const float bytes = static_cast<float>(n);
    const float kilo = bytes / 1000.0f;
    if (n <= 999999)
        return writeUnits(kilo, "KB", out_buffer);
    const float mega = kilo / 1000.0f;
    if (n <= 999999999)
        return writeUnits(mega, "MB", out_buffer);
    const float giga = mega / 1000.0f;
    // n >> 12 > 244140624 is the same test as n >= 10^12 (244140625 * 4096 == 10^12).
    if ((n >> 12) <= 244140624)
        return writeUnits(giga, "GB", out_buffer);
    const float tera = giga / 1000.0f;
    return writeUnits(tera, "TB", out_buffer);
}

QString sizeText(quint64 n)
{
    char buffer[kSizeBufferLength] = {};
    return QString::fromLatin1(size_to_unit(n, buffer));
}

int formatDateText(qint64 secondsSinceEpoch, char *out)
{
    // Floor division, so times before 1970 fall on the day they belong to.
    qint64 days = secondsSinceEpoch / kSecondsPerDay;
    qint64 secondOfDay = secondsSinceEpoch % kSecondsPerDay;
    if (secondOfDay < 0) {
        secondOfDay += kSecondsPerDay;
        --days;
    }
    if (days < kFirstDay) {
        days = kFirstDay;
        secondOfDay = 0;
    } else if (days > kLastDay) {
        days = kLastDay;
        secondOfDay = kSecondsPerDay - 1;
    }
    const CivilDate date = civilFromDays(days);
    const auto seconds = static_cast<unsigned>(secondOfDay);

    char *p = writeDigits(out, static_cast<unsigned>(date.year), 4);
    *p++ = '-';
    p = writeDigits(p, date.month, 2);
    *p++ = '-';
    p = writeDigits(p, date.day, 2);
    *p++ = ' ';
    p = writeDigits(p, seconds / 3600, 2);
    *p++ = ':';
    p = writeDigits(p, seconds / 60 % 60, 2);
    *p++ = ':';
    p = writeDigits(p, seconds % 60, 2);
    *p = '\0';
    return static_cast<int>(p - out);
}

QString dateText(qint64 secondsSinceEpoch)
{
    char buffer[20];
    const int length = formatDateText(secondsSinceEpoch, buffer);
    return QString::fromLatin1(buffer, length);
}

} // namespace vellumry
