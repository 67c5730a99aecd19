// Login items in a temporary autostart folder, checked against GLib's own reading of desktop entries.
#include "platform/LoginItems.h"
#include "platform/Preferences.h"
#include "platform/Settings.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

#include <QTest>

#include <gio/gdesktopappinfo.h>

using namespace vellumry;
using namespace vellumry::test;

namespace {

// The program a desktop session would start for the entry, GLib unescaping the Exec value, then splitting
// it; empty when GIO does not take the entry.
QByteArray glibProgram(const QByteArray &entry)
{
    GDesktopAppInfo *info = g_desktop_app_info_new_from_filename(entry.constData());
    gchar *exec = info ? g_desktop_app_info_get_string(info, "Exec") : nullptr;
    gchar **argv = nullptr;
    QByteArray program;
    if (exec && g_shell_parse_argv(exec, nullptr, &argv, nullptr))
        program = QByteArray(argv[0]).replace("%%", "%");
    g_strfreev(argv);
    g_free(exec);
    if (info)
        g_object_unref(info);
    return program;
}

QByteArray executable(TreeBuilder &tree, const QByteArray &rel)
{
    const QByteArray path = tree.file(rel, 4);
    tree.chmod(rel, 0755);
    return path;
}

// An application entry in the autostart folder: `body` after the group line, or alone without it.
void writeEntry(TreeBuilder &tree, const QByteArray &name, const QByteArray &body, bool group = true)
{
    QFile file(QString::fromUtf8(tree.file(QByteArray("autostart/" + name))));
    const QByteArray text = QByteArray(group ? "[Desktop Entry]\nType=Application\nName=V\n" : "") + body;
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
}

} // namespace

class TestLoginItems : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void addWritesOneEntryTheDesktopCanRun_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("plain") << QByteArray("vellumry");
        QTest::newRow("blanks") << QByteArray(" my vellumry ");
        QTest::newRow("shell characters") << QByteArray("q\"u`o$HOME;&|*'te");
        QTest::newRow("backslashes") << QByteArray("a\\\\b\\c\\");
        QTest::newRow("control characters") << QByteArray("new\nline\ttab\rcr");
    }
    void addWritesOneEntryTheDesktopCanRun()
    {
        QFETCH(QByteArray, name);
        TempHome home;
        TreeBuilder tree(home.home().toUtf8());
        const QByteArray program = executable(tree, "opt/" + name);
        const LoginItems items(program);
        QCOMPARE(items.isEnabled(), false);

        QVERIFY(items.add().ok);
        QVERIFY(items.add().ok); // already there: nothing more is written
        const QByteArray folder = home.configHome().toUtf8() + "/autostart";
        QCOMPARE(items.entries(), QByteArrayList{folder + "/vellumry.desktop"});
        QCOMPARE(glibProgram(folder + "/vellumry.desktop"), program);
        QVERIFY(items.isEnabled());

        QVERIFY(items.remove().ok);
        QCOMPARE(QDir(QString::fromUtf8(folder)).entryList(QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(items.isEnabled(), false);
    }

    // Only entries that resolve to the program go; another program's, an unresolvable one and an
    // unreadable one stay exactly as they were, and a name held by another program is not taken over.
    void removeTouchesOnlyTheProgramsEntries()
    {
        TempHome home;
        TreeBuilder tree(home.configHome().toUtf8());
        TreeBuilder bin(home.home().toUtf8() + "/bin");
        const QByteArray program = executable(bin, "vellumry");
        bin.symlink("alias", "vellumry");
        writeEntry(tree, "vellumry.desktop", "Exec=/bin/true\n");
        writeEntry(tree, "gone.desktop", "Exec=/nonexistent/vellumry\n");
        writeEntry(tree, "broken.desktop", "Exec=" + program + "\n", false);
        writeEntry(tree, "off.desktop", "Hidden=true\nExec=" + program + "\n");
        const TreeBuilder::Snapshot others = tree.snapshot();

        const LoginItems items(program);
        QCOMPARE(items.isEnabled(), false); // our only entry is switched off
        QVERIFY(items.add().ok);
        QCOMPARE(glibProgram(tree.path("autostart/vellumry-2.desktop")), program);
        QVERIFY(items.isEnabled());

        // Other spellings of the same program: a name looked up in PATH, a link to it.
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.root() + ":/usr/bin:/bin");
        writeEntry(tree, "bare.desktop", "Exec=vellumry %U\n");
        writeEntry(tree, "link.desktop", "Exec=" + bin.path("alias") + "\n");
        QCOMPARE(items.entries().size(), 4);
        const ActionResult removed = items.remove();
        qputenv("PATH", path);

        QVERIFY(removed.ok);
        TreeBuilder::Snapshot expected = others;
        expected.remove("autostart/off.desktop");
        QCOMPARE(tree.snapshot(), expected);
        QCOMPARE(items.isEnabled(), false);
    }

    // A failed change is reported, and the stored preference says what is true afterwards: a path the
    // desktop would not run, and an autostart folder whose place is taken by a file.
    void aFailedChangeIsStoredAsOff()
    {
        TempHome home;
        TreeBuilder tree(home.home().toUtf8());
        Settings settings;
        settings.setValue(QStringLiteral("BAutoLogin"), QStringLiteral("YES"));
        QVERIFY(!applyLoginPreference(LoginItems(executable(tree, "100%")), settings, true).ok);
        const LoginItems blocked(executable(tree, "vellumry"), tree.file("not-a-folder"));
        const ActionResult result = applyLoginPreference(blocked, settings, true);
        QVERIFY(!result.ok);
        QCOMPARE(result.reason, QStringLiteral("not a folder"));
        QCOMPARE(Settings(Settings::defaultFilePath()).string(QStringLiteral("BAutoLogin")),
                 QStringLiteral("NO"));
    }
};

QTEST_GUILESS_MAIN(TestLoginItems)
#include "tst_loginitems.moc"
