// The program's controller launched as the desktop starts it, on a recording desktop, with the settings
// of whatever temporary home the test has made (its own one unless told otherwise).
#pragma once

#include "app/AppDelegate.h"
#include "platform/NotificationCenter.h"
#include "platform/Settings.h"
#include "support/FakeDesktop.h"
#include "support/TempHome.h"

#include <QSignalSpy>

#include <memory>

namespace vellumry::test {

struct LaunchedApp
{
    std::unique_ptr<TempHome> ownHome;
    Settings settings{Settings::defaultFilePath()};
    NotificationCenter nc;
    FakeDesktop desktop;
    std::unique_ptr<AppDelegate> app;

    // `laterStart`: not the first start; `suppressed`: the start-up hint was turned off before.
    explicit LaunchedApp(bool laterStart = true, bool suppressed = true, bool withOwnHome = true)
        : ownHome(withOwnHome ? std::make_unique<TempHome>() : nullptr)
    {
        if (laterStart)
            settings.setValue(QStringLiteral("FirstStartData"), QStringLiteral("YES"));
        if (suppressed)
            settings.setValue(QStringLiteral("ExampleAlertSuppress"), true);
        settings.synchronize();
    }
    TempHome &home() const { return *ownHome; }
    QString stored(const QString &key) const { return Settings(settings.filePath()).string(key); }
    AppDelegate &launch(bool foldersNamed = false)
    {
        AppDelegate::Services services;
        services.settings = &settings;
        services.nc = &nc;
        services.desktop = &desktop;
        app = std::make_unique<AppDelegate>(services);
        app->awakeFromNib();
        app->applicationDidFinishLaunching(foldersNamed);
        return *app;
    }
    // Starts an applications refresh (or lets `trigger` start one) and waits until it has ended.
    bool refreshed(const std::function<void()> &trigger) const
    {
        QSignalSpy finished(app.get(), &AppDelegate::appScanFinished);
        trigger();
        return finished.wait(30000);
    }
};

} // namespace vellumry::test
