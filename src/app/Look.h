// The look of the main window and the start window: light or dark as the desktop prefers, checked once
// a second. The look sets the palettes, the label colours, the panels' backgrounds, the feature buttons'
// images and the show-files button's image (each kind filter has a light and a dark one); it also
// places the show-files button, whose right edge follows the grid.
// Threading: GUI thread only.
#pragma once

#include <QObject>
#include <QString>

class QTimer;

namespace vellumry {

class DesktopServices;
class MainWindow;
class StartWindow;

class Look : public QObject
{
    Q_OBJECT
public:
    // The windows outlive this. Applies the look the windows start with (light buttons, the desktop's
    // backgrounds and colours); the rest follows at the first check().
    Look(MainWindow *window, StartWindow *start, DesktopServices &desktop, QObject *parent = nullptr);

    // Checks now, then every second.
    void start();
    // Applies the desktop's look when it changed since the last check.
    void check();
    bool isDark() const { return m_dark; }
    QTimer *timer() const { return m_timer; }

    // A kind filter was chosen: the show-files button is `width` wide and shows that kind's image.
    void showKind(int width, const QString &lightImage, const QString &darkImage);
    QString showFilesImage() const { return m_showFilesImage; }
    void placeShowFilesButton(); // after the grid or the feature buttons moved

protected:
    bool eventFilter(QObject *watched, QEvent *event) override; // the grid resized, the feature buttons moved

private:
    void apply(bool dark);
    void applyFeatureImages(bool dark);
    void applyBackgrounds(bool dark);
    void setShowFilesImage(const QString &name);

    MainWindow *m_window;
    StartWindow *m_start;
    DesktopServices &m_desktop;
    QTimer *m_timer;
    bool m_dark = false;
    QString m_showFilesImage;
    int m_showFilesWidth = 84;
};

} // namespace vellumry
