// Light and dark: colours, backgrounds and button images.
#include "app/Look.h"

#include "app/MainWindow.h"
#include "views/ui/PRButton.h"
#include "platform/DesktopServices.h"
#include "views/ui/BackgroundImageView.h"
#include "views/ui/NSDragImageBrowserView.h"
#include "views/ui/PreviewPane.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

const QColor kDarkWindow(29, 30, 31), kLightWindow(243, 246, 250);
const QColor kDarkBrowser(42, 43, 54), kLightBrowser(251, 251, 251);
const QColor kDarkText(250, 250, 250), kLightText(74, 74, 74);

// The show-files button's image for each kind filter, light and dark, in the order the look swap tries them.
const std::pair<const char *, const char *> kShowFilesImages[] = {
    {"showallfilesbtn.png", "showallfileblackbtn.png"}, {"showimagesbtn.png", "showimageblackbtn.png"},
    {"archivebtn.png", "showarchiveblackbtn.png"},      {"showdocumentsbtn.png", "showdocumentsblackbtn.png"},
    {"showvideosbtn.png", "showvideoblackbtn.png"},     {"showaudiosbtn.png", "showaudioblackbtn.png"},
    {"otherbtn.png", "showotherblackbtn.png"},
};

void setButtonImage(QPushButton *button, const QString &name)
{
    const QPixmap pixmap(u":/images/"_s + name);
    button->setIcon(QIcon(pixmap));
    if (!pixmap.isNull()) {
        const QSize size = pixmap.deviceIndependentSize().toSize();
        button->setIconSize(size);
        button->setFixedSize(size + QSize(4, 4));
        button->setText(QString());
    }
    button->setProperty("imageName", name);
}

QPalette lookPalette(bool dark)
{
    QPalette palette = QApplication::style()->standardPalette();
    const QColor window = dark ? kDarkWindow : kLightWindow;
    const QColor base = dark ? kDarkBrowser : kLightBrowser;
    const QColor text = dark ? kDarkText : QColor(34, 36, 40);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, dark ? base.lighter(112) : QColor(243, 245, 248));
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Button, dark ? QColor(52, 54, 60) : QColor(236, 239, 244));
    palette.setColor(QPalette::Highlight, dark ? QColor(64, 156, 160) : QColor(26, 118, 124));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, dark ? QColor(52, 54, 60) : QColor(255, 255, 240));
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, dark ? QColor(150, 150, 155) : QColor(130, 130, 135));
    palette.setColor(QPalette::Disabled, QPalette::Text, dark ? QColor(120, 120, 125) : QColor(160, 160, 165));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, dark ? QColor(120, 120, 125) : QColor(160, 160, 165));
    return palette;
}

void setLabelColors(const StartWindow *start, const QColor &color)
{
    for (QLabel *label : {start->startInfo1lab, start->startInfo2lab, start->startInfo3lab}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, color);
        label->setPalette(palette);
    }
}

} // namespace

Look::Look(MainWindow *window, StartWindow *start, DesktopServices &desktop, QObject *parent)
    : QObject(parent), m_window(window), m_start(start), m_desktop(desktop), m_timer(new QTimer(this))
{
    // At load: backgrounds and colours only; the first check applies the rest.
    const bool dark = m_desktop.interfaceStyle() == u"Dark"_s;
    applyBackgrounds(dark);
    m_start->openFolderImageView->setImageNamed(dark ? u"blackground.png"_s : u"grayimage.png"_s);
    setLabelColors(m_start, dark ? kDarkText : kLightText);
    QApplication::setPalette(lookPalette(dark));
    m_window->setPalette(lookPalette(dark));
    m_start->setPalette(lookPalette(dark));
    applyFeatureImages(false);
    m_window->showFilesButton->setStyleSheet(u"QPushButton { border: none; padding: 0; background: transparent; }"_s);
    setShowFilesImage(u"showallfilesbtn.png"_s);
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &Look::check);
    m_window->fodlerfileBroswerView->installEventFilter(this);
    m_window->renameFeatureBtn->installEventFilter(this);
}

bool Look::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_window->fodlerfileBroswerView && event->type() == QEvent::Resize) ||
        (watched == m_window->renameFeatureBtn && event->type() == QEvent::Move))
        placeShowFilesButton();
    return QObject::eventFilter(watched, event);
}

void Look::start()
{
    m_timer->start();
    check(); // a dark desktop gets its whole look now rather than a second later
}

void Look::check()
{
    const bool dark = m_desktop.interfaceStyle() == u"Dark"_s;
    if (dark != m_dark) {
        apply(dark);
        m_dark = dark;
    }
}

void Look::applyBackgrounds(bool dark)
{
    m_window->groundFolderImageView->setImageNamed(dark ? u"blackground.png"_s : u"grayimage.png"_s);
    // The preview's panel darkens too, or its light labels would stand on white.
    m_window->groundImageView->setImageNamed(dark ? u"blackground.png"_s : u"whiteground.png"_s);
}

void Look::applyFeatureImages(bool dark)
{
    setButtonImage(m_window->listViewModeBtn, dark ? u"listviewblackbtn.png"_s : u"listviewbtn.png"_s);
    setButtonImage(m_window->iconViewModeBtn, dark ? u"iconviewblackbtn.png"_s : u"iconviewbtn.png"_s);
    setButtonImage(m_window->renameFeatureBtn, dark ? u"renameblackbtn.png"_s : u"whiterename.png"_s);
    setButtonImage(m_window->classifyFeatureBtn, dark ? u"classifyblackbtn.png"_s : u"whiteclassify.png"_s);
    setButtonImage(m_window->appBoxBtn, dark ? u"appsblackbtn.png"_s : u"whiteapps.png"_s);
    setButtonImage(m_window->movetoFeatureBtn, dark ? u"movetoblackbtn.png"_s : u"whitemove.png"_s);
    setButtonImage(m_window->folderViewModeBtn, dark ? u"folderviewblackbtn.png"_s : u"folderviewbtn.png"_s);
}

void Look::apply(bool dark)
{
    const QColor text = dark ? kDarkText : kLightText;
    m_window->previewPane->setLabelColor(text);
    setLabelColors(m_start, text);
    applyFeatureImages(dark);
    applyBackgrounds(dark);
    // Window and grid backgrounds from the colour table; menus and dialogs follow the application's palette.
    QApplication::setPalette(lookPalette(dark));
    m_window->setPalette(lookPalette(dark));
    for (const auto &[light, darkImage] : kShowFilesImages) {
        const QString from = QString::fromLatin1(dark ? light : darkImage);
        if (m_showFilesImage == from) {
            setShowFilesImage(QString::fromLatin1(dark ? darkImage : light));
            break;
        }
    }
}

void Look::showKind(int width, const QString &lightImage, const QString &darkImage)
{
    m_showFilesWidth = width;
    placeShowFilesButton();
    setShowFilesImage(m_dark ? darkImage : lightImage);
}

void Look::setShowFilesImage(const QString &name)
{
    m_showFilesImage = name;
    setButtonImage(m_window->showFilesButton, name);
    placeShowFilesButton();
}

void Look::placeShowFilesButton()
{
    // The button's right edge stays 5 points right of the grid's width; it is as wide as its kind's image.
    PRButton *button = m_window->showFilesButton;
    const int y = button->y() > 0 ? button->y() : (m_window->groundFolderImageView->height() - 24) / 2;
    button->setFixedSize(m_showFilesWidth, 24);
    // Never under the filter field and the feature buttons on the right when the window is narrow.
    const int right = std::min(m_window->fodlerfileBroswerView->width() + 5, m_window->filterField->x() - 8);
    button->setGeometry(right - m_showFilesWidth, y, m_showFilesWidth, 24);
}

} // namespace vellumry
