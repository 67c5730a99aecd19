// The hashed kind lookup against the ordered table lookups, for every entry and the inputs around them.
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

// The kind by trying the ordered lookups one after the other: what the hashed lookup must agree with.
FileKind kindByOrderedLookups(const std::string &ext)
{
    for (const Table &t : kTables) {
        if (t.lookup(ext.c_str()) >= 0)
            return t.kind;
    }
    return FileKind::Other;
}

} // namespace

class TestFileKinds : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every entry in lower, upper and alternating case through both lookups, and near misses around it.
    // An entry that an earlier table also holds would come out as the earlier kind, so this also proves
    // that no extension is in two tables. A repeated entry is found at its first place.
    void everyEntryAndItsNeighbours()
    {
        for (const Table &t : kTables) {
            QCOMPARE(t.lookup(nullptr), -1);
            QCOMPARE(t.lookup(""), -1); // the end mark is no entry
            for (int i = 0; t.entries[i][0] != '\0'; ++i) {
                int first = 0;
                while (qstricmp(t.entries[first], t.entries[i]) != 0)
                    ++first;
                for (int wanted : {0, 1, 2}) {
                    std::string ext = t.entries[i];
                    for (std::size_t k = 0; k < ext.size(); ++k) {
                        const bool up = wanted == 1 || (wanted == 2 && k % 2 == 1);
                        ext[k] = char(up ? std::toupper(ext[k]) : std::tolower(ext[k]));
                    }
                    QCOMPARE(t.lookup(ext.c_str()), first);
                    QCOMPARE(kindByOrderedLookups(ext), t.kind);
                    QCOMPARE(kindForExtension(ext), t.kind);
                    for (const std::string &near : {ext + "x", ext + ext, ext.substr(1), ext.substr(0, ext.size() - 1),
                                                    ext.substr(0, ext.size() - 1) + "\x7f", "." + ext})
                        QVERIFY2(kindForExtension(near) == kindByOrderedLookups(near), near.c_str());
                }
            }
        }
        // Image, video, audio, document and archive entries in table order, repeats kept, packages left out.
        QStringList all;
        for (int table : {0, 2, 1, 3, 4}) {
            for (int i = 0; kTables[table].entries[i][0] != '\0'; ++i)
                all.append(QLatin1StringView(kTables[table].entries[i]));
        }
        QCOMPARE(GetImageArray(), all);
    }

    void oddInputs_data()
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
    void oddInputs()
    {
        QFETCH(QByteArray, ext);
        QFETCH(FileKind, kind);
        const std::string_view view(ext.constData(), static_cast<std::size_t>(ext.size()));
        QCOMPARE(kindByOrderedLookups(std::string(view)), kind);
        QCOMPARE(kindForExtension(view), kind);
    }

    // The names are saved in settings: each comes back as its kind, and nothing near them matches.
    void kindNames()
    {
        for (int i = 0; i <= int(FileKind::Folder); ++i)
            QCOMPARE(kindFromName(kindName(FileKind(i))), std::optional(FileKind(i)));
        for (const QString &name : {u"image"_s, u"Install package"_s, u"InstallPackage"_s, u" Folder"_s, QString()})
            QCOMPARE(kindFromName(name), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestFileKinds)
#include "tst_filekinds.moc"
