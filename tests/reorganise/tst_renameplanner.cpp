// The new names of the batch rename, the files it leaves alone, and the numbered form for taken names;
// where an up-level, chosen-folder or main-folder move sends each file, and what it refuses.
#include "reorganise/MovePlanner.h"
#include "reorganise/RenamePlanner.h"
#include "support/TempDir.h"
#include "support/TreeBuilder.h"

#include <QTest>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(vellumry::RenameOptions)

namespace {

RenameOptions folders(RenameMode mode, RenameVariant variant, int depth = 1)
{
    return {mode, variant, depth, {}, {}, {}};
}

RenameOptions text(RenameVariant variant, const QString &text, const QString &find = {},
                   const QString &replace = {})
{
    return {RenameMode::Text, variant, 1, text, find, replace};
}

constexpr auto Parent = RenameMode::ParentFolderName;
constexpr auto Components = RenameMode::PathComponents;
constexpr auto Begin = RenameVariant::AddToBeginning;
constexpr auto End = RenameVariant::AddToEnd;
constexpr auto Replace = RenameVariant::Replace;

} // namespace

class TestRenamePlanner : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void newNames_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<RenameOptions>("options");
        QTest::addColumn<QByteArray>("expected"); // empty: the file keeps its name

        const QByteArray img = "/Users/u/Photos/Trip/Day1/IMG.jpg";
        const QByteArray readme = "/Users/u/Photos/Trip/Day1/README";
        const auto row = [](const char *tag, const QByteArray &path, const RenameOptions &options,
                            const QByteArray &expected) { QTest::newRow(tag) << path << options << expected; };
        row("parent, beginning", img, folders(Parent, Begin), "Day1_IMG.jpg");
        row("parent, end, depth ignored", img, folders(Parent, End, 3), "IMG_Day1.jpg");
        row("parent, replace", img, folders(Parent, Replace), "Day1.jpg");
        row("parent, beginning, no extension", readme, folders(Parent, Begin), "Day1_README");
        row("parent, end, no extension", readme, folders(Parent, End), "README_Day1.");
        row("parent, replace, no extension", readme, folders(Parent, Replace), "Day1.");
        row("parent, end, hidden file", "/M/D/.profile", folders(Parent, End), ".profile_D.");

        row("components, beginning 1", img, folders(Components, Begin, 1), "Day1_IMG.jpg");
        row("components, beginning 2", img, folders(Components, Begin, 2), "Trip_Day1 IMG.jpg");
        row("components, end 1", img, folders(Components, End, 1), "IMG_Day1.jpg");
        row("components, end 4", img, folders(Components, End, 4), "IMG u_Photos_Trip_Day1.jpg");
        row("components, end 2, no extension", readme, folders(Components, End, 2), "README Trip_Day1.");
        row("components, replace 1", img, folders(Components, Replace, 1), "Day1.jpg");
        row("components, replace 5", img, folders(Components, Replace, 5), "Users_u_Photos_Trip_Day1.jpg");

        row("text, beginning", img, text(Begin, u"new"_s), "new IMG.jpg");
        row("text, beginning, empty text", img, text(Begin, {}), " IMG.jpg");
        row("text, end", img, text(End, u"new"_s), "IMG new.jpg");
        row("text, end, no extension", readme, text(End, u"new"_s), "README new.");
        row("text, replace, base only", "/M/IMG_IMG.jpg.IMG", text(Replace, {}, u"IMG"_s, u"Photo"_s),
            "Photo_Photo.jpg.IMG");
        row("text, replace, case-sensitive", "/M/imgIMG.jpg", text(Replace, {}, u"IMG"_s, u"X"_s), "imgX.jpg");
        row("text, replace, literal", "/M/a.b.c.jpg", text(Replace, {}, u"."_s, u"-"_s), "a-b-c.jpg");

        row("bytes that are not UTF-8", "/M/\xff\xfe/f\xe9.jpg", folders(Parent, End), "f\xe9_\xff\xfe.jpg");
        row("text round-trips odd bytes", "/M/f\xe9.jpg", text(Begin, u"caf\u00e9"_s), "caf\xc3\xa9 f\xe9.jpg");

        // An empty expectation: the file keeps its name.
        row("skip: parent is the root", "/IMG.jpg", folders(Parent, Begin), {});
        row("skip: no parent in a relative path", "IMG.jpg", folders(Parent, Begin), {});
        row("skip: root at depth 2", "/Day1/IMG.jpg", folders(Components, Begin, 2), {});
        row("skip: root at depth 4", "/a/b/c/IMG.jpg", folders(Components, End, 4), {});
        row("skip: depth 6", img, folders(Components, End, 6), {});
        row("skip: unchanged", img, text(Replace, {}, u"xyz"_s, u"abc"_s), {});
        row("skip: empty find text", img, text(Replace, {}, {}, u"abc"_s), {});
        row("skip: slash in the text", img, text(Begin, u"a/b"_s), {});
        row("skip: dot-dot", "/M/IMG", text(Replace, {}, u"IMG"_s, u"."_s), {});
        // "IMG.jpg" is 7 bytes, the text and its space the rest
        row("255 bytes kept", img, text(Begin, QString(247, u'x')), QByteArray(247, 'x') + " IMG.jpg");
        row("skip: 256 bytes", img, text(Begin, QString(248, u'x')), {});
    }

    void newNames()
    {
        QFETCH(QByteArray, path);
        QFETCH(RenameOptions, options);
        QFETCH(QByteArray, expected);
        const NewName result = newNameFor(path, options);
        QCOMPARE(result.name, expected);
        QCOMPARE(result.skipReason.isEmpty(), !expected.isEmpty());
    }

    void plans_data()
    {
        QTest::addColumn<QList<QByteArray>>("onDisk");   // files made before planning
        QTest::addColumn<QList<QByteArray>>("selected"); // the item index is 10 + the position
        QTest::addColumn<RenameOptions>("options");
        QTest::addColumn<QList<QByteArray>>("targets"); // empty: skipped

        using L = QList<QByteArray>;
        QTest::newRow("same name in two folders") << L{"A/x.jpg", "B/x.jpg"} << L{"A/x.jpg", "B/x.jpg"}
                                                  << text(Begin, u"n"_s) << L{"A/n x.jpg", "B/n x.jpg"};
        QTest::newRow("taken on disk") << L{"D/x.jpg", "D/D.jpg"} << L{"D/x.jpg"} << folders(Parent, Replace)
                                       << L{"D/D 10.jpg"};
        QTest::newRow("taken by an earlier step") << L{"D/x.jpg", "D/y.jpg"} << L{"D/x.jpg", "D/y.jpg"}
                                                  << folders(Parent, Replace) << L{"D/D.jpg", "D/D 11.jpg"};
        QTest::newRow("numbered form without extension")
            << L{"D/README", "D/D."} << L{"D/README"} << folders(Parent, Replace) << L{"D/D 10."};
        QTest::newRow("numbered form taken too") << L{"D/x.jpg", "D/D.jpg", "D/D 10.jpg"} << L{"D/x.jpg"}
                                                 << folders(Parent, Replace) << L{QByteArray()};
        QTest::newRow("name freed by an earlier step")
            << L{"D/x.txt", "D/xx.txt"} << L{"D/xx.txt", "D/x.txt"} << text(Replace, {}, u"x"_s, u"xx"_s)
            << L{"D/xxxx.txt", "D/xx.txt"};
        QTest::newRow("unchanged is not numbered")
            << L{"D/IMG.jpg"} << L{"D/IMG.jpg"} << text(Replace, {}, u"zzz"_s, u"y"_s) << L{QByteArray()};
    }

    void plans()
    {
        QFETCH(QList<QByteArray>, onDisk);
        QFETCH(QList<QByteArray>, selected);
        QFETCH(RenameOptions, options);
        QFETCH(QList<QByteArray>, targets);

        TempDir tmp;
        TreeBuilder tree(tmp.path());
        for (const QByteArray &rel : onDisk)
            tree.file(rel, 4);
        QList<RenameSource> sources;
        for (qsizetype i = 0; i < selected.size(); ++i)
            sources.append({tree.path(selected.at(i)), int(10 + i), false});
        sources.append({tree.path(selected.first()), 99, true}); // a folder item is never renamed

        const Plan plan = planRename(sources, options);
        QCOMPARE(plan.size(), targets.size() + 1);
        QVERIFY(plan.last().skipped());
        for (qsizetype i = 0; i < targets.size(); ++i) {
            const PlanStep &step = plan.at(i);
            QCOMPARE(step.itemIndex, int(10 + i));
            QCOMPARE(step.target, targets.at(i).isEmpty() ? QByteArray() : tree.path(targets.at(i)));
            QCOMPARE(step.skipped(), targets.at(i).isEmpty());
        }

        // Carried out in order, every planned move succeeds.
        for (const StepOutcome &outcome : executePlan(plan, nullptr))
            QCOMPARE(outcome.moved, !outcome.step.skipped());
    }

    void upLevels_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<int>("removals");
        QTest::addColumn<QByteArray>("target"); // empty: skipped
        QTest::newRow("one up") << "/M/A/B/f.txt"_ba << 2 << "/M/A/f.txt"_ba;
        QTest::newRow("two up") << "/M/A/B/f.txt"_ba << 3 << "/M/f.txt"_ba;
        QTest::newRow("three up reaches the root: refused") << "/M/A/B/f.txt"_ba << 4 << QByteArray();
        QTest::newRow("out of the main folder") << "/home/u/M/f.txt"_ba << 2 << "/home/u/f.txt"_ba;
        QTest::newRow("odd bytes kept") << "/M/\xff/x/\xe9.txt"_ba << 2 << "/M/\xff/\xe9.txt"_ba;
    }
    void upLevels()
    {
        QFETCH(QByteArray, path);
        QFETCH(int, removals);
        QFETCH(QByteArray, target);
        const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
        const Plan plan = planMoveUp({{path, name, 7, false}, {path, name, 8, true}}, removals);
        QCOMPARE(plan.size(), 2);
        QCOMPARE(plan.first().itemIndex, 7);
        QCOMPARE(plan.first().skipped(), target.isEmpty());
        QCOMPARE(plan.first().target, target);
        QVERIFY(plan.last().skipped()); // folder items never move
    }

    void intoAFolder()
    {
        const QList<MoveSource> sources{{"/M/A/f.txt", "f.txt", 0, false},
                                        {"/M/B/f.txt", "f.txt", 1, false},
                                        {"/M/link/g.txt", "g.txt", 2, false, true}};
        const Plan plan = planMoveInto(sources, "/M");
        QCOMPARE(plan.at(0).target, "/M/f.txt"_ba);
        QCOMPARE(plan.at(1).target, "/M/f.txt"_ba); // the second clashes when it runs and stays
        QCOMPARE(plan.at(2).skipReason, u"reached through a link"_s); // it lies elsewhere
        for (const QByteArray &nowhere : {QByteArray(), "/"_ba}) {
            for (const PlanStep &step : planMoveInto(sources, nowhere))
                QVERIFY(step.skipped() && step.target.isEmpty());
        }
    }
};


QTEST_GUILESS_MAIN(TestRenamePlanner)
#include "tst_renameplanner.moc"
