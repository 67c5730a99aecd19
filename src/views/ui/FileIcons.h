// Icons for files the program cannot show a picture of: by content type, for folders and for applications.
#pragma once

#include <QByteArrayView>
#include <QIcon>
#include <QString>
#include <QStringList>

namespace vellumry {

// A content type guessed from a file name alone (no file is read) and its theme icon names, best first.
struct ContentTypeIcon
{
    QString contentType;
    QStringList iconNames;
};

// Safe on any thread: asks GIO only, touches no Qt icon.
ContentTypeIcon contentTypeIconOf(QByteArrayView fileName);

// The rest must run on the GUI thread (QIcon is not thread-safe).

// The first of the names that the icon theme has; else the style's file icon. Looked up once per
// content type.
QIcon iconForContentType(const ContentTypeIcon &type);
// Both steps for a file name.
QIcon fileTypeIcon(QByteArrayView fileName);
// ":/images/smartFolder.png" when the program carries it, else the style's folder icon.
QIcon folderIcon();
// The theme's "application-x-executable", else the style's file icon.
QIcon applicationIcon();
// The style's file icon: what a file gets when nothing better is known.
QIcon fallbackFileIcon();

// When the platform names no icon theme (a bare X session, the offscreen platform), looks for theme
// icons in the XDG data folders and uses Adwaita or hicolor, so content types still get their icons.
// Runs once; the icon functions above call it themselves.
void ensureIconTheme();

} // namespace vellumry
