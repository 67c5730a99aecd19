// Starting a program when the user logs in: entries in the desktop's autostart folder.
#pragma once

#include "platform/DesktopServices.h"

#include <QByteArray>
#include <QByteArrayList>

#include <optional>

namespace vellumry {

// The login items of one program, kept as desktop entries in an autostart folder
// ($XDG_CONFIG_HOME/autostart, read by every freedesktop session at login).
//
// An entry belongs to the program when the program its Exec line starts (looked up in PATH when it is
// a bare name, symbolic links followed) is the same file as `program`. Entries whose program cannot be
// found, or that cannot be read, belong to nobody and are never touched. Anything in the folder that is
// not a regular file (a FIFO, a device) is never opened.
class LoginItems
{
public:
    // `program`: absolute path of the executable to start at login.
    explicit LoginItems(QByteArray program, QByteArray folder = defaultFolder());

    // $XDG_CONFIG_HOME/autostart, or ~/.config/autostart when the variable is unset, empty or relative.
    static QByteArray defaultFolder();
    // The executable of the running process.
    static QByteArray runningExecutable();

    // Makes sure an enabled entry starts the program: nothing is written when one exists already;
    // otherwise "vellumry.desktop" is written (or, when another program's entry holds that name,
    // "vellumry-2.desktop" and so on). Fails when the folder cannot be written, or when the program's
    // path is not valid UTF-8 or holds "%", which the desktop would not start from an entry.
    ActionResult add() const;
    // Deletes every entry that belongs to the program, enabled or not. Fails when one of them could
    // not be deleted (the others still are).
    ActionResult remove() const;
    // True when an entry that belongs to the program is enabled (not Hidden, not switched off).
    bool isEnabled() const;

    // Paths of the entries that belong to the program, in name order.
    QByteArrayList entries() const;

private:
    QByteArray m_program;
    QByteArray m_folder;
};

// The Exec value that starts `program` with no arguments: the path in double quotes, escaped as
// desktop entries require (so spaces, quotes, "$" and backslashes survive).
QByteArray desktopExecValue(const QByteArray &program);

// The file the entry at `entryPath` starts, as an absolute path with links resolved; nothing when the
// entry cannot be read, has no Exec line, or names a program that does not exist.
std::optional<QByteArray> entryProgram(const QByteArray &entryPath);

} // namespace vellumry
