// The preferences window (start at login, the box's used-count threshold), the about window and the two
// web pages: Vellumry's page and the help page.
// Threading: GUI thread only.
#pragma once

#include "platform/DesktopServices.h"

#include <QObject>

#include <QStringView>

#include <functional>

namespace vellumry {

class AboutWindow;
class MainWindow;
class PreferencesWindow;
class Settings;

// "ShowBatchPreview": whether moves, renames and classifications show their preview before they run
// (missing: yes).
inline constexpr QStringView kShowBatchPreviewKey = u"ShowBatchPreview";

class PreferencesController : public QObject
{
    Q_OBJECT
public:
    // Builds both windows over `window` and fills them with what is stored. `report` puts a failure into
    // the status line. The window, the settings and the desktop outlive this.
    PreferencesController(MainWindow *window, Settings &settings, DesktopServices &desktop,
                          std::function<void(const QString &)> report, QObject *parent = nullptr);

    PreferencesWindow *preferencesWindow() const { return m_preferences; }
    AboutWindow *aboutWindow() const { return m_about; }

    // Each window: centred on the main window the first time, then where the user left it.
    void showPreferences(); // reads what is stored first, unless the window is already shown
    void showAbout();
    // The shipped pages, in the browser; a page not installed or no browser is reported.
    void showWebPage();
    void showHelp();

    // The check box applies at once; a failure puts the box back and says why under it.
    void applyLoginItem();
    // The login item, then the threshold as typed.
    void save();
    void readStored();
    int usedCountThreshold() const; // the leading number of the field (0 without one)
    // The preview box applies at once, stored and written.
    void applyBatchPreview();
    static bool showsBatchPreview(const Settings &settings);

private:
    void showPage(const QString &page);

    MainWindow *m_window;
    Settings &m_settings;
    DesktopServices &m_desktop;
    std::function<void(const QString &)> m_report;
    PreferencesWindow *m_preferences;
    AboutWindow *m_about;
};

} // namespace vellumry
