// Starts Vellumry: the controller, its windows, and a scan of the folders named on the command line.
#include "app/AppDelegate.h"
#include "platform/DesktopServices.h"
#include "platform/NativePath.h"
#include "platform/NotificationCenter.h"
#include "platform/Settings.h"

#include <QApplication>
#include <QDesktopServices>
#include <QIcon>
#include <QStyleFactory>
#include <QTimer>

#include <QUrl>

#include <cstring>

namespace {

// The desktop as GIO sees it, but pages shown the way Qt shows them (through the desktop portal
// where there is one).
class Desktop : public vellumry::DesktopServices
{
public:
    vellumry::ActionResult showUrl(const QByteArray &url) override
    {
        if (QDesktopServices::openUrl(QUrl::fromEncoded(url)))
            return {true, {}};
        return {false, QStringLiteral("no application shows this page")};
    }
};

} // namespace

int main(int argc, char *argv[])
{
    // Folder arguments are taken as bytes before Qt decodes (and may mangle) the arguments.
    QStringList folders;
    bool selfTest = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--self-test") == 0)
            selfTest = true;
        else if (argv[i][0] != '-' && argv[i][0] != '\0') // an empty argument names no folder
            folders.append(vellumry::fromNativePath(argv[i]));
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellumry"));
    QApplication::setOrganizationName(QStringLiteral("Vellumry"));
    QApplication::setDesktopFileName(QStringLiteral("vellumry"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/vellumry.png")));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // Outside a full desktop session no icon theme is chosen: use the one every GNOME-based system has.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QStringLiteral("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));

    vellumry::Settings settings;
    vellumry::NotificationCenter nc;
    Desktop desktop;
    vellumry::AppDelegate::Services services;
    services.settings = &settings;
    services.nc = &nc;
    services.desktop = &desktop;
    vellumry::AppDelegate controller(services);
    controller.awakeFromNib();
    controller.applicationDidFinishLaunching(!folders.isEmpty());
    if (!folders.isEmpty())
        controller.openFoldersAsDrop(folders);
    if (selfTest) // start, show, scan, and quit again once the scan is over: a smoke test of the whole start-up
        QObject::connect(&controller, &vellumry::AppDelegate::scanFinished, &app, &QApplication::quit);
    if (selfTest && folders.isEmpty())
        QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
