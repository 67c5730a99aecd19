// The extension tables, the ordered lookups, the hashed kind lookup and the kind names.
#include "model/FileKinds.h"

#include <QTest>

#include <cctype>
#include <string>

using namespace vellumry;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(vellumry::FileKind)

namespace {

struct Table
{
    const char *const *entries;
    int (*lookup)(const char *);
    FileKind kind;
};

// In the order the kinds are tried for a file.
const Table kTables[] = {
    {kImageTypes, GetImageType, FileKind::Image},
    {kAudioTypes, GetAudioType, FileKind::Audio},
    {kVideoTypes, GetVideoType, FileKind::Video},
    {kDocumentTypes, GetDocumentType, FileKind::Document},
    {kArchiveTypes, GetArchiveType, FileKind::Archive},
    {kInstallPackageTypes, GetInstallPackageType, FileKind::InstallPackage},
};

int countOf(const char *const *table)
{
    int n = 0;
    while (table[n][0] != '\0')
        ++n;
    return n;
}

// The kind by trying the ordered lookups one after the other: what the hashed lookup must agree with.
FileKind kindByOrderedLookups(const std::string &ext)
{
    for (const Table &t : kTables) {
        if (t.lookup(ext.c_str()) >= 0)
            return t.kind;
    }
    return FileKind::Other;
}

// The text (ASCII here) in lower case (0), upper case (1) or alternating case (2, "jPeG").
std::string withCase(std::string s, int wanted)
{
    for (std::size_t i = 0; i < s.size(); ++i) {
        const bool up = wanted == 1 || (wanted == 2 && i % 2 == 1);
        s[i] = static_cast<char>(up ? std::toupper(s[i]) : std::tolower(s[i]));
    }
    return s;
}

} // namespace

class TestFileKinds : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tables_data()
    {
        QTest::addColumn<int>("table");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("image") << 0 << 145 << u"HEIC"_s << u"XPS"_s;
        QTest::newRow("audio") << 1 << 40 << u"AMR"_s << u"PTF"_s;
        QTest::newRow("video") << 2 << 56 << u"HEVC"_s << u"YUV"_s;
        QTest::newRow("document") << 3 << 99 << u"123"_s << u"XLT"_s;
        QTest::newRow("archive") << 4 << 31 << u"7Z"_s << u"ZOO"_s;
        QTest::newRow("install package") << 5 << 2 << u"DMG"_s << u"PKG"_s;
    }

    void tables()
    {
        QFETCH(int, table);
        QFETCH(int, count);
        QFETCH(QString, first);
        QFETCH(QString, last);
        const Table &t = kTables[table];
        QCOMPARE(countOf(t.entries), count);
        QCOMPARE(QLatin1StringView(t.entries[0]), first);
        QCOMPARE(QLatin1StringView(t.entries[count - 1]), last);

        // Every entry in every letter case through both lookups, and near misses around it. An entry that an
        // earlier table also holds would come out as the earlier kind, so this also proves that no extension
        // is in two tables.
        for (int i = 0; i < count; ++i) {
            for (int wanted : {0, 1, 2}) {
                const std::string ext = withCase(t.entries[i], wanted);
                QCOMPARE(kindByOrderedLookups(ext), t.kind);
                QCOMPARE(kindForExtension(ext), t.kind);
                for (const std::string &near :
                     {ext + "x", ext + ext, ext.substr(1), ext.substr(0, ext.size() - 1),
                      ext.substr(0, ext.size() - 1) + "\x7f", "." + ext})
                    QVERIFY2(kindForExtension(near) == kindByOrderedLookups(near), near.c_str());
            }
        }
    }

    // Positions are facts other code relies on; a null pointer and the empty text match nothing anywhere.
    void lookupPositions_data()
    {
        QTest::addColumn<int>("table");
        QTest::addColumn<QByteArray>("ext");
        QTest::addColumn<int>("position");
        QTest::newRow("cdr first of two") << 0 << "cdr"_ba << 17;
        QTest::newRow("jpg") << 0 << "Jpg"_ba << 67;
        QTest::newRow("jp is not jpg") << 0 << "jp"_ba << -1;
        QTest::newRow("jpeg2 is not jpeg") << 0 << "jpeg2"_ba << -1;
        QTest::newRow("pictclipping longest") << 0 << "PictClipping"_ba << 99;
        QTest::newRow("dvr-ms") << 2 << "dvr-ms"_ba << 15;
        QTest::newRow("pkg") << 5 << "pkg"_ba << 1;
        QTest::newRow("leading dot") << 5 << ".dmg"_ba << -1;
        QTest::newRow("end mark is not an entry") << 5 << ""_ba << -1;
    }

    void lookupPositions()
    {
        QFETCH(int, table);
        QFETCH(QByteArray, ext);
        QFETCH(int, position);
        QCOMPARE(kTables[table].lookup(ext.constData()), position);
        QCOMPARE(kTables[table].lookup(nullptr), -1);
    }

    // Image, video, audio, document and archive entries in table order, repeats kept, install packages left out.
    void imageArray()
    {
        QStringList expected;
        for (int table : {0, 2, 1, 3, 4}) {
            for (int i = 0; kTables[table].entries[i][0] != '\0'; ++i)
                expected.append(QLatin1StringView(kTables[table].entries[i]));
        }
        QCOMPARE(expected.size(), 371);
        QCOMPARE(GetImageArray(), expected);
    }

    void hashedKindMatchesOrderedLookupsForOddInputs_data()
    {
        QTest::addColumn<QByteArray>("ext");
        QTest::addColumn<FileKind>("kind");
        QTest::newRow("empty") << ""_ba << FileKind::Other;
        QTest::newRow("very long") << QByteArray(5000, 'j') << FileKind::Other;
        QTest::newRow("longest entry plus one") << "pictclippings"_ba << FileKind::Other;
        // Bytes that a fold by setting or clearing one bit, rather than by letter, would turn into an entry.
        QTest::newRow("high bit") << "jp\xe7"_ba << FileKind::Other;
        QTest::newRow("control byte for 7") << "\x17z"_ba << FileKind::Other;
        QTest::newRow("carriage return for -") << "dvr\rms"_ba << FileKind::Other;
        QTest::newRow("nul ends it like a C string") << QByteArray("jpg\0xyz", 7) << FileKind::Image;
        QTest::newRow("nul first") << QByteArray("\0jpg", 4) << FileKind::Other;
        QTest::newRow("nul after longest entry") << QByteArray("pictclipping\0x", 14) << FileKind::Image;
    }

    void hashedKindMatchesOrderedLookupsForOddInputs()
    {
        QFETCH(QByteArray, ext);
        QFETCH(FileKind, kind);
        const std::string_view view(ext.constData(), static_cast<std::size_t>(ext.size()));
        QCOMPARE(kindByOrderedLookups(std::string(view)), kind);
        QCOMPARE(kindForExtension(view), kind);
    }

    // The names are saved in settings, so they must come back exactly, and nothing near them may match.
    void kindNames()
    {
        const QStringList names = {u"Image"_s,    u"Audio"_s,       u"Video"_s,
                                   u"Document"_s, u"Archive"_s,     u"Install Package"_s,
                                   u"Other"_s,    u"Application"_s, u"Folder"_s}; // enum order
        for (int i = 0; i < names.size(); ++i) {
            QCOMPARE(kindName(FileKind(i)), names[i]);
            QCOMPARE(kindFromName(names[i]), std::optional(FileKind(i)));
        }
        for (const QString &name :
             {u"image"_s, u"Install package"_s, u"InstallPackage"_s, u" Folder"_s, QString()})
            QCOMPARE(kindFromName(name), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestFileKinds)
#include "tst_filekinds.moc"
