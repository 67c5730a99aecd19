// The extension tables, the ordered lookups, the hashed kind lookup and the kind names.
#include "model/FileKinds.h"

#include <QTest>

#include <map>
#include <set>
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
    const char *label;
};

// In the order the kinds are tried for a file.
const Table kTables[] = {
    {kImageTypes, GetImageType, FileKind::Image, "image"},
    {kAudioTypes, GetAudioType, FileKind::Audio, "audio"},
    {kVideoTypes, GetVideoType, FileKind::Video, "video"},
    {kDocumentTypes, GetDocumentType, FileKind::Document, "document"},
    {kArchiveTypes, GetArchiveType, FileKind::Archive, "archive"},
    {kInstallPackageTypes, GetInstallPackageType, FileKind::InstallPackage, "install package"},
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

enum class Case
{
    Lower,
    Upper,
    Mixed
};

// The text with its ASCII letters in lower case, upper case, or alternating ("jPeG").
std::string withCase(std::string s, Case wanted)
{
    for (std::size_t i = 0; i < s.size(); ++i) {
        const bool up = wanted == Case::Upper || (wanted == Case::Mixed && i % 2 == 1);
        if (up && s[i] >= 'a' && s[i] <= 'z')
            s[i] = static_cast<char>(s[i] - 'a' + 'A');
        else if (!up && s[i] >= 'A' && s[i] <= 'Z')
            s[i] = static_cast<char>(s[i] - 'A' + 'a');
    }
    return s;
}

} // namespace

class TestFileKinds : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tableCounts_data();
    void tableCounts();
    void noExtensionInTwoTables();
    void lookupPositions_data();
    void lookupPositions();
    void lookupsRejectNullAndEmpty();
    void imageArray();
    void extension_data();
    void extension();
    void kindForFileName_data();
    void kindForFileName();
    void hashedKindMatchesOrderedLookupsForEveryEntry();
    void hashedKindMatchesOrderedLookupsForOddInputs_data();
    void hashedKindMatchesOrderedLookupsForOddInputs();
    void hashedKindMatchesOrderedLookupsForAllShortExtensions();
    void kindNames_data();
    void kindNames();
    void unknownKindNames();
};

void TestFileKinds::tableCounts_data()
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

void TestFileKinds::tableCounts()
{
    QFETCH(int, table);
    QFETCH(int, count);
    QFETCH(QString, first);
    QFETCH(QString, last);
    const char *const *entries = kTables[table].entries;
    QCOMPARE(countOf(entries), count);
    QCOMPARE(QLatin1StringView(entries[0]), first);
    QCOMPARE(QLatin1StringView(entries[count - 1]), last);
}

void TestFileKinds::noExtensionInTwoTables()
{
    std::map<std::string, const char *> owner;
    for (const Table &t : kTables) {
        std::set<std::string> inThisTable;
        for (int i = 0; t.entries[i][0] != '\0'; ++i)
            inThisTable.insert(withCase(t.entries[i], Case::Lower));
        for (const std::string &ext : inThisTable) {
            const auto [it, added] = owner.emplace(ext, t.label);
            QVERIFY2(added, qPrintable(u"%1 is in the %2 and %3 tables"_s.arg(QLatin1StringView(ext.c_str()),
                                                                              QLatin1StringView(it->second),
                                                                              QLatin1StringView(t.label))));
        }
    }
    // Only the two known repeats inside the image table; everything else is there once.
    QCOMPARE(owner.size(), 145 - 2 + 40 + 56 + 99 + 31 + 2);
}

void TestFileKinds::lookupPositions_data()
{
    QTest::addColumn<int>("table");
    QTest::addColumn<QByteArray>("ext");
    QTest::addColumn<int>("position");
    QTest::newRow("jpg") << 0 << "jpg"_ba << 67;
    QTest::newRow("JPG") << 0 << "JPG"_ba << 67;
    QTest::newRow("Jpg") << 0 << "Jpg"_ba << 67;
    QTest::newRow("jpeg2 is not jpeg") << 0 << "jpeg2"_ba << -1;
    QTest::newRow("jp is not jpg") << 0 << "jp"_ba << -1;
    QTest::newRow("heic first") << 0 << "heic"_ba << 0;
    QTest::newRow("cdr first of two") << 0 << "cdr"_ba << 17;
    QTest::newRow("dcr first of two") << 0 << "DCR"_ba << 32;
    QTest::newRow("pictclipping longest") << 0 << "PictClipping"_ba << 99;
    QTest::newRow("mp3 not image") << 0 << "mp3"_ba << -1;
    QTest::newRow("dvr-ms") << 2 << "dvr-ms"_ba << 15;
    QTest::newRow("dvr_ms") << 2 << "dvr_ms"_ba << -1;
    QTest::newRow("flac") << 1 << "flac"_ba << 29;
    QTest::newRow("app") << 3 << "app"_ba << 9;
    QTest::newRow("c") << 3 << "c"_ba << 10;
    QTest::newRow("plist") << 3 << "plist"_ba << 51;
    QTest::newRow("PLIST") << 3 << "PLIST"_ba << 51;
    QTest::newRow("Plist") << 3 << "Plist"_ba << 51;
    QTest::newRow("bzip") << 4 << "BZIP"_ba << 6;
    QTest::newRow("bz") << 4 << "bz"_ba << 5;
    QTest::newRow("bz2 not listed") << 4 << "bz2"_ba << -1;
    QTest::newRow("dmg") << 5 << "dmg"_ba << 0;
    QTest::newRow("pkg") << 5 << "pkg"_ba << 1;
    QTest::newRow("mpkg") << 5 << "mpkg"_ba << -1;
    QTest::newRow("dot") << 5 << "."_ba << -1;
    QTest::newRow("leading dot") << 5 << ".dmg"_ba << -1;
    QTest::newRow("trailing blank") << 5 << "dmg "_ba << -1;
    QTest::newRow("end mark is not an entry") << 5 << ""_ba << -1;
}

void TestFileKinds::lookupPositions()
{
    QFETCH(int, table);
    QFETCH(QByteArray, ext);
    QFETCH(int, position);
    QCOMPARE(kTables[table].lookup(ext.constData()), position);
}

void TestFileKinds::lookupsRejectNullAndEmpty()
{
    for (const Table &t : kTables) {
        QCOMPARE(t.lookup(nullptr), -1);
        QCOMPARE(t.lookup(""), -1);
    }
}

void TestFileKinds::imageArray()
{
    const QStringList all = GetImageArray();
    QCOMPARE(all.size(), 371);
    QCOMPARE(all.first(), u"HEIC"_s);
    QCOMPARE(all.at(144), u"XPS"_s);
    QCOMPARE(all.at(145), u"HEVC"_s);     // video follows image
    QCOMPARE(all.at(145 + 56), u"AMR"_s); // then audio
    QCOMPARE(all.at(145 + 56 + 40), u"123"_s);
    QCOMPARE(all.at(145 + 56 + 40 + 51), u"Plist"_s);
    QCOMPARE(all.at(145 + 56 + 40 + 99), u"7Z"_s);
    QCOMPARE(all.last(), u"ZOO"_s);
    QCOMPARE(all.count(u"CDR"_s), 2);
    QCOMPARE(all.count(u"DCR"_s), 2);
    QVERIFY(!all.contains(u"DMG"_s));
    QVERIFY(!all.contains(QString()));
}

void TestFileKinds::extension_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("ext");
    QTest::newRow("plain") << "photo.jpg"_ba
                           << "jpg"_ba;
    QTest::newRow("last dot wins") << "a.tar.gz"_ba
                                   << "gz"_ba;
    QTest::newRow("no dot") << "README"_ba
                            << ""_ba;
    QTest::newRow("ends in dot") << "report."_ba
                                 << ""_ba;
    QTest::newRow("dot file") << ".bashrc"_ba
                              << "bashrc"_ba;
    QTest::newRow("only a dot") << "."_ba
                                << ""_ba;
    QTest::newRow("empty") << ""_ba
                           << ""_ba;
    QTest::newRow("utf-8 kept") << "caf\xc3\xa9.\xc3\xa9t\xc3\xa9"_ba
                                << "\xc3\xa9t\xc3\xa9"_ba;
}

void TestFileKinds::extension()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, ext);
    const std::string_view got = extensionOf(std::string_view(name.constData(), name.size()));
    QCOMPARE(QByteArray(got.data(), static_cast<qsizetype>(got.size())), ext);
}

void TestFileKinds::kindForFileName_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<FileKind>("kind");
    QTest::newRow("image upper") << "photo.JPG"_ba << FileKind::Image;
    QTest::newRow("heic") << "IMG_0001.heic"_ba << FileKind::Image;
    QTest::newRow("tarball") << "a.tar.gz"_ba << FileKind::Archive;
    QTest::newRow("no extension") << "README"_ba << FileKind::Other;
    QTest::newRow("trailing dot") << "report."_ba << FileKind::Other;
    QTest::newRow("audio") << "song.Mp3"_ba << FileKind::Audio;
    QTest::newRow("video") << "clip.dvr-ms"_ba << FileKind::Video;
    QTest::newRow("document") << "main.cpp"_ba << FileKind::Document;
    QTest::newRow("plist") << "Info.plist"_ba << FileKind::Document;
    QTest::newRow("install package") << "setup.dmg"_ba << FileKind::InstallPackage;
    QTest::newRow("unlisted") << "notes.md"_ba << FileKind::Other;
    QTest::newRow("dot file") << ".pdf"_ba << FileKind::Document;
}

void TestFileKinds::kindForFileName()
{
    QFETCH(QByteArray, name);
    QFETCH(FileKind, kind);
    QCOMPARE(vellumry::kindForFileName(std::string_view(name.constData(), name.size())), kind);
}

void TestFileKinds::hashedKindMatchesOrderedLookupsForEveryEntry()
{
    for (const Table &t : kTables) {
        for (int i = 0; t.entries[i][0] != '\0'; ++i) {
            const std::string entry = t.entries[i];
            for (const std::string &ext : {entry, withCase(entry, Case::Lower), withCase(entry, Case::Upper),
                                           withCase(entry, Case::Mixed)}) {
                const FileKind expected = kindByOrderedLookups(ext);
                QCOMPARE(expected, t.kind);
                QCOMPARE(kindForExtension(ext), expected);
                // Near misses: one byte more, one byte less, a changed last byte.
                for (const std::string &near :
                     {ext + "x", ext + ext, ext.substr(1), ext.substr(0, ext.size() - 1),
                      ext.substr(0, ext.size() - 1) + "\x7f", "." + ext}) {
                    if (kindForExtension(near) != kindByOrderedLookups(near))
                        QFAIL(qPrintable(u"differs for '%1'"_s.arg(QLatin1StringView(near.c_str()))));
                }
            }
        }
    }
}

void TestFileKinds::hashedKindMatchesOrderedLookupsForOddInputs_data()
{
    QTest::addColumn<QByteArray>("ext");
    QTest::addColumn<FileKind>("kind");
    QTest::newRow("empty") << ""_ba << FileKind::Other;
    QTest::newRow("very long") << QByteArray(5000, 'j') << FileKind::Other;
    QTest::newRow("longest entry") << "pictclipping"_ba << FileKind::Image;
    QTest::newRow("longest entry plus one") << "pictclippings"_ba << FileKind::Other;
    QTest::newRow("trailing accent") << "jpg\xc3\xa9"_ba << FileKind::Other;
    QTest::newRow("accented letter inside") << "j\xc3\xa9pg"_ba << FileKind::Other;
    QTest::newRow("full-width letters") << "\xef\xbd\x8a\xef\xbd\x90\xef\xbd\x87"_ba << FileKind::Other;
    QTest::newRow("Latin-1 byte") << "jp\xe7"_ba << FileKind::Other;
    QTest::newRow("capital i with dot") << "g\xc4\xb0"_ba << FileKind::Other;
    QTest::newRow("high bit of letter") << "\xea\xf0\xe7"_ba << FileKind::Other;
    QTest::newRow("blank") << " "_ba << FileKind::Other;
    QTest::newRow("inner blank") << "j pg"_ba << FileKind::Other;
    QTest::newRow("near letters") << "@[`{"_ba << FileKind::Other;
    QTest::newRow("bracket for Z") << "7["_ba << FileKind::Other;
    QTest::newRow("nul ends it like a C string") << QByteArray("jpg\0xyz", 7) << FileKind::Image;
    QTest::newRow("nul first") << QByteArray("\0jpg", 4) << FileKind::Other;
    QTest::newRow("nul after long text") << QByteArray("pictclipping\0x", 14) << FileKind::Image;
}

void TestFileKinds::hashedKindMatchesOrderedLookupsForOddInputs()
{
    QFETCH(QByteArray, ext);
    QFETCH(FileKind, kind);
    const std::string_view view(ext.constData(), static_cast<std::size_t>(ext.size()));
    QCOMPARE(kindByOrderedLookups(std::string(view)), kind);
    QCOMPARE(kindForExtension(view), kind);
}

// Every text of one to three bytes over letters of both cases, digits, '-' and a few odd bytes: catches a
// hash table that answers for something no table holds.
void TestFileKinds::hashedKindMatchesOrderedLookupsForAllShortExtensions()
{
    const std::string alphabet = "abcdefghijklmnopqrstuvwxyzAGMZ0123456789-_@[\x7f\xc3\xe9";
    int checked = 0;
    QStringList differing;
    auto check = [&](const std::string &ext) {
        ++checked;
        if (kindForExtension(ext) != kindByOrderedLookups(ext))
            differing.append(QString::fromLatin1(ext.c_str()));
    };
    for (char a : alphabet) {
        check(std::string{a});
        for (char b : alphabet) {
            check(std::string{a, b});
            for (char c : alphabet)
                check(std::string{a, b, c});
        }
    }
    QVERIFY(checked > 100000);
    QVERIFY2(differing.isEmpty(), qPrintable(differing.join(u' ')));
}

void TestFileKinds::kindNames_data()
{
    QTest::addColumn<FileKind>("kind");
    QTest::addColumn<QString>("name");
    QTest::newRow("image") << FileKind::Image << u"Image"_s;
    QTest::newRow("audio") << FileKind::Audio << u"Audio"_s;
    QTest::newRow("video") << FileKind::Video << u"Video"_s;
    QTest::newRow("document") << FileKind::Document << u"Document"_s;
    QTest::newRow("archive") << FileKind::Archive << u"Archive"_s;
    QTest::newRow("install package") << FileKind::InstallPackage << u"Install Package"_s;
    QTest::newRow("other") << FileKind::Other << u"Other"_s;
    QTest::newRow("application") << FileKind::Application << u"Application"_s;
    QTest::newRow("folder") << FileKind::Folder << u"Folder"_s;
}

void TestFileKinds::kindNames()
{
    QFETCH(FileKind, kind);
    QFETCH(QString, name);
    QCOMPARE(kindName(kind), name);
    QCOMPARE(kindFromName(name), std::optional<FileKind>(kind));
}

void TestFileKinds::unknownKindNames()
{
    for (const QString &name : {u"image"_s, u"IMAGE"_s, u"Install package"_s, u"InstallPackage"_s,
                                u" Folder"_s, u"Folder "_s, QString(), u"Images"_s})
        QCOMPARE(kindFromName(name), std::nullopt);
}

QTEST_GUILESS_MAIN(TestFileKinds)
#include "tst_filekinds.moc"
