// The open-with editor's core: application records from the map, the grant, ticked rows and the hand-over.
#include "defaultapps/OpenWith.h"

#include "appmanager/AppInventory.h"
#include "model/FileKinds.h"
#include "platform/NativePath.h"
#include "platform/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

namespace vellumry {

using namespace Qt::StringLiterals;

QString getAppType(const QStringList &extensions)
{
    if (extensions.isEmpty())
        return {};
    const QByteArray first = extensions.first().toUtf8();
    if (GetImageType(first.constData()) >= 0)
        return u"Image"_s;
    if (GetVideoType(first.constData()) >= 0)
        return u"Video"_s;
    if (GetAudioType(first.constData()) >= 0)
        return u"Audio"_s;
    if (GetDocumentType(first.constData()) >= 0)
        return u"Document"_s;
    if (GetArchiveType(first.constData()) >= 0)
        return u"Archive"_s;
    return {};
}

PMAppNodeList openWithNodes(const ApplicationMap &map)
{
    PMAppNodeList nodes;
    nodes.reserve(map.size());
    for (const ApplicationEntry &entry : map) {
        auto node = PMAppNodeRef::create();
        node->setAppName(entry.path.mid(entry.path.lastIndexOf(u'/') + 1));
        node->setAppPath(entry.path);
        node->setFileChildren(entry.extensions);
        node->setAppType(getAppType(entry.extensions));
        nodes.append(node);
    }
    return nodes;
}

PMAppNodeList ScanOpenWithApplications()
{
    return openWithNodes(getImageApplicationDiction());
}

QFuture<PMAppNodeList> ScanOpenWithApplicationsAsync()
{
    return QtConcurrent::run(&ScanOpenWithApplications);
}

QString grantedUserFolder(const Settings &settings)
{
    const QString folder = settings.string(kUserDataGrantKey);
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder))
        return {};
    const QFileInfo info(folder);
    return info.isDir() && info.isReadable() ? folder : QString();
}

bool storeUserFolderGrant(Settings &settings, const QString &folder)
{
    settings.setValue(kUserDataGrantKey, folder);
    return settings.synchronize();
}

QStringList tickedExtensions(const PRUninstallFileNodeList &rows)
{
    QStringList ticked;
    for (const PRUninstallFileNodeRef &row : rows) {
        if (row->bSelected())
            ticked.append(row->fileName());
    }
    return ticked;
}

QString desktopIdForChosenFile(const QString &path)
{
    if (path.isEmpty())
        return {};
    const QString cleaned = QDir::cleanPath(path);
    QStringList forms{cleaned};
    const QString canonical = QFileInfo(cleaned).canonicalFilePath();
    if (!canonical.isEmpty() && canonical != cleaned)
        forms.append(canonical);
    for (const QString &folder : applicationFolders()) {
        for (const QString &form : forms) {
            if (!form.startsWith(folder + u'/'))
                continue;
            // The desktop-file ID of an entry is its path below the folder with "/" turned into "-".
            QString id = form.mid(folder.size() + 1);
            id.replace(u'/', u'-');
            const QString resolved = GetBundleIdentifierForApplicationName(id);
            if (!resolved.isEmpty())
                return resolved;
        }
    }
    return GetBundleIdentifierForApplicationName(cleaned.mid(cleaned.lastIndexOf(u'/') + 1));
}

QList<HandOverOutcome> handExtensionsTo(const QStringList &extensions, const QString &bundleIdentifier)
{
    QList<HandOverOutcome> outcomes;
    for (const QString &extension : extensions) {
        HandOverOutcome outcome{extension, kDefaultSet, {}};
        outcome.status =
            setMyselfAsDefaultApplicationForFileExtension(extension, bundleIdentifier, &outcome.reason);
        outcomes.append(outcome);
    }
    return outcomes;
}

QString handOverSummary(const QList<HandOverOutcome> &outcomes, const QString &applicationName)
{
    QStringList done, failed;
    for (const HandOverOutcome &outcome : outcomes) {
        if (outcome.status == kDefaultSet)
            done.append(outcome.extension);
        else
            failed.append(outcome.extension + u" (" + outcome.reason + u')');
    }
    if (done.isEmpty() && failed.isEmpty())
        return u"No extension was ticked: nothing changed"_s;
    QString text;
    if (!done.isEmpty())
        text = done.join(u", "_s) + u" now open with "_s + applicationName;
    if (!failed.isEmpty())
        text += (text.isEmpty() ? QString() : u"; "_s) + u"not changed: "_s + failed.join(u", "_s);
    return text;
}

} // namespace vellumry
