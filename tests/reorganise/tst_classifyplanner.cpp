// Where classification sends each file, and which top-level entries of the main folder it trashes or keeps.
#include "reorganise/ClassifyPlanner.h"

#include "support/TempDir.h"
#include "support/TreeBuilder.h"

#include <QTest>

#include <ctime>

using namespace vellumry;
using namespace Qt::StringLiterals;
using vellumry::test::TempDir;
using vellumry::test::TreeBuilder;

Q_DECLARE_METATYPE(ClassifyBy)

namespace {

constexpr qint64 july4th2019 = 1562241600; // 2019-07-04 12:00 UTC

void setTimeZone(const QByteArray &zone)
{
    qputenv("TZ", zone);
    ::tzset();
}

IKImageItemRef entry(const QByteArray &folder, const QByteArray &name)
{
    const FileKind kind = kindForFileName(std::string_view(name.constData(), name.size()));
    return IKImageItem::makeEntry(ScanFolderRef(new ScanFolder(folder)), name, kind, 1, qint64(0));
}

// Items for files below `root`, given by relative paths.
ItemList entries(const QByteArray &root, const QList<QByteArray> &rels)
{
    ItemList items;
    for (const QByteArray &rel : rels) {
        const qsizetype slash = rel.lastIndexOf('/');
        items.append(entry(slash < 0 ? root : root + '/' + rel.left(slash), rel.mid(slash + 1)));
    }
    return items;
}

// The paths below `root`, relative to it; an empty path (a skipped step's target) stays empty.
QList<QByteArray> below(const QByteArray &root, const QList<QByteArray> &paths)
{
    QList<QByteArray> names;
    for (const QByteArray &path : paths)
        names.append(path.isEmpty() ? path : path.mid(root.size() + 1));
    return names;
}

QList<QByteArray> targetsBelow(const ClassifyPlan &plan, const QByteArray &root)
{
    QList<QByteArray> targets;
    for (const PlanStep &step : plan.moves)
        targets.append(step.skipped() ? QByteArray() : step.target);
    return below(root, targets);
}

QList<QByteArray> keptNames(const ClassifyPlan &plan, const QByteArray &root)
{
    QList<QByteArray> paths;
    for (const auto &kept : plan.kept)
        paths.append(kept.first);
    return below(root, paths);
}

} // namespace

class TestClassifyPlanner : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setTimeZone("UTC"); }
    // The folder each file is sent to, by kind and by its date in the local time zone.
    void folders_data()
    {
        QTest::addColumn<ClassifyBy>("by");
        QTest::addColumn<FileKind>("kind");
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<qint64>("secs");
        QTest::addColumn<QByteArray>("folder"); // empty: it stays
        const auto kind = [](const char *tag, FileKind fileKind, const QByteArray &folder) {
            QTest::newRow(tag) << ClassifyBy::Kind << fileKind << "UTC"_ba << qint64(0) << folder;
        };
        const auto date = [](const char *tag, const QByteArray &zone, qint64 secs, const QByteArray &folder) {
            QTest::newRow(tag) << ClassifyBy::Date << FileKind::Image << zone << secs << folder;
        };
        kind("application", FileKind::Application, "Application");
        kind("image", FileKind::Image, "Image");
        kind("document", FileKind::Document, "Document");
        kind("audio", FileKind::Audio, "Audio& Music");
        kind("video", FileKind::Video, "Video");
        kind("archive", FileKind::Archive, "Archive");
        kind("install package", FileKind::InstallPackage, "Install Package");
        kind("other", FileKind::Other, "Other");
        kind("folder stays", FileKind::Folder, {});
        date("no leading zeros", "UTC", july4th2019, "2019/7/4");
        date("two-digit month and day", "UTC", 946684799, "1999/12/31");
        date("local time zone", "EST5", july4th2019 - 12 * 3600 - 1, "2019/7/3");
        date("east of UTC", "JST-9", 946684799, "2000/1/1");
    }
    void folders()
    {
        QFETCH(ClassifyBy, by);
        QFETCH(FileKind, kind);
        QFETCH(QByteArray, zone);
        QFETCH(qint64, secs);
        QFETCH(QByteArray, folder);
        setTimeZone(zone);
        const auto item = IKImageItem::makeEntry(ScanFolderRef(new ScanFolder("/M")), "f.jpg", kind, 1, qint64(0));
        const QByteArray got = classifyFolderFor(*item, by, secs);
        setTimeZone("UTC");
        QCOMPARE(got, folder);
    }

    void numberedNames_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("numbered");
        QTest::newRow("extension") << "photo.jpg"_ba << "photo 2.jpg"_ba;
        QTest::newRow("none") << "notes"_ba << "notes 2"_ba;
        QTest::newRow("last dot") << "a.tar.gz"_ba << "a.tar 2.gz"_ba;
        QTest::newRow("leading dot") << ".profile"_ba << ".profile 2"_ba;
        QTest::newRow("trailing dot") << "end."_ba << "end. 2"_ba;
    }
    void numberedNames()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, numbered);
        QCOMPARE(numberedName(name, 2), numbered);
    }

    void takenNamesNumbered()
    {
        TempDir temp;
        TreeBuilder tree(temp.path() + "/M");
        for (const char *rel : {"Image/x.jpg", "Image/x 1.jpg", "a/x.jpg", "b/x.jpg", "c/x 2.jpg"})
            tree.file(rel, 3);
        const QByteArray root = tree.root();
        const ClassifyPlan plan = planClassification(
            entries(root, {"a/x.jpg", "b/x.jpg", "c/x 2.jpg", "Image/x.jpg"}), root, ClassifyBy::Kind);
        // Taken on disk, then by earlier steps; a file already in its folder stays where it is.
        QCOMPARE(targetsBelow(plan, root),
                 (QList<QByteArray>{"Image/x 2.jpg", "Image/x 3.jpg", "Image/x 2 1.jpg", {}}));
        QCOMPARE(plan.moves.last().skipReason, u"already in its folder"_s);
    }

    // Nothing unmoved is removed: a file the scan did not list, a move that failed, a folder the moves
    // fill even though its name is outside the year range (a date the file system may not hold).
    void failedMoveKeepsItsFolder()
    {
        TempDir temp;
        TreeBuilder tree(temp.path() + "/M");
        tree.file("a/x.jpg", 2, july4th2019);
        tree.file("a/deep/unlisted.txt", 2, july4th2019);
        tree.file("b/y.jpg", 2, july4th2019);
        tree.file("c/z.txt", 2, july4th2019);
        tree.file("loose.txt", 2);
        const QByteArray root = tree.root();
        const ClassifyPlan plan =
            planClassification(entries(root, {"a/x.jpg", "b/y.jpg", "c/z.txt"}), root, ClassifyBy::Date);
        QCOMPARE(targetsBelow(plan, root),
                 (QList<QByteArray>{"2019/7/4/x.jpg", "2019/7/4/y.jpg", "2019/7/4/z.txt"}));
        QCOMPARE(below(root, plan.cleanUp), (QList<QByteArray>{"b", "c"}));
        QCOMPARE(keptNames(plan, root), (QList<QByteArray>{"a", "loose.txt"}));
        QVERIFY(plan.kept.first().second.contains(u"deep/unlisted.txt"_s));

        Plan succeeded = plan.moves;
        succeeded[1].skipReason = u"name taken"_s;
        tree.dir("2600");
        succeeded[2].target = root + "/2600/1/1/z.txt";
        const ClassifyPlan after = cleanUpAfter(succeeded, root, ClassifyBy::Date);
        QCOMPARE(below(root, after.cleanUp), QList<QByteArray>{"c"});
        QCOMPARE(keptNames(after, root), (QList<QByteArray>{"2600", "a", "b", "loose.txt"}));
    }

    void noMainFolder_data()
    {
        QTest::addColumn<QByteArray>("mainFolder");
        for (const char *folder : {"", "/", "//"})
            QTest::addRow("'%s'", folder) << QByteArray(folder);
    }

    void noMainFolder()
    {
        QFETCH(QByteArray, mainFolder);
        TempDir temp;
        TreeBuilder tree(temp.path());
        tree.file("x.jpg", 1);
        for (ClassifyBy by : {ClassifyBy::Kind, ClassifyBy::Date}) {
            const ClassifyPlan plan = planClassification(entries(tree.root(), {"x.jpg"}), mainFolder, by);
            QCOMPARE(plan.moves.size(), 1);
            QVERIFY(plan.moves.first().skipped());
            QVERIFY(plan.cleanUp.isEmpty());
            QVERIFY(plan.kept.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestClassifyPlanner)
#include "tst_classifyplanner.moc"
