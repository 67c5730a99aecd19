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

QList<QByteArray> targetsBelow(const ClassifyPlan &plan, const QByteArray &root)
{
    QList<QByteArray> targets;
    for (const PlanStep &step : plan.moves)
        targets.append(step.skipped() ? QByteArray() : step.target.mid(root.size() + 1));
    return targets;
}

QList<QByteArray> namesBelow(const QList<QByteArray> &paths, const QByteArray &root)
{
    QList<QByteArray> names;
    for (const QByteArray &path : paths)
        names.append(path.mid(root.size() + 1));
    return names;
}

QList<QByteArray> keptNames(const ClassifyPlan &plan, const QByteArray &root)
{
    QList<QByteArray> paths;
    for (const auto &kept : plan.kept)
        paths.append(kept.first);
    return namesBelow(paths, root);
}

} // namespace

class TestClassifyPlanner : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setTimeZone("UTC"); }
    void kindFolders_data();
    void kindFolders();
    void dateFolders_data();
    void dateFolders();
    void numberedNames_data();
    void numberedNames();
    void takenNamesNumbered();
    void keepRules_data();
    void keepRules();
    void failedMoveKeepsItsFolder();
    void noMainFolder_data();
    void noMainFolder();
};

void TestClassifyPlanner::kindFolders_data()
{
    QTest::addColumn<FileKind>("kind");
    QTest::addColumn<QByteArray>("folder");
    QTest::newRow("application") << FileKind::Application << QByteArray("Application");
    QTest::newRow("image") << FileKind::Image << QByteArray("Image");
    QTest::newRow("document") << FileKind::Document << QByteArray("Document");
    QTest::newRow("audio") << FileKind::Audio << QByteArray("Audio& Music");
    QTest::newRow("video") << FileKind::Video << QByteArray("Video");
    QTest::newRow("archive") << FileKind::Archive << QByteArray("Archive");
    QTest::newRow("install package") << FileKind::InstallPackage << QByteArray("Install Package");
    QTest::newRow("other") << FileKind::Other << QByteArray("Other");
    QTest::newRow("folder stays") << FileKind::Folder << QByteArray();
}

void TestClassifyPlanner::kindFolders()
{
    QFETCH(FileKind, kind);
    QFETCH(QByteArray, folder);
    const auto item = IKImageItem::makeEntry(ScanFolderRef(new ScanFolder("/M")), "f", kind, 1, qint64(0));
    QCOMPARE(classifyFolderFor(*item, ClassifyBy::Kind, 0), folder);
}

void TestClassifyPlanner::dateFolders_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<qint64>("secs");
    QTest::addColumn<QByteArray>("folder");
    QTest::newRow("no leading zeros") << QByteArray("UTC") << july4th2019 << QByteArray("2019/7/4");
    QTest::newRow("two-digit month and day")
        << QByteArray("UTC") << qint64(946684799) << QByteArray("1999/12/31");
    QTest::newRow("local time zone") << QByteArray("EST5") << july4th2019 - 12 * 3600 - 1
                                     << QByteArray("2019/7/3");
    QTest::newRow("east of UTC") << QByteArray("JST-9") << qint64(946684799) << QByteArray("2000/1/1");
}

void TestClassifyPlanner::dateFolders()
{
    QFETCH(QByteArray, zone);
    QFETCH(qint64, secs);
    QFETCH(QByteArray, folder);
    setTimeZone(zone);
    const QByteArray got = classifyFolderFor(*entry("/M", "x.jpg"), ClassifyBy::Date, secs);
    setTimeZone("UTC");
    QCOMPARE(got, folder);
}

void TestClassifyPlanner::numberedNames_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("numbered");
    QTest::newRow("extension") << QByteArray("photo.jpg") << QByteArray("photo 2.jpg");
    QTest::newRow("none") << QByteArray("notes") << QByteArray("notes 2");
    QTest::newRow("last dot") << QByteArray("a.tar.gz") << QByteArray("a.tar 2.gz");
    QTest::newRow("leading dot") << QByteArray(".profile") << QByteArray(".profile 2");
    QTest::newRow("trailing dot") << QByteArray("end.") << QByteArray("end. 2");
}

void TestClassifyPlanner::numberedNames()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, numbered);
    QCOMPARE(numberedName(name, 2), numbered);
}

void TestClassifyPlanner::takenNamesNumbered()
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

void TestClassifyPlanner::keepRules_data()
{
    QTest::addColumn<ClassifyBy>("by");
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<bool>("keep");
    QTest::newRow("date 2019") << ClassifyBy::Date << QByteArray("2019") << true;
    QTest::newRow("date 1999") << ClassifyBy::Date << QByteArray("1999") << true;
    QTest::newRow("date 2019 Trips") << ClassifyBy::Date << QByteArray("2019 Trips") << true;
    QTest::newRow("date 1801") << ClassifyBy::Date << QByteArray("1801") << true;
    QTest::newRow("date 2499") << ClassifyBy::Date << QByteArray("2499") << true;
    QTest::newRow("date 1800") << ClassifyBy::Date << QByteArray("1800") << false;
    QTest::newRow("date 2500") << ClassifyBy::Date << QByteArray("2500") << false;
    QTest::newRow("date huge number") << ClassifyBy::Date << QByteArray("20190000000000000000") << false;
    QTest::newRow("date Photos") << ClassifyBy::Date << QByteArray("Photos") << false;
    QTest::newRow("date hidden") << ClassifyBy::Date << QByteArray(".cache") << true;
    QTest::newRow("kind Audio& Music") << ClassifyBy::Kind << QByteArray("Audio& Music") << true;
    QTest::newRow("kind Install Package") << ClassifyBy::Kind << QByteArray("Install Package") << true;
    QTest::newRow("kind spaced ampersand") << ClassifyBy::Kind << QByteArray("Audio & Music") << false;
    QTest::newRow("kind year") << ClassifyBy::Kind << QByteArray("2019") << false;
    QTest::newRow("kind hidden") << ClassifyBy::Kind << QByteArray(".cache") << true;
}

void TestClassifyPlanner::keepRules()
{
    QFETCH(ClassifyBy, by);
    QFETCH(QByteArray, folder);
    QFETCH(bool, keep);
    TempDir temp;
    TreeBuilder tree(temp.path() + "/M");
    tree.dir(folder);
    const ClassifyPlan plan = planClassification({}, tree.root(), by);
    QCOMPARE(keptNames(plan, tree.root()), keep ? QList<QByteArray>{folder} : QList<QByteArray>{});
    QCOMPARE(namesBelow(plan.cleanUp, tree.root()), keep ? QList<QByteArray>{} : QList<QByteArray>{folder});
}

// Nothing unmoved is removed: a file the scan did not list, a move that failed, a folder the moves
// fill even though its name is outside the year range (a date the file system may not hold).
void TestClassifyPlanner::failedMoveKeepsItsFolder()
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
    QCOMPARE(namesBelow(plan.cleanUp, root), (QList<QByteArray>{"b", "c"}));
    QCOMPARE(keptNames(plan, root), (QList<QByteArray>{"a", "loose.txt"}));
    QVERIFY(plan.kept.first().second.contains(u"deep/unlisted.txt"_s));

    Plan succeeded = plan.moves;
    succeeded[1].skipReason = u"name taken"_s;
    tree.dir("2600");
    succeeded[2].target = root + "/2600/1/1/z.txt";
    const ClassifyPlan after = cleanUpAfter(succeeded, root, ClassifyBy::Date);
    QCOMPARE(namesBelow(after.cleanUp, root), QList<QByteArray>{"c"});
    QCOMPARE(keptNames(after, root), (QList<QByteArray>{"2600", "a", "b", "loose.txt"}));
}

void TestClassifyPlanner::noMainFolder_data()
{
    QTest::addColumn<QByteArray>("mainFolder");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("root") << QByteArray("/");
    QTest::newRow("root with slashes") << QByteArray("//");
}

void TestClassifyPlanner::noMainFolder()
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

QTEST_GUILESS_MAIN(TestClassifyPlanner)
#include "tst_classifyplanner.moc"
