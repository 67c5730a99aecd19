// What a picture, sound or video file says about itself in its header: the date it was taken, its
// dimensions, the camera, its length. Pictures are read with Exiv2, sound and video with libavformat;
// only the header is read, never the pixels or the samples.
#pragma once

#include "model/FileKinds.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace vellumry {

enum class TakenSource
{
    None,
    Exif,     // EXIF DateTimeOriginal or DateTimeDigitized
    Xmp,      // XMP xmp:CreateDate or photoshop:DateCreated
    Container // a sound or video container's creation time
};
// "exif", "xmp", "container", or the empty text for None.
QString takenSourceName(TakenSource source);

struct MediaInfo
{
    // The wall-clock time the picture or video was taken, as it read on a clock where it was taken: an
    // EXIF or XMP time as written (any recorded offset is not applied), a container's UTC creation time
    // turned into this computer's local time, a QuickTime location-local date at its own offset. The
    // QDateTime carries it as UTC only so that no time zone rule moves it; invalid when there is none.
    QDateTime taken;
    TakenSource source = TakenSource::None;
    // Why `taken` is invalid: "no date taken", "unusable date: 0000:00:00", "date outside 1801-2499:
    // 1700-01-01", "unreadable: ...". Empty when there is a date.
    QString noDateReason;

    int width = 0; // pixels; 0 where unknown or meaningless (sound)
    int height = 0;
    QString camera;            // "Make Model" (the make once when the model repeats it), or empty
    double lengthSeconds = -1; // sound and video; negative where unknown or meaningless
};

enum class MediaRead
{
    DateOnly,  // the date taken alone: no stream probing, as cheap as the format allows
    Everything // also dimensions, camera and length
};

// Reads the header of the file at `path` (exact bytes), as a picture for FileKind::Image and as a
// container for FileKind::Video and FileKind::Audio; any other kind gives "no date taken" and nothing else.
// Never throws; a file that cannot be read gives its reason. Any thread, several at once.
MediaInfo readMediaInfo(const QByteArray &path, FileKind kind, MediaRead read = MediaRead::Everything);

// The wall-clock time written in an EXIF ("2021:03:04 23:30:00") or ISO 8601 text ("2021-03-04T23:30:00",
// "2021-03-04T23:30:00+09:00", "2021-03-04", "2021-03"), its offset ignored. Sets `reason` and answers an
// invalid QDateTime when the text holds no usable date: empty, zero ("0000:00:00 00:00:00") or a year
// outside 1801-2499.
QDateTime wallTimeFromText(const QString &text, QString *reason);

} // namespace vellumry
