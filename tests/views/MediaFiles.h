// Small real media files for the view tests, written from scratch so no tool is needed to make them.
#pragma once

#include "model/IKImageItem.h"

#include <QByteArray>
#include <QColor>
#include <QSize>

namespace vellumry::test {

// Each writer replaces the file at the exact path bytes and ends the test program with qFatal() when it
// cannot, so a missing fixture never passes for a failing preview.

// A picture of one colour, in the format the extension names ("png", "jpg", ...).
void writePicture(const QByteArray &path, QSize size, const QColor &color);
// A JPEG stored as width x height whose EXIF orientation says "turn a quarter clockwise to show it";
// its leftmost `stripe` columns are `stripeColor`, the rest `color`.
void writeTurnedJpeg(const QByteArray &path, QSize stored, const QColor &color, int stripe,
                     const QColor &stripeColor);
// A PDF of `pages` pages; page 1 is filled with `color`.
void writePdf(const QByteArray &path, int pages, const QColor &color);
// 16-bit mono PCM WAV at 8000 Hz holding a 440 Hz tone; the player takes it whatever the file is called.
void writeWav(const QByteArray &path, int milliseconds);
// Exactly these bytes.
void writeBytes(const QByteArray &path, const QByteArray &content);
// An item for the file at `path`, as the scan would make it, without a date.
IKImageItemRef fileItem(const QByteArray &path, FileKind kind);

} // namespace vellumry::test
