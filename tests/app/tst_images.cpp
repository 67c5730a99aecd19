// The named images are compiled in under the names the program asks for, at the sizes it lays out.
#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QTest>

using namespace Qt::StringLiterals;

class TestImages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void buttons_data();
    void buttons();
    void pictures_data();
    void pictures();
};

namespace {

// How much of the picture is not transparent, from 0 to 1.
double coverage(const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    qint64 opaque = 0;
    for (int y = 0; y < argb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            opaque += qAlpha(line[x]) > 0 ? 1 : 0;
    }
    return double(opaque) / (double(argb.width()) * argb.height());
}

} // namespace

void TestImages::buttons_data()
{
    QTest::addColumn<QString>("light");
    QTest::addColumn<QString>("dark");
    QTest::addColumn<QSize>("size");
    const QSize feature(96, 32);
    const QSize kind(150, 32);
    QTest::newRow("list view") << u"listviewbtn"_s << u"listviewblackbtn"_s << feature;
    QTest::newRow("icon view") << u"iconviewbtn"_s << u"iconviewblackbtn"_s << feature;
    QTest::newRow("rename") << u"whiterename"_s << u"renameblackbtn"_s << feature;
    QTest::newRow("classify") << u"whiteclassify"_s << u"classifyblackbtn"_s << feature;
    QTest::newRow("move to") << u"whitemove"_s << u"movetoblackbtn"_s << feature;
    QTest::newRow("all files") << u"showallfilesbtn"_s << u"showallfileblackbtn"_s << kind;
    QTest::newRow("images") << u"showimagesbtn"_s << u"showimageblackbtn"_s << kind;
    QTest::newRow("archives") << u"archivebtn"_s << u"showarchiveblackbtn"_s << kind;
    QTest::newRow("documents") << u"showdocumentsbtn"_s << u"showdocumentsblackbtn"_s << kind;
    QTest::newRow("videos") << u"showvideosbtn"_s << u"showvideoblackbtn"_s << kind;
    QTest::newRow("audios") << u"showaudiosbtn"_s << u"showaudioblackbtn"_s << kind;
    QTest::newRow("others") << u"otherbtn"_s << u"showotherblackbtn"_s << kind;
}

void TestImages::buttons()
{
    QFETCH(QString, light);
    QFETCH(QString, dark);
    QFETCH(QSize, size);

    QImage lightImage(u":/images/"_s + light + u".png"_s);
    QImage darkImage(u":/images/"_s + dark + u".png"_s);
    QCOMPARE(lightImage.size(), size);
    QCOMPARE(darkImage.size(), size);
    QVERIFY(lightImage.hasAlphaChannel()); // rounded corners over any toolbar
    QCOMPARE_GT(coverage(lightImage), 0.9);

    // The dark twin is darker on average, so it cannot be the light one under another name.
    auto lightness = [](const QImage &image) {
        const QImage small = image.convertToFormat(QImage::Format_ARGB32)
                                 .scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return qGray(small.pixel(0, 0));
    };
    QCOMPARE_GT(lightness(lightImage) - lightness(darkImage), 100);

    // Each has a double-size drawing, which the icon machinery finds on a high-density screen.
    for (const QString &name : {light, dark}) {
        QCOMPARE(QImage(u":/images/"_s + name + u"@2x.png"_s).size(), size * 2);
        const QIcon icon(u":/images/"_s + name + u".png"_s);
        const QPixmap sharp = icon.pixmap(size, 2.0);
        QCOMPARE(sharp.size(), size * 2);
        QCOMPARE(sharp.devicePixelRatio(), 2.0);
    }
}

void TestImages::pictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("opaque"); // backgrounds fill their panel; icons have a transparent margin
    QTest::newRow("light panel") << u"whiteground"_s << true;
    QTest::newRow("grey panel") << u"grayimage"_s << true;
    QTest::newRow("dark panel") << u"blackground"_s << true;
    QTest::newRow("folder") << u"smartFolder"_s << false;
    QTest::newRow("file") << u"fileimage"_s << false;
    QTest::newRow("application") << u"vellumry"_s << false;
}

void TestImages::pictures()
{
    QFETCH(QString, name);
    QFETCH(bool, opaque);
    const QImage image(u":/images/"_s + name + u".png"_s);
    QCOMPARE(image.size(), QSize(256, 256));
    if (opaque) {
        QCOMPARE(coverage(image), 1.0);
    } else {
        QVERIFY(image.hasAlphaChannel());
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE_GT(coverage(image), 0.4);
    }
}

int main(int argc, char **argv)
{
    qputenv("QT_SCALE_FACTOR", "2"); // a high-density screen, even offscreen
    QApplication app(argc, argv);
    TestImages test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_images.moc"
