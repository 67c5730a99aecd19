// Size and date texts. Both run once per listed item, so they avoid QLocale and QDateTime.
#include "model/ItemTexts.h"

#include <chrono>

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

using std::chrono::days;
using std::chrono::sys_days;
// 0001-01-01 and 9999-12-31: the dates a four-digit year can show; times outside are held to them.
constexpr sys_days kFirstDay = std::chrono::year{1} / 1 / 1;
constexpr sys_days kLastDay = std::chrono::year{9999} / 12 / 31;

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
    using namespace std::chrono;
    const sys_seconds time{seconds(secondsSinceEpoch)};
    sys_days day = floor<days>(time); // times before 1970 fall on the day they belong to
    auto secondOfDay = time - day;
    if (day < kFirstDay) {
        day = kFirstDay;
        secondOfDay = seconds(0);
    } else if (day > kLastDay) {
        day = kLastDay;
        secondOfDay = days(1) - seconds(1);
    }
    const year_month_day date{day};
    const hh_mm_ss clock{secondOfDay};

    char *p = writeDigits(out, static_cast<unsigned>(int(date.year())), 4);
    *p++ = '-';
    p = writeDigits(p, unsigned(date.month()), 2);
    *p++ = '-';
    p = writeDigits(p, unsigned(date.day()), 2);
    *p++ = ' ';
    p = writeDigits(p, unsigned(clock.hours().count()), 2);
    *p++ = ':';
    p = writeDigits(p, unsigned(clock.minutes().count()), 2);
    *p++ = ':';
    p = writeDigits(p, unsigned(clock.seconds().count()), 2);
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
