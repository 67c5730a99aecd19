// The hashed kind lookup against the ordered table lookups, for every entry and the inputs around them; the
// date texts of items, and the item record that keeps them with its path bytes.
#include "model/FileKinds.h"
#include "model/IKImageItem.h"
#include "model/ItemTexts.h"
#include "platform/NativePath.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QTest>

#include <cctype>
#include <cstring>
#include <limits>
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

QString dateTextByQt(qint64 seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(u"yyyy-MM-dd HH:mm:ss");
}

constexpr qint64 kFirstSecond = -62135596800; // 0001-01-01 00:00:00
constexpr qint64 kLastSecond = 253402300799;  // 9999-12-31 23:59:59

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

    // Calendar edges, and times outside the years shown, which keep the text's width and its buffer.
    void dateTexts_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("epoch") << Q_INT64_C(0) << u"1970-01-01 00:00:00"_s;
        QTest::newRow("one second before") << Q_INT64_C(-1) << u"1969-12-31 23:59:59"_s;
        QTest::newRow("one day and a second before") << Q_INT64_C(-86401) << u"1969-12-30 23:59:59"_s;
        QTest::newRow("after leap day 2000") << Q_INT64_C(951868800) << u"2000-03-01 00:00:00"_s;
        QTest::newRow("no leap day 1900") << Q_INT64_C(-2203891200) << u"1900-03-01 00:00:00"_s;
        QTest::newRow("before 1900-03-01") << Q_INT64_C(-2203891201) << u"1900-02-28 23:59:59"_s;
        QTest::newRow("leap day 1600") << Q_INT64_C(-11670976800) << u"1600-02-29 06:00:00"_s;
        QTest::newRow("first second") << kFirstSecond << u"0001-01-01 00:00:00"_s;
        QTest::newRow("last second") << kLastSecond << u"9999-12-31 23:59:59"_s;
        QTest::newRow("one second early") << kFirstSecond - 1 << u"0001-01-01 00:00:00"_s;
        QTest::newRow("smallest") << std::numeric_limits<qint64>::min() << u"0001-01-01 00:00:00"_s;
        QTest::newRow("one second late") << kLastSecond + 1 << u"9999-12-31 23:59:59"_s;
        QTest::newRow("largest") << std::numeric_limits<qint64>::max() << u"9999-12-31 23:59:59"_s;
    }

    void dateTexts()
    {
        QFETCH(qint64, seconds);
        QFETCH(QString, text);
        if (seconds >= kFirstSecond && seconds <= kLastSecond)
            QCOMPARE(dateTextByQt(seconds), text); // the table itself is right
        char buffer[24];
        std::memset(buffer, 'x', sizeof buffer);
        QCOMPARE(formatDateText(seconds, buffer), 19);
        QCOMPARE(QLatin1StringView(buffer), text);
        QCOMPARE(QByteArray(buffer + 20, 4), "xxxx"_ba);
        QCOMPARE(dateText(seconds), text);
    }

    // Random times over all the years shown, and the seconds around midnight of those days, against Qt.
    void dateTextsAgreeWithQtAcrossTheYears()
    {
        QRandomGenerator random(20240229);
        for (int i = 0; i < 5000; ++i) {
            const qint64 seconds = random.bounded(kFirstSecond, kLastSecond + 1);
            const qint64 midnight = (seconds / 86400) * 86400;
            for (qint64 s : {seconds, midnight - 1, midnight}) {
                if (s >= kFirstSecond && s <= kLastSecond)
                    QCOMPARE(dateText(s), dateTextByQt(s));
            }
        }
    }

    // An entry whose times could not be read shows no date; only a file of the exact kind name "Image"
    // previews from its path, a folder by its quick-look picture.
    void scannedEntries()
    {
        const ScanFolderRef folder(new ScanFolder("/data/photos"));
        const auto undated = IKImageItem::makeEntry(folder, "gone", FileKind::Image, 0, std::nullopt);
        QCOMPARE(undated->modifDate(), QString());
        QCOMPARE(undated->imageRepresentationType(), RepresentationType::Path);
        const auto sub = IKImageItem::makeFolder(folder, "a");
        QCOMPARE(sub->filePath(), folderIconPath());
        QCOMPARE(sub->nativeEntryPath(), "/data/photos/a"_ba);
        sub->setFileType(u"image"_s);
        QCOMPARE(sub->imageRepresentationType(), RepresentationType::QuickLookPath);
    }

    // A batch move writes the path first and the name after; neither may be rebuilt from the other, and
    // writing back the texts an item gave keeps its bytes.
    void pathIsKeptApartFromTheName()
    {
        const auto item = IKImageItem::makeEntry(ScanFolderRef(new ScanFolder("/t/\xff\xfe")), "r\xe9sum\xe9.doc",
                                                 FileKind::Document, 1, qint64(0));
        QCOMPARE(item->nativeFilePath(), "/t/\xff\xfe/r\xe9sum\xe9.doc"_ba);
        QCOMPARE(toNativePath(item->filePath()), item->nativeFilePath());
        item->setFilePath(item->filePath());
        item->setFileName(item->fileName());
        QCOMPARE(item->nativeFilePath(), "/t/\xff\xfe/r\xe9sum\xe9.doc"_ba);
        QCOMPARE(item->nativeFileName(), "r\xe9sum\xe9.doc"_ba);
        item->setFileName(u"new.txt"_s);
        QCOMPARE(item->nativeFilePath(), "/t/\xff\xfe/r\xe9sum\xe9.doc"_ba);
        item->setFilePath(u"/p//y.txt"_s);
        QCOMPARE(item->nativeEntryPath(), "/p//y.txt"_ba);
        QCOMPARE(item->fileName(), u"new.txt"_s);
    }
};

QTEST_GUILESS_MAIN(TestFileKinds)
#include "tst_filekinds.moc"
