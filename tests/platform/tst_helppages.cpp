// The product and support pages: installed by the install rule where the program finds them, every
// link inside them leading to a shipped file.
#include "platform/ChildProcess.h"
#include "platform/HelpPages.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

class TestHelpPages : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void installedPagesAreFoundAndComplete()
    {
        TempDir prefix;
        const ProcessResult install = runProcess(CMAKE_COMMAND, {"--install", BUILD_DIR, "--prefix", prefix.path(),
                                                                 "--component", "docs"}, 60000);
        QVERIFY(install.succeeded());
        const QString bin = QString::fromUtf8(prefix.path()) + u"/bin"_s;
        for (const QString &page : {u"Vellumry.html"_s, u"support.html"_s}) {
            const QUrl url = helpPageUrl(page, bin, QString());
            QVERIFY2(url.toLocalFile().startsWith(QString::fromUtf8(prefix.path()) + u'/'), qPrintable(url.toString()));
            QFile file(url.toLocalFile());
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString html = QString::fromUtf8(file.readAll());
            QVERIFY(html.contains(u"</html>"_s));
            // Links to the other page, its anchors and the pictures resolve inside the installed folder.
            static const QRegularExpression link(u"(?:href|src)=\"([^\"#:]+)(?:#[^\"]*)?\""_s);
            for (const QRegularExpressionMatch &m : link.globalMatch(html)) {
                const QString target = QFileInfo(url.toLocalFile()).dir().filePath(m.captured(1));
                QVERIFY2(QFileInfo(target).isFile(), qPrintable(page + u" links to "_s + m.captured(1)));
            }
            static const QRegularExpression anchor(u"href=\"#([^\"]+)\""_s);
            for (const QRegularExpressionMatch &m : anchor.globalMatch(html))
                QVERIFY2(html.contains(u"id=\""_s + m.captured(1) + u'"'), qPrintable(page + u" #"_s + m.captured(1)));
        }
        // From an installed program nothing outside its own prefix or the sources is offered.
        QVERIFY(helpPageUrl(u"missing.html"_s, bin, QString()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestHelpPages)
#include "tst_helppages.moc"
