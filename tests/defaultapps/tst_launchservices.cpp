// Content types, default applications, name resolution and the application map, through real GIO in a
// temporary home.
#include "DesktopFixture.h"
#include "defaultapps/LaunchServices.h"
#include "defaultapps/OpenWith.h"

#include <QRegularExpression>
#include <QTest>

#include <memory>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

class TestLaunchServices : public QObject
{
    Q_OBJECT
    std::unique_ptr<DesktopFixture> desk;

private Q_SLOTS:
    void initTestCase()
    {
        desk = std::make_unique<DesktopFixture>();
        desk->writeMimeapps("[Default Applications]\n"
                            "image/x-kodak-dcr=viewer.desktop\nimage/jpeg=viewer.desktop\nimage/png=viewer.desktop\n"
                            "image/gif=spaced.desktop\naudio/mpeg=player.desktop\napplication/pdf=editor.desktop\n"
                            "image/bmp=gone.desktop\n"
                            "\n[Added Associations]\nx-scheme-handler/vellumry-test=player.desktop;\n"
                            "\n[Removed Associations]\ntext/html=viewer.desktop;\n");
    }
    void cleanupTestCase() { desk.reset(); }

    void chosenFiles_data()
    {
        QTest::addColumn<QString>("path"); // below the temporary root
        QTest::addColumn<QString>("id");
        QTest::newRow("installed entry") << u"/usr/share/applications/viewer.desktop"_s << u"viewer.desktop"_s;
        QTest::newRow("entry in a subfolder") << u"/usr/share/applications/sub/nested.desktop"_s
                                              << u"sub-nested.desktop"_s;
        QTest::newRow("elsewhere, by its name") << u"/elsewhere/viewer.desktop"_s << u"viewer.desktop"_s;
        QTest::newRow("elsewhere, unknown name") << u"/elsewhere/unknown.desktop"_s << QString();
    }
    void chosenFiles()
    {
        QFETCH(QString, path);
        QFETCH(QString, id);
        QCOMPARE(desktopIdForChosenFile(desk->home.root() + path), id);
    }

    // One row per application, first met first, its extensions in table order and each once (the image
    // table lists DCR twice); extensions without a default, or with a vanished one, are left out.
    void applicationMapGroupsInTableOrder()
    {
        const QString root = desk->home.root();
        const ApplicationMap expected{
            {root + u"/usr/share/applications/viewer.desktop"_s, {u"DCR"_s, u"JPEG"_s, u"JPG"_s, u"PNG"_s}},
            {root + u"/my apps/applications/spaced.desktop"_s, {u"GIF"_s}},
            {root + u"/usr/share/applications/player.desktop"_s, {u"MP3"_s}},
            {root + u"/home/.local/share/applications/editor.desktop"_s, {u"PDF"_s}},
        };
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(u"^theDict==\\{\""_s +
                                                           QRegularExpression::escape(expected.first().path) +
                                                           u"\": \\(DCR, JPEG, JPG, PNG\\), "_s));
        QCOMPARE(getImageApplicationDiction(), expected);

        const PMAppNodeList nodes = openWithNodes(expected);
        QCOMPARE(nodes.size(), 4);
        QCOMPARE(nodes[0]->appName(), u"viewer.desktop"_s);
        QCOMPARE(nodes[0]->appPath(), expected[0].path);
        QCOMPARE(nodes[0]->fileChildren(), expected[0].extensions);
        QCOMPARE(nodes[2]->appType(), u"Audio"_s);
    }

    void applicationKinds_data()
    {
        QTest::addColumn<QStringList>("extensions");
        QTest::addColumn<QString>("kind");
        QTest::newRow("image") << QStringList{u"jpg"_s, u"PNG"_s} << u"Image"_s;
        QTest::newRow("video") << QStringList{u"MP4"_s, u"MP3"_s} << u"Video"_s;
        QTest::newRow("archive") << QStringList{u"ZIP"_s} << u"Archive"_s;
        QTest::newRow("document then archive") << QStringList{u"PDF"_s, u"ZIP"_s} << u"Document"_s;
        QTest::newRow("only the first counts") << QStringList{u"ZZQQ"_s, u"JPG"_s} << QString();
        QTest::newRow("empty") << QStringList{} << QString();
    }
    void applicationKinds()
    {
        QFETCH(QStringList, extensions);
        QFETCH(QString, kind);
        QCOMPARE(getAppType(extensions), kind);
    }

    // The next query in this process already sees a new setting; what cannot be set leaves the file alone.
    void settingKeepsTheOtherEntries()
    {
        QCOMPARE(GetDefaultApplicationForFileExtension(u"tiff"_s), u"(null)"_s);
        QCOMPARE(setMyselfAsDefaultApplicationForFileExtension(u"tiff"_s, u"player.desktop"_s), int(kDefaultSet));
        QCOMPARE(GetDefaultApplicationForFileExtension(u"TIF"_s),
                 desk->home.root() + u"/usr/share/applications/player.desktop"_s);
        QCOMPARE(setMyselfAsDefaultApplicationForFileExtension(u"tiff"_s, u"viewer"_s), int(kDefaultSet));
        QCOMPARE(GetDefaultApplicationForFileExtension(u"tiff"_s),
                 desk->home.root() + u"/usr/share/applications/viewer.desktop"_s);
        // A type the database does not know can have a default too.
        QCOMPARE(setMyselfAsDefaultApplicationForFileExtension(u"zzqq"_s, u"player.desktop"_s), int(kDefaultSet));
        QCOMPARE(GetDefaultApplicationForFileExtension(u"zzqq"_s),
                 desk->home.root() + u"/usr/share/applications/player.desktop"_s);

        const QByteArray file = desk->mimeapps(); // the other lines: the command-line byte-for-byte table

        // Nothing valid to set: skipped, reported, the file untouched.
        QString reason;
        QCOMPARE(setMyselfAsDefaultApplicationForFileExtension(u"png"_s, QString(), &reason), int(kNoSuchApplication));
        QCOMPARE(reason, u"no such application"_s);
        QCOMPARE(setMyselfAsDefaultApplicationForFileExtension(u"png"_s, u"unknown.desktop"_s), int(kNoSuchApplication));
        QCOMPARE(setMyselfAsDefaultApplicationForFileExtension(u"a=b"_s, u"viewer.desktop"_s), int(kNoContentType));
        QCOMPARE(desk->mimeapps(), file);
    }
};

QTEST_GUILESS_MAIN(TestLaunchServices)
#include "tst_launchservices.moc"
