// One application as the program lists it: in the applications table, the open-with editor and the
// tray box of favourites.
#pragma once

#include <QDateTime>
#include <QSharedPointer>
#include <QString>
#include <QStringList>

namespace vellumry {

class PMAppNode
{
public:
    PMAppNode() = default;

    // The name shown: the desktop entry's file name (or the added file's name).
    QString appName() const { return m_appName; }
    void setAppName(const QString &name) { m_appName = name; }
    // The name the desktop's menus show, in the user's language ("Image Viewer"); empty when unknown.
    QString menuName() const { return m_menuName; }
    void setMenuName(const QString &name) { m_menuName = name; }
    // The name shown to the user: the menu name, else appName.
    QString shownName() const { return m_menuName.isEmpty() ? m_appName : m_menuName; }
    // Why the desktop's menus leave the application out (NoDisplay, its program missing); empty: shown.
    QString hiddenReason() const { return m_hiddenReason; }
    void setHiddenReason(const QString &reason) { m_hiddenReason = reason; }
    // The desktop entry (or the executable or file the user added to the box).
    QString appPath() const { return m_appPath; }
    void setAppPath(const QString &path) { m_appPath = path; }
    // The icon: a theme icon name or an image file, as the desktop entry's Icon key gives it. Empty: none.
    QString appImage() const { return m_appImage; }
    void setAppImage(const QString &icon) { m_appImage = icon; }
    // Last use; invalid when unknown.
    QDateTime lastOpenDate() const { return m_lastOpenDate; }
    void setLastOpenDate(const QDateTime &date) { m_lastOpenDate = date; }
    QDateTime modifyDate() const { return m_modifyDate; }
    void setModifyDate(const QDateTime &date) { m_modifyDate = date; }
    // Launches recorded for the application; -1 when the record of uses could not be read.
    int usedCount() const { return m_usedCount; }
    void setUsedCount(int count) { m_usedCount = count; }
    quint64 appsizenum() const { return m_appsizenum; }
    void setAppsizenum(quint64 bytes) { m_appsizenum = bytes; }
    QString appSizeStr() const { return m_appSizeStr; }
    void setAppSizeStr(const QString &text) { m_appSizeStr = text; }
    quint64 appdocumentsizenum() const { return m_appdocumentsizenum; }
    void setAppdocumentsizenum(quint64 bytes) { m_appdocumentsizenum = bytes; }
    QString appdocumentSizeStr() const { return m_appdocumentSizeStr; }
    void setAppdocumentSizeStr(const QString &text) { m_appdocumentSizeStr = text; }
    quint64 appcachesizenum() const { return m_appcachesizenum; }
    void setAppcachesizenum(quint64 bytes) { m_appcachesizenum = bytes; }
    QString appcacheSizeStr() const { return m_appcacheSizeStr; }
    void setAppcacheSizeStr(const QString &text) { m_appcacheSizeStr = text; }
    // The file extensions the application opens (the open-with editor fills it).
    QStringList fileChildren() const { return m_fileChildren; }
    void setFileChildren(const QStringList &children) { m_fileChildren = children; }
    // The main executable is built for 64-bit x86.
    bool b64bit() const { return m_b64bit; }
    void setB64bit(bool yes) { m_b64bit = yes; }
    QString appVersion() const { return m_appVersion; }
    void setAppVersion(const QString &version) { m_appVersion = version; }
    // The kind of the documents the application opens.
    QString appType() const { return m_appType; }
    void setAppType(const QString &type) { m_appType = type; }

    // As an icon of an icon grid: identified by its path, titled by its name without the extension
    // ("org.gnome.Calculator.desktop" -> "org.gnome.Calculator").
    QString imageUID() const { return m_appPath; }
    QString imageTitle() const;

private:
    QString m_appName;
    QString m_menuName;
    QString m_hiddenReason;
    QString m_appPath;
    QString m_appImage;
    QDateTime m_lastOpenDate;
    QDateTime m_modifyDate;
    int m_usedCount = 0;
    quint64 m_appsizenum = 0;
    QString m_appSizeStr;
    quint64 m_appdocumentsizenum = 0;
    QString m_appdocumentSizeStr;
    quint64 m_appcachesizenum = 0;
    QString m_appcacheSizeStr;
    QStringList m_fileChildren;
    bool m_b64bit = false;
    QString m_appVersion = QStringLiteral("1.0.0");
    QString m_appType = QStringLiteral("Image");
};

// Records are shared by the lists that show them (the table, the box, the box's removed entries).
using PMAppNodeRef = QSharedPointer<PMAppNode>;
using PMAppNodeList = QList<PMAppNodeRef>;

} // namespace vellumry
