// Thumbnails through installed thumbnailers: scripts of the test's own registered in a temporary home,
// real child processes, and the shared cache read back as other desktop programs read it.
#include "platform/NativePath.h"
#include "platform/ThumbnailCache.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"
#include "views/Thumbnailers.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTest>

#include <sys/stat.h>
#include <sys/time.h>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

namespace {

QByteArray readAll(const QByteArray &path)
{
    QFile file(QString::fromUtf8(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QByteArray &path, const QByteArray &content, mode_t mode = 0644)
{
    QFile file(QString::fromUtf8(path));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    file.close();
    QCOMPARE(::chmod(path.constData(), mode), 0);
}

mode_t modeOf(const QByteArray &path)
{
    struct stat st = {};
    ::stat(path.constData(), &st);
    return st.st_mode & 07777;
}

} // namespace

class TestThumbnailers : public QObject
{
    Q_OBJECT

    std::optional<TempHome> m_home;
    QByteArray m_root, m_frame, m_log;

    // Registers one thumbnailer for MP4 videos: a script that logs its arguments, one a line, then runs
    // `body`.
    ThumbnailMaker maker(const QByteArray &body, int timeoutMs = 5000)
    {
        const QByteArray script = m_root + "/thumb.sh";
        writeFile(script, "#!/bin/sh\nprintf '%s\\n' \"$@\" >> " + m_log + "\n" + body + "\n", 0755);
        writeFile(toNativePath(m_home->dataHome()) + "/thumbnailers/test.thumbnailer",
                  "[Thumbnailer Entry]\nTryExec=" + script + "\nExec=" + script +
                      " --size %s \"%i\" %o %%\nMimeType=video/mp4;\n");
        return ThumbnailMaker(ThumbnailerRegistry::fromEnvironment(), timeoutMs);
    }
    int runs() const { return int(readAll(m_log).count("--size")); }

private Q_SLOTS:
    void initTestCase()
    {
        m_home.emplace();
        m_root = toNativePath(m_home->root());
        // The MIME database of the system, so file types are known inside the temporary home.
        QCOMPARE(::symlink("/usr/share/mime", QByteArray(m_root + "/usr/share/mime").constData()), 0);
        QVERIFY(QDir().mkpath(m_home->dataHome() + u"/thumbnailers"_s));
        m_frame = m_root + "/frame.png";
        QImage frame(320, 180, QImage::Format_RGB32);
        frame.fill(Qt::red);
        QVERIFY(frame.save(QString::fromUtf8(m_frame)));
        m_log = m_root + "/runs.log";
    }
    void init() { QFile::remove(QString::fromUtf8(m_log)); }

    // What the thumbnailer does, what the cache then holds, and that a failure is not tried again.
    void outcomes_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("failure"); // empty: made
        QTest::newRow("writes a picture") << "cp " + m_frame + " \"$4\"" << QString();
        QTest::newRow("fails") << QByteArray("exit 3") << u"the thumbnailer failed (exit status 3)"_s;
        QTest::newRow("hangs") << QByteArray("exec sleep 30") << u"the thumbnailer took longer than 1 s"_s;
        QTest::newRow("writes no picture")
            << QByteArray("echo nothing > \"$4\"") << u"the thumbnailer made no picture"_s;
    }
    void outcomes()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, failure);
        TreeBuilder tree(m_root);
        const QByteArray video = tree.file(QByteArrayLiteral("videos/my clip \xff.mp4"), 4096, 1600000000);
        const ThumbnailMaker thumbnails = maker(body, 1000);
        const QByteArray uri = fileUri(video);
        const QByteArray md5 = QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex();

        QElapsedTimer clock;
        clock.start();
        const ThumbnailResult result =
            thumbnails.make(video, ThumbnailSize::Normal, ThumbnailMaker::Sources::ThumbnailersOnly);
        QVERIFY(clock.elapsed() < 4000); // a hanging thumbnailer is killed at its limit
        QCOMPARE(result.failure, failure);
        // The field codes, each one whole argument whatever the name holds.
        const QList<QByteArray> arguments = readAll(m_log).split('\n');
        QCOMPARE(arguments.mid(0, 3), (QList<QByteArray>{"--size", "128", video}));
        QVERIFY(arguments.value(3).endsWith(".png") && arguments.value(4) == "%");

        const QByteArray entry = toNativePath(m_home->cacheHome()) + "/thumbnails/normal/" + md5 + ".png";
        const QByteArray record = thumbnailFailFile(uri);
        QVERIFY(
            record.startsWith(QByteArray(toNativePath(m_home->cacheHome()) + "/thumbnails/fail/vellumry-")));
        QVERIFY(record.endsWith(QByteArray('/' + md5 + ".png")));
        const QByteArray kept = failure.isEmpty() ? entry : record;
        QCOMPARE(result.cacheFile, failure.isEmpty() ? entry : QByteArray());
        QVERIFY(!QFile::exists(QString::fromUtf8(failure.isEmpty() ? record : entry)));
        const QImage stored(QString::fromUtf8(kept));
        QVERIFY(!stored.isNull());
        QCOMPARE(stored.text(u"Thumb::URI"_s), QString::fromUtf8(uri));
        QCOMPARE(stored.text(u"Thumb::MTime"_s), u"1600000000"_s);
        QCOMPARE(stored.size(), failure.isEmpty() ? QSize(128, 72) : QSize(1, 1));
        QCOMPARE(modeOf(kept), mode_t(0600));
        QCOMPARE(modeOf(removingLastPathComponent(kept)), mode_t(0700));
        QCOMPARE(QDir(QString::fromUtf8(removingLastPathComponent(kept)))
                     .entryList(QDir::Files | QDir::Hidden)
                     .size(),
                 1);
        QVERIFY(!QDir(m_home->cacheHome() + u"/thumbnails"_s)
                     .entryList({u".vellumry-*"_s}, QDir::Files | QDir::Hidden)
                     .size());

        // Asked again: served from the cache, or refused by the record, without running the thumbnailer.
        const ThumbnailResult again =
            thumbnails.make(video, ThumbnailSize::Normal, ThumbnailMaker::Sources::ThumbnailersOnly);
        QCOMPARE(runs(), 1);
        QCOMPARE(again.failure, failure.isEmpty() ? QString() : u"an earlier attempt failed"_s);

        // Once the file changes, both the entry and the record are stale: the thumbnailer runs again.
        const timeval times[2] = {{1700000000, 0}, {1700000000, 0}};
        QCOMPARE(::utimes(video.constData(), times), 0);
        const ThumbnailResult remade =
            thumbnails.make(video, ThumbnailSize::Normal, ThumbnailMaker::Sources::ThumbnailersOnly);
        QCOMPARE(runs(), 2);
        QCOMPARE(remade.failure, failure);
        QCOMPARE(QImage(QString::fromUtf8(kept)).text(u"Thumb::MTime"_s), u"1700000000"_s);
        QVERIFY(QDir(m_home->cacheHome() + u"/thumbnails"_s).removeRecursively());
    }

    // Which thumbnailer a type gets: the user's before the system's, missing programs left out, and a
    // type's parent when the type itself has none.
    void registry_data()
    {
        QTest::addColumn<QByteArray>("homeEntry");
        QTest::addColumn<QByteArray>("systemEntry");
        QTest::addColumn<QString>("mimeType");
        QTest::addColumn<QString>("chosen"); // "home", "system" or empty for none
        const QByteArray plain = "Exec=/bin/true %i %o\nMimeType=text/plain;";
        QTest::newRow("home wins") << plain << plain << u"text/plain"_s << u"home"_s;
        QTest::newRow("missing TryExec")
            << "TryExec=no-such-program-here\n" + plain << plain << u"text/plain"_s << u"system"_s;
        QTest::newRow("missing program") << QByteArray("Exec=/no/such/program %i\nMimeType=text/plain;")
                                         << plain << u"text/plain"_s << u"system"_s;
        QTest::newRow("parent type") << QByteArray() << plain << u"text/x-csrc"_s << u"system"_s;
        QTest::newRow("alias listed")
            << QByteArray("Exec=true\nMimeType=text/x-c;") << QByteArray() << u"text/x-csrc"_s << u"home"_s;
        QTest::newRow("none") << QByteArray("Exec=true\nMimeType=image/png;") << QByteArray()
                              << u"text/plain"_s << QString();
    }
    void registry()
    {
        QFETCH(QByteArray, homeEntry);
        QFETCH(QByteArray, systemEntry);
        QFETCH(QString, mimeType);
        QFETCH(QString, chosen);
        const QByteArray home = toNativePath(m_home->dataHome()) + "/thumbnailers/test.thumbnailer";
        const QByteArray system = m_root + "/usr/share/thumbnailers/test.thumbnailer";
        QVERIFY(QDir().mkpath(QString::fromUtf8(m_root + "/usr/share/thumbnailers")));
        QFile::remove(QString::fromUtf8(system));
        QFile::remove(QString::fromUtf8(home));
        if (!homeEntry.isEmpty())
            writeFile(home, "[Thumbnailer Entry]\n" + homeEntry + '\n');
        if (!systemEntry.isEmpty())
            writeFile(system, "[Thumbnailer Entry]\n" + systemEntry + '\n');
        const Thumbnailer *found = ThumbnailerRegistry::fromEnvironment().forMimeType(mimeType);
        QCOMPARE(found ? QString::fromUtf8(found->entryPath == home ? "home" : "system") : QString(), chosen);
        QFile::remove(QString::fromUtf8(system));
    }

    void execLines_data()
    {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QList<QByteArray>>("words"); // empty: refused
        QTest::newRow("codes") << u"t -s %s %u %i %o"_s
                               << QList<QByteArray>{"t", "-s", "64", "file:///a%20b", "/a b", "/o.png"};
        QTest::newRow("quoted") << u"\"/my tools/t\" \"-x %i\""_s
                                << QList<QByteArray>{"/my tools/t", "-x /a b"};
        QTest::newRow("escapes") << u"t \"a\\\"b\\\\c\\$\" 100%% %f"_s
                                 << QList<QByteArray>{"t", "a\"b\\c$", "100%"};
        QTest::newRow("unterminated") << u"t \"%i"_s << QList<QByteArray>{};
        QTest::newRow("blank") << u"  "_s << QList<QByteArray>{};
    }
    void execLines()
    {
        QFETCH(QString, exec);
        QFETCH(QList<QByteArray>, words);
        const auto got = thumbnailerArguments(exec, "/a b", "file:///a%20b", "/o.png", 64);
        QCOMPARE(got.value_or(QList<QByteArray>{}), words);
    }
};

QTEST_GUILESS_MAIN(TestThumbnailers)
#include "tst_thumbnailers.moc"
