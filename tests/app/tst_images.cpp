// The named images are compiled in under the names the program asks for, at the sizes it lays out.
#include <QImage>
#include <QTest>

using namespace Qt::StringLiterals;

class TestImages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void images_data()
    {
        QTest::addColumn<QString>("light");
        QTest::addColumn<QString>("dark"); // empty: no dark twin
        QTest::addColumn<QSize>("size");   // buttons also have a drawing at twice the size
        const QSize feature(96, 32), picture(256, 256);
        QTest::newRow("list view") << u"listviewbtn"_s << u"listviewblackbtn"_s << feature;
        QTest::newRow("icon view") << u"iconviewbtn"_s << u"iconviewblackbtn"_s << feature;
        QTest::newRow("rename") << u"whiterename"_s << u"renameblackbtn"_s << feature;
        QTest::newRow("apps") << u"whiteapps"_s << u"appsblackbtn"_s << feature;
        QTest::newRow("classify") << u"whiteclassify"_s << u"classifyblackbtn"_s << feature;
        QTest::newRow("move to") << u"whitemove"_s << u"movetoblackbtn"_s << feature;
        QTest::newRow("folder view") << u"folderviewbtn"_s << u"folderviewblackbtn"_s << feature;
        QTest::newRow("all files") << u"showallfilesbtn"_s << u"showallfileblackbtn"_s << QSize(84, 24);
        QTest::newRow("images") << u"showimagesbtn"_s << u"showimageblackbtn"_s << QSize(84, 24);
        QTest::newRow("archives") << u"archivebtn"_s << u"showarchiveblackbtn"_s << QSize(84, 24);
        QTest::newRow("documents") << u"showdocumentsbtn"_s << u"showdocumentsblackbtn"_s << QSize(108, 24);
        QTest::newRow("videos") << u"showvideosbtn"_s << u"showvideoblackbtn"_s << QSize(84, 24);
        QTest::newRow("audios") << u"showaudiosbtn"_s << u"showaudioblackbtn"_s << QSize(136, 24);
        QTest::newRow("others") << u"otherbtn"_s << u"showotherblackbtn"_s << QSize(72, 24);
        QTest::newRow("panels") << u"whiteground"_s << u"blackground"_s << picture;
        QTest::newRow("grey panel") << u"grayimage"_s << QString() << picture;
        QTest::newRow("folder") << u"smartFolder"_s << QString() << picture;
        QTest::newRow("file") << u"fileimage"_s << QString() << picture;
        QTest::newRow("application") << u"vellumry"_s << QString() << picture;
    }
    void images()
    {
        QFETCH(QString, light);
        QFETCH(QString, dark);
        QFETCH(QSize, size);
        int lightness[2] = {};
        for (int i = 0; i < (dark.isEmpty() ? 1 : 2); ++i) {
            const QString name = u":/images/"_s + (i ? dark : light);
            const QImage image(name + u".png"_s);
            QCOMPARE(image.size(), size);
            if (size.height() <= 32) // buttons (the show-files button is as wide as its kind)
                QCOMPARE(QImage(name + u"@2x.png"_s).size(), size * 2);
            lightness[i] = qGray(image.convertToFormat(QImage::Format_ARGB32)
                                     .scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                     .pixel(0, 0));
        }
        if (!dark.isEmpty()) // darker on average, so it cannot be the light one under another name
            QCOMPARE_GT(lightness[0] - lightness[1], 100);
    }
};

QTEST_GUILESS_MAIN(TestImages)
#include "tst_images.moc"
