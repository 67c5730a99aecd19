// The user's defaults: a small INI file of named values kept between runs.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

QT_BEGIN_NAMESPACE
class QSettings;
QT_END_NAMESPACE

namespace vellumry {

// Reads and writes $XDG_CONFIG_HOME/Vellumry/Vellumry.conf (~/.config/Vellumry/Vellumry.conf when the
// variable is unset, empty or not an absolute path). The location never depends on the application's
// organisation or name.
//
// Values come back as the file stores them: after a restart every plain value is text, so the typed
// readers below are the ones to use. A file that cannot be read, or that is damaged beyond parsing,
// reads as empty; the first change then moves the damaged file aside to "<file>.damaged" and starts a
// fresh one, so nothing the user had is silently overwritten. A path that holds something other than a
// regular file (a FIFO, a device, a folder) is never opened: it reads as empty, changes are dropped and
// synchronize() answers false.
class Settings
{
public:
    Settings();                                 // the user's file
    explicit Settings(const QString &filePath); // any other file
    ~Settings();
    Settings(const Settings &) = delete;
    Settings &operator=(const Settings &) = delete;

    // The location the user's file has for the current environment.
    static QString defaultFilePath();

    QVariant value(const QString &key, const QVariant &fallback = {}) const;
    // The text stored under `key`; numbers and booleans give their written form, a list of one its one
    // text, and a missing key, a longer or empty list or any other kind of value an empty string.
    QString string(const QString &key) const;
    // True for a stored boolean true, a non-zero number (also written as text), or the texts "true"
    // and "yes" in any case; false for everything else, including a missing key.
    bool boolean(const QString &key) const;
    // The list stored under `key`. A single text (or number or boolean) is a list of one, since that is
    // how the file holds a one-element list; a missing key or a value of another kind gives an empty list.
    QStringList stringList(const QString &key) const;

    void setValue(const QString &key, const QVariant &value);
    void remove(const QString &key);
    // Writes pending changes and reloads changes made by other processes. True when the file is now
    // in a good state: written (or unchanged) without error.
    bool synchronize();

    QString filePath() const;

private:
    void startAfreshIfDamaged();

    QString m_filePath;
    std::unique_ptr<QSettings> m_settings; // null when the path holds something other than a file
    bool m_damaged = false; // the file could not be parsed: read as empty until the first change
};

} // namespace vellumry
