// vellumry-cli defaults as scripts see it: exact lines and exit statuses.
#include "DesktopFixture.h"
#include "platform/ChildProcess.h"

#include <QDir>
#include <QTest>

#include <memory>

#include <sys/stat.h>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

namespace {

ProcessResult cli(const QList<QByteArray> &arguments) { return runProcess(qgetenv("VELLUMRY_CLI"), arguments, 60000); }

int modeOf(const QByteArray &path)
{
    struct stat st;
    return ::stat(path.constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

} // namespace

class TestDefaultsCli : public QObject
{
    Q_OBJECT
    std::unique_ptr<DesktopFixture> desk;
    QByteArray root;

private Q_SLOTS:
    void initTestCase()
    {
        desk = std::make_unique<DesktopFixture>();
        root = desk->home.root().toUtf8();
    }
    void init()
    {
        desk->writeMimeapps("[Default Applications]\nimage/png=viewer.desktop\nimage/jpeg=viewer.desktop\n"
                            "image/gif=spaced.desktop\napplication/pdf=editor.desktop\nimage/bmp=gone.desktop\n"
                            "\n[Added Associations]\nx-scheme-handler/x-test=viewer.desktop;\n");
    }
    void cleanup() { QFile::remove(desk->mimeappsList()); } // also a read-only one, or a link
    void cleanupTestCase() { desk.reset(); }

    // Each row runs its commands in turn ("&&" between them); the outputs follow each other, "@" stands
    // for the temporary root, and the status is the last command's.
    void commands_data()
    {
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("output");
        const auto row = [](const char *tag, const char *line, int status, const QByteArray &output) {
            QTest::newRow(tag) << QByteArray(line).split(' ') << status << output;
        };
        // Known and unknown extensions in any case; none for a text that could not be one.
        row("type", "defaults type JPG zzqq a/b a=b a\nb", 0, "image/jpeg\napplication/x-extension-zzqq\n\n\n\n");
        // The user's own entry wins over the system's of the same name; a default that names no installed
        // entry, and an unknown extension, have none.
        row("get", "defaults get png gif tiff PDF bmp zzqq", 0,
            "@/usr/share/applications/viewer.desktop\n@/my apps/applications/spaced.desktop\n(null)\n"
            "@/home/.local/share/applications/editor.desktop\n(null)\n(null)\n");
        row("set, then map", "defaults set player xcf png && defaults map", 0,
            "set\txcf\nset\tpng\n@/my apps/applications/spaced.desktop\tGIF\n"
            "@/usr/share/applications/viewer.desktop\tJPEG, JPG\n@/usr/share/applications/player.desktop\tPNG, XCF\n"
            "@/home/.local/share/applications/editor.desktop\tPDF\n");
        // A sub-folder's entry by its ID only; a hidden entry and a path name nothing.
        row("application names", "defaults set sub-nested.desktop png && defaults set nested.desktop png && "
            "defaults set hidden png && defaults set /usr/share/applications/viewer.desktop png", 1,
            "set\tpng\nfailed\tpng\tno such application\nfailed\tpng\tno such application\n"
            "failed\tpng\tno such application\n");
        row("set an unknown application", "defaults set unknown.desktop gif", 1, "failed\tgif\tno such application\n");
        row("set a bad extension among good ones", "defaults set viewer.desktop gif a=b", 1,
            "set\tgif\nfailed\ta=b\tnot a usable extension\n");
        for (const char *usage : {"defaults", "defaults frob jpg", "defaults type", "defaults set viewer",
                                  "defaults map jpg", "defaults get --all"})
            row(usage, usage, 2, {});
    }
    void commands()
    {
        QFETCH(QByteArrayList, arguments);
        QFETCH(int, status);
        QFETCH(QByteArray, output);
        QByteArray got;
        int last = -1;
        for (QByteArrayList rest = arguments; !rest.isEmpty();) {
            const qsizetype end = rest.contains("&&") ? rest.indexOf("&&") : rest.size();
            const ProcessResult run = cli(rest.first(end));
            got += run.standardOutput;
            last = run.exitCode;
            rest = rest.mid(end + 1);
        }
        QCOMPARE(got, output.replace('@', root));
        QCOMPARE(last, status);
    }

    // Only the lines of the type change, through a link into another folder too; a file that does not
    // parse or is read-only stays as it was and the change is refused. GIO then reads what is there.
    void mimeappsKeptByteForByte_data()
    {
        QTest::addColumn<QByteArray>("before"); // "-": no file
        QTest::addColumn<bool>("linked");       // the file lives in a dotfiles folder, linked to
        QTest::addColumn<int>("mode");          // before, and expected after
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QByteArray>("got"); // what `defaults get png` names afterwards
        const auto row = [](const char *tag, const QByteArray &before, bool linked, int mode, const QByteArray &after,
                            const QByteArray &failure, const QByteArray &got = "player") {
            QTest::newRow(tag) << before << linked << mode << after
                               << (failure.isEmpty() ? "set\tpng\n"_ba : "failed\tpng\t" + failure + '\n') << got;
        };
        const QByteArray valid = "[Default Applications]\nimage/png=viewer.desktop\n";
        const QByteArray set = "[Default Applications]\nimage/png=player.desktop\n"
                               "\n[Added Associations]\nimage/png=player.desktop;\n";
        row("comments and other groups kept",
            "# mine\n[Default Applications]\n# png\nimage/png=viewer.desktop\ntext/plain=viewer.desktop\n\n"
            "[X-Other]\nfoo = bar\n",
            false, 0640,
            "# mine\n[Default Applications]\n# png\nimage/png=player.desktop\ntext/plain=viewer.desktop\n\n"
            "[X-Other]\nfoo = bar\n\n[Added Associations]\nimage/png=player.desktop;\n",
            {});
        row("keys in place, a new one before the blank lines, CRLF, no last newline",
            "[Added Associations]\r\nimage/png = viewer.desktop;player.desktop;\r\n[Default Applications]\r\n"
            "text/plain=viewer.desktop\r\n\r\n\r\n[Removed Associations]\r\nimage/png=player.desktop;\r\n"
            "image/gif=player.desktop;",
            false, 0600,
            "[Added Associations]\r\nimage/png = player.desktop;viewer.desktop;\r\n[Default Applications]\r\n"
            "text/plain=viewer.desktop\r\nimage/png=player.desktop\r\n\r\n\r\n[Removed Associations]\r\n"
            "image/gif=player.desktop;",
            {});
        row("link into a dotfiles folder", valid, true, 0644, set, {});
        const QByteArray broken = valid + "not a line\n";
        row("syntax error", broken, false, 0644, broken,
            "mimeapps.list cannot be read: line 3 is not a group, a key or a comment", "(null)");
        row("read-only", valid, false, 0444, valid, "mimeapps.list is read-only", "viewer");
        row("read-only through a link", valid, true, 0444, valid, "mimeapps.list is read-only", "viewer");
        row("missing", "-", false, 0600, set, {});
    }
    void mimeappsKeptByteForByte()
    {
        QFETCH(QByteArray, before);
        QFETCH(bool, linked);
        QFETCH(int, mode);
        QFETCH(QByteArray, after);
        QFETCH(QByteArray, output);
        QFETCH(QByteArray, got);
        const QByteArray list = desk->mimeappsList().toUtf8();
        const QByteArray file = linked ? root + "/dotfiles/mimeapps.list" : list;
        QFile::remove(QString::fromUtf8(list));
        if (before != "-") {
            QDir().mkpath(QString::fromUtf8(root + "/dotfiles"));
            QFile::remove(QString::fromUtf8(file));
            QFile out(QString::fromUtf8(file));
            QVERIFY(out.open(QIODevice::WriteOnly) && out.write(before) == before.size());
            out.close();
            QCOMPARE(::chmod(file.constData(), mode_t(mode)), 0);
            if (linked)
                QVERIFY(QFile::link(u"../../dotfiles/mimeapps.list"_s, QString::fromUtf8(list)));
        }
        const ProcessResult run = cli({"defaults", "set", "player", "png"});
        QCOMPARE(run.standardOutput, output);
        QCOMPARE(run.exitCode, output.startsWith("set") ? 0 : 1);
        QFile in(QString::fromUtf8(file));
        QVERIFY(in.open(QIODevice::ReadOnly));
        QCOMPARE(in.readAll(), after);
        QCOMPARE(modeOf(file), mode);
        QCOMPARE(QFileInfo(QString::fromUtf8(list)).isSymLink(), linked);
        QCOMPARE(cli({"defaults", "get", "png"}).standardOutput,
                 (got == "(null)" ? got : root + "/usr/share/applications/" + got + ".desktop") + '\n');
        ::chmod(file.constData(), 0644);
    }

    // A FIFO where a desktop entry, autostart entry, setting or record is read is refused or skipped at
    // once; a run that waits on it is killed and fails.
    void nonRegularFilesNeverBlock_data()
    {
        QTest::addColumn<QByteArray>("fifo"); // below the temporary root
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<QByteArray>("output"); // "@": the root
        QTest::addColumn<int>("status");
        const auto row = [](const char *tag, const QByteArray &fifo, const char *command, const QByteArray &output,
                            int status) { QTest::newRow(tag) << fifo << QByteArray(command).split(' ') << output << status; };
        row("box add", "/x.desktop", "box add @/x.desktop", "refused\t@/x.desktop\tnot a regular file\n", 1);
        row("box with a FIFO settings file", "/home/.config/Vellumry/Vellumry.conf", "box add /bin/sh",
            "refused\t/bin/sh\tthe box could not be stored\n", 1);
        row("defaults set, FIFO entry", "/home/.local/share/applications/x.desktop", "defaults set x png",
            "failed\tpng\tthe application's desktop entry is not a regular file\n", 1);
        row("defaults set, FIFO mimeapps.list", "/home/.config/mimeapps.list", "defaults set player png",
            "failed\tpng\tmimeapps.list is not a regular file\n", 1);
        row("login status", "/home/.config/autostart/a.desktop", "login status", "disabled\n", 0);
        row("login add", "/home/.config/autostart/vellumry.desktop", "login add", "enabled\n", 0);
    }
    void nonRegularFilesNeverBlock()
    {
        QFETCH(QByteArray, fifo);
        QFETCH(QByteArrayList, arguments);
        QFETCH(QByteArray, output);
        QFETCH(int, status);
        // The login item is of the window program beside the tool: a copy of the tool and a stand-in.
        const QString bin = desk->home.root() + u"/bin"_s;
        if (!QFileInfo::exists(bin + u"/vellumry"_s)) {
            QVERIFY(QDir().mkpath(bin) && QFile::copy(QString::fromUtf8(qgetenv("VELLUMRY_CLI")), bin + u"/vellumry-cli"_s));
            QFile app(bin + u"/vellumry"_s);
            QVERIFY(app.open(QIODevice::WriteOnly) && app.write("#!/bin/sh\n") > 0);
            app.setPermissions(app.permissions() | QFile::ExeOwner);
        }
        QFile::remove(desk->mimeappsList());
        QDir().mkpath(QFileInfo(QString::fromUtf8(root + fifo)).path());
        QCOMPARE(::mkfifo(QByteArray(root + fifo).constData(), 0600), 0);
        for (QByteArray &argument : arguments)
            argument.replace('@', root);
        const QByteArray program = arguments.front() == "login" ? (bin + u"/vellumry-cli"_s).toUtf8() : qgetenv("VELLUMRY_CLI");
        const ProcessResult run = runProcess(program, arguments, 10000);
        QFile::remove(QString::fromUtf8(root + fifo));
        QDir(desk->home.configHome() + u"/autostart"_s).removeRecursively();
        QVERIFY2(run.exitedNormally, "still waiting after 10 seconds");
        QCOMPARE(run.exitCode, status);
        QCOMPARE(run.standardOutput, output.replace('@', root));
    }
};

QTEST_GUILESS_MAIN(TestDefaultsCli)
#include "tst_defaultscli.moc"
