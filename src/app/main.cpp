// Starts Vellumry: the main window, and a scan of the folder named on the command line.
#include "app/MainWindow.h"
#include "platform/NativePath.h"

#include <QApplication>
#include <QTimer>

#include <cstring>

int main(int argc, char *argv[])
{
    // The folder argument is taken as bytes before Qt decodes (and may mangle) the arguments.
    QByteArray folder;
    bool selfTest = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--self-test") == 0)
            selfTest = true;
        else if (argv[i][0] != '-')
            folder = argv[i];
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellumry"));
    QApplication::setOrganizationName(QStringLiteral("Vellumry"));
    vellumry::MainWindow window;
    window.show();
    if (!folder.isEmpty())
        window.openFolder(vellumry::fromNativePath(folder));
    if (selfTest) // start, show, and close again: a smoke test of the whole start-up
        QTimer::singleShot(0, &window, &QWidget::close);
    return app.exec();
}
