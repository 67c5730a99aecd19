// Reading dates, sizes and lengths out of picture headers (Exiv2) and media containers (libavformat).
#include "model/MediaInfo.h"

#include <QTimeZone>

#include <exiv2/exiv2.hpp>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/log.h>
}

#include <cmath>
#include <ctime>
#include <mutex>
#include <optional>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

constexpr int kFirstYear = 1801;
constexpr int kLastYear = 2499;

// The libraries' process-wide set-up, once: no messages of theirs on the user's terminal, and Exiv2's
// XMP parser initialised before two threads may need it at once.
void setUpLibraries()
{
    static std::once_flag once;
    std::call_once(once, [] {
        av_log_set_level(AV_LOG_QUIET);
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize();
#ifdef EXV_ENABLE_BMFF
        Exiv2::enableBMFF(true); // HEIC, AVIF and CR3
#endif
    });
}

struct ParsedTime
{
    QDate date;
    QTime time;
    std::optional<int> offsetSeconds; // east of UTC, when the text gives one ("Z" is 0)
};

// Reads a run of exactly `count` digits at `pos`, moving past them.
std::optional<int> digits(const QString &text, qsizetype &pos, int count)
{
    if (pos + count > text.size())
        return std::nullopt;
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const QChar c = text.at(pos + i);
        if (!c.isDigit())
            return std::nullopt;
        value = value * 10 + c.digitValue();
    }
    pos += count;
    return value;
}

bool skip(const QString &text, qsizetype &pos, QStringView separators)
{
    if (pos < text.size() && separators.contains(text.at(pos))) {
        ++pos;
        return true;
    }
    return false;
}

// "YYYY[:-]MM[:-]DD[ T]hh:mm[:ss[.fff]][Z|+hh[:]mm|-hh[:]mm]", the later parts optional as XMP allows.
// Fills `zero` when every digit of the date is 0. Nothing when the text is no such date.
std::optional<ParsedTime> parseTime(const QString &text, bool *zero)
{
    qsizetype pos = 0;
    const auto year = digits(text, pos, 4);
    if (!year)
        return std::nullopt;
    int month = 1, day = 1, hour = 0, minute = 0, second = 0;
    if (skip(text, pos, u":-")) {
        const auto m = digits(text, pos, 2);
        if (!m)
            return std::nullopt;
        month = *m;
        if (skip(text, pos, u":-")) {
            const auto d = digits(text, pos, 2);
            if (!d)
                return std::nullopt;
            day = *d;
        }
    }
    *zero = *year == 0 && month == 0 && day == 0;
    std::optional<int> offset;
    if (skip(text, pos, u"T ")) {
        const auto h = digits(text, pos, 2);
        if (!h || !skip(text, pos, u":"))
            return std::nullopt;
        const auto m = digits(text, pos, 2);
        if (!m)
            return std::nullopt;
        hour = *h;
        minute = *m;
        if (skip(text, pos, u":")) {
            const auto s = digits(text, pos, 2);
            if (!s)
                return std::nullopt;
            second = *s;
            if (skip(text, pos, u".,"))
                while (pos < text.size() && text.at(pos).isDigit())
                    ++pos;
        }
        if (skip(text, pos, u"Zz")) {
            offset = 0;
        } else if (pos < text.size() && (text.at(pos) == u'+' || text.at(pos) == u'-')) {
            const int sign = text.at(pos++) == u'-' ? -1 : 1;
            const auto oh = digits(text, pos, 2);
            skip(text, pos, u":");
            const auto om = digits(text, pos, 2);
            if (!oh)
                return std::nullopt;
            offset = sign * (*oh * 3600 + om.value_or(0) * 60);
        }
    }
    ParsedTime parsed{QDate(*year, month, day), QTime(hour, minute, second), offset};
    if (!parsed.date.isValid() || !parsed.time.isValid())
        return std::nullopt;
    return parsed;
}

// The parsed time with `reason` for anything unusable.
std::optional<ParsedTime> usableTime(const QString &written, QString *reason)
{
    const QString text = written.trimmed();
    if (text.isEmpty()) {
        *reason = u"no date taken"_s;
        return std::nullopt;
    }
    bool zero = false;
    const auto parsed = parseTime(text, &zero);
    if (!parsed || zero) {
        *reason = u"unusable date: %1"_s.arg(text);
        return std::nullopt;
    }
    return parsed;
}

QDateTime inRange(const QDateTime &wall, const QString &written, QString *reason)
{
    if (wall.date().year() < kFirstYear || wall.date().year() > kLastYear) {
        *reason = u"date outside %1-%2: %3"_s.arg(kFirstYear).arg(kLastYear).arg(written.trimmed());
        return {};
    }
    return wall;
}

QDateTime carried(const QDate &date, const QTime &time)
{
    return QDateTime(date, time, QTimeZone::utc());
}

// A UTC moment as the wall-clock time of this computer's time zone.
QDateTime localWallTime(qint64 utcSeconds)
{
    const auto secs = time_t(utcSeconds);
    struct tm local;
    if (!::localtime_r(&secs, &local))
        return {};
    return carried(QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
                   QTime(local.tm_hour, local.tm_min, local.tm_sec));
}

QString trimmedText(std::string value)
{
    while (!value.empty() && (value.back() == '\0' || value.back() == ' '))
        value.pop_back();
    return QString::fromUtf8(value.data(), qsizetype(value.size())).trimmed();
}

// ---- Pictures ----

QString valueOf(const Exiv2::ExifData &data, const char *key)
{
    const auto found = data.findKey(Exiv2::ExifKey(key));
    return found == data.end() ? QString() : trimmedText(found->toString());
}

QString valueOf(const Exiv2::XmpData &data, const char *key)
{
    const auto found = data.findKey(Exiv2::XmpKey(key));
    return found == data.end() ? QString() : trimmedText(found->toString());
}

void readPicture(const QByteArray &path, MediaRead read, MediaInfo &info)
{
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path.toStdString());
    if (!image.get()) {
        info.noDateReason = u"unreadable: not a picture format the reader knows"_s;
        return;
    }
    image->readMetadata();
    const Exiv2::ExifData &exif = image->exifData();
    const Exiv2::XmpData &xmp = image->xmpData();

    // The first tag that holds a usable date wins; when none does, the first unusable one says why.
    const struct
    {
        QString text;
        TakenSource source;
    } candidates[] = {
        {valueOf(exif, "Exif.Photo.DateTimeOriginal"), TakenSource::Exif},
        {valueOf(exif, "Exif.Photo.DateTimeDigitized"), TakenSource::Exif},
        {valueOf(xmp, "Xmp.xmp.CreateDate"), TakenSource::Xmp},
        {valueOf(xmp, "Xmp.photoshop.DateCreated"), TakenSource::Xmp},
    };
    QString firstReason;
    for (const auto &candidate : candidates) {
        if (candidate.text.isEmpty())
            continue;
        QString reason;
        const QDateTime taken = wallTimeFromText(candidate.text, &reason);
        if (taken.isValid()) {
            info.taken = taken;
            info.source = candidate.source;
            break;
        }
        if (firstReason.isEmpty())
            firstReason = reason;
    }
    if (!info.taken.isValid())
        info.noDateReason = firstReason.isEmpty() ? u"no date taken"_s : firstReason;
    if (read == MediaRead::DateOnly)
        return;

    info.width = image->pixelWidth();
    info.height = image->pixelHeight();
    if (info.width <= 0 || info.height <= 0) {
        info.width = valueOf(exif, "Exif.Photo.PixelXDimension").toInt();
        info.height = valueOf(exif, "Exif.Photo.PixelYDimension").toInt();
    }
    const int orientation = valueOf(exif, "Exif.Image.Orientation").toInt();
    if (orientation >= 5 && orientation <= 8) // shown turned by a quarter
        std::swap(info.width, info.height);
    const QString make = valueOf(exif, "Exif.Image.Make");
    const QString model = valueOf(exif, "Exif.Image.Model");
    info.camera = make.isEmpty() || model.startsWith(make, Qt::CaseInsensitive)
                      ? model
                      : (model.isEmpty() ? make : make + u' ' + model);
}

// ---- Sound and video ----

QString metadataValue(const AVDictionary *metadata, const char *key)
{
    const AVDictionaryEntry *entry = av_dict_get(metadata, key, nullptr, 0);
    return entry && entry->value ? QString::fromUtf8(entry->value).trimmed() : QString();
}

// The creation date of the container: the QuickTime location-local date at its own offset when there is
// one, else `creation_time` (UTC) of the container or of a stream, turned into local time.
void readContainerDate(const AVFormatContext *context, MediaInfo &info)
{
    QString reason;
    const QString local = metadataValue(context->metadata, "com.apple.quicktime.creationdate");
    if (!local.isEmpty()) {
        info.taken = wallTimeFromText(local, &reason);
        if (info.taken.isValid()) {
            info.source = TakenSource::Container;
            return;
        }
    }
    QString utc = metadataValue(context->metadata, "creation_time");
    for (unsigned i = 0; utc.isEmpty() && i < context->nb_streams; ++i)
        utc = metadataValue(context->streams[i]->metadata, "creation_time");
    if (utc.isEmpty()) {
        info.noDateReason = reason.isEmpty() ? u"no date taken"_s : reason;
        return;
    }
    const auto parsed = usableTime(utc, &reason);
    if (!parsed) {
        info.noDateReason = reason;
        return;
    }
    const qint64 seconds =
        carried(parsed->date, parsed->time).toSecsSinceEpoch() - parsed->offsetSeconds.value_or(0);
    // Muxers that had no time write their epoch: 1970 (Unix) or 1904 (QuickTime).
    if (seconds == 0 || seconds == -2082844800) {
        info.noDateReason = u"unusable date: %1"_s.arg(utc);
        return;
    }
    info.taken = inRange(localWallTime(seconds), utc, &info.noDateReason);
    if (info.taken.isValid())
        info.source = TakenSource::Container;
}

void readContainer(const QByteArray &path, MediaRead read, MediaInfo &info)
{
    AVFormatContext *context = avformat_alloc_context();
    if (!context) {
        info.noDateReason = u"unreadable: out of memory"_s;
        return;
    }
    // Header only: a small probe, and a short look at the streams when their sizes are asked for.
    context->probesize = 1 << 20;
    context->max_analyze_duration = AV_TIME_BASE;
    if (const int error = avformat_open_input(&context, path.constData(), nullptr, nullptr); error < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(error, text, sizeof text);
        info.noDateReason = u"unreadable: %1"_s.arg(QString::fromUtf8(text));
        return; // avformat_open_input frees the context on failure
    }
    readContainerDate(context, info);
    if (read == MediaRead::Everything && avformat_find_stream_info(context, nullptr) >= 0) {
        if (context->duration != AV_NOPTS_VALUE && context->duration > 0)
            info.lengthSeconds = double(context->duration) / AV_TIME_BASE;
        for (unsigned i = 0; i < context->nb_streams; ++i) {
            const AVStream *stream = context->streams[i];
            if (stream->codecpar->codec_type != AVMEDIA_TYPE_VIDEO ||
                (stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
                continue;
            info.width = stream->codecpar->width;
            info.height = stream->codecpar->height;
            // A phone's upright film is stored on its side with a turn to apply.
            const uint8_t *matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr);
            if (matrix) {
                const double turn =
                    std::fabs(av_display_rotation_get(reinterpret_cast<const int32_t *>(matrix)));
                if (std::fabs(turn - 90) < 1 || std::fabs(turn - 270) < 1)
                    std::swap(info.width, info.height);
            }
            break;
        }
    }
    avformat_close_input(&context);
}

} // namespace

QString takenSourceName(TakenSource source)
{
    switch (source) {
    case TakenSource::Exif:
        return u"exif"_s;
    case TakenSource::Xmp:
        return u"xmp"_s;
    case TakenSource::Container:
        return u"container"_s;
    case TakenSource::None:
        break;
    }
    return {};
}

QDateTime wallTimeFromText(const QString &text, QString *reason)
{
    const auto parsed = usableTime(text, reason);
    if (!parsed)
        return {};
    return inRange(carried(parsed->date, parsed->time), text, reason);
}

MediaInfo readMediaInfo(const QByteArray &path, FileKind kind, MediaRead read)
{
    setUpLibraries();
    MediaInfo info;
    try {
        if (kind == FileKind::Image)
            readPicture(path, read, info);
        else if (kind == FileKind::Video || kind == FileKind::Audio)
            readContainer(path, read, info);
        else
            info.noDateReason = u"no date taken"_s;
    } catch (const std::exception &error) {
        info = MediaInfo();
        info.noDateReason = u"unreadable: %1"_s.arg(QString::fromLocal8Bit(error.what()).trimmed());
    } catch (...) {
        info = MediaInfo();
        info.noDateReason = u"unreadable"_s;
    }
    if (!info.taken.isValid())
        info.source = TakenSource::None;
    return info;
}

} // namespace vellumry
