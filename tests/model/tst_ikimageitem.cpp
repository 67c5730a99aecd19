// The item record: defaults, field independence, sharing between lists, icon-browser answers.
#include "model/FileLists.h"
#include "model/IKImageItem.h"
#include "platform/NativePath.h"

#include <QTest>

using namespace vellumry;

class TestIKImageItem : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void defaults();
    void scannedFileTexts();
    void folderItems();
    void representationFollowsType_data();
    void representationFollowsType();
    void pathAndNameAreSeparateFields();
    void renameKeepsPathCompact();
    void sizeTextIsItsOwnField();
    void changeIsSeenThroughEveryList();
    void rawBytesReachThePath();
};

void TestIKImageItem::defaults()
{
    const IKImageItemRef item = IKImageItem::create();
    QCOMPARE(item->filePath(), QString());
    QCOMPARE(item->fileType(), QStringLiteral("Image"));
    QCOMPARE(item->bhasCopy(), false);
    QVERIFY(item->hasCopy().isNull());
    QCOMPARE(item->fileName(), QString());
    QVERIFY(!item->fileNode().isValid());
    QCOMPARE(item->filesizenum(), 0u);
    QCOMPARE(item->fileSize(), QString());
    QCOMPARE(item->modifDate(), QString());
    QCOMPARE(item->bDir(), false);
    QVERIFY(item->childrenArray().isEmpty());
    // A name alone does not make a path.
    item->setFileName(QStringLiteral("x.jpg"));
    QCOMPARE(item->filePath(), QString());
}

void TestIKImageItem::scannedFileTexts()
{
    const ScanFolderRef folder(new ScanFolder("/data/photos"));
    const auto item = IKImageItem::makeEntry(folder, "IMG 1.JPG", FileKind::Image, 1536, qint64(86400 + 3661));
    QCOMPARE(item->filePath(), QStringLiteral("/data/photos/IMG 1.JPG"));
    QCOMPARE(item->fileName(), QStringLiteral("IMG 1.JPG"));
    QCOMPARE(item->fileSize(), QStringLiteral("1.54 KB"));
    QCOMPARE(item->modifDate(), QStringLiteral("1970-01-02 01:01:01"));
    QCOMPARE(item->imageTitle(), item->fileName());
    QCOMPARE(item->imageRepresentation(), item->filePath());

    const auto undated = IKImageItem::makeEntry(folder, "gone", FileKind::Other, 0, std::nullopt);
    QCOMPARE(undated->fileSize(), QStringLiteral("0 bytes"));
    QCOMPARE(undated->modifDate(), QString());
}

void TestIKImageItem::folderItems()
{
    const ScanFolderRef top(new ScanFolder("/data"));
    const auto a = IKImageItem::makeFolder(top, "a");
    const auto b = IKImageItem::makeFolder(top, "b");
    QCOMPARE(a->fileType(), QStringLiteral("Folder"));
    QVERIFY(a->bDir());
    QCOMPARE(a->filePath(), folderIconPath());
    QCOMPARE(a->imageUID(), b->imageUID()); // every folder shows the same icon
    QCOMPARE(a->fileSize(), QString());
    QCOMPARE(a->filesizenum(), 0u);
    QCOMPARE(a->modifDate(), QString());
    QCOMPARE(a->nativeEntryPath(), QByteArray("/data/a"));
    a->appendChild(b);
    QCOMPARE(a->childrenArray().size(), 1);
    QCOMPARE(a->childrenArray().first().data(), b.data());
}

void TestIKImageItem::representationFollowsType_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<RepresentationType>("expected");
    QTest::newRow("image") << QStringLiteral("Image") << RepresentationType::Path;
    QTest::newRow("video") << QStringLiteral("Video") << RepresentationType::QuickLookPath;
    QTest::newRow("folder") << QStringLiteral("Folder") << RepresentationType::QuickLookPath;
    QTest::newRow("application") << QStringLiteral("Application") << RepresentationType::QuickLookPath;
    QTest::newRow("unknown text") << QStringLiteral("image") << RepresentationType::QuickLookPath;
}

void TestIKImageItem::representationFollowsType()
{
    QFETCH(QString, type);
    QFETCH(RepresentationType, expected);
    const IKImageItemRef item = IKImageItem::create();
    QCOMPARE(item->imageRepresentationType(), RepresentationType::Path); // drawn as an image until typed
    item->setFileType(type);
    QCOMPARE(item->fileType(), type);
    QCOMPARE(item->imageRepresentationType(), expected);
}

void TestIKImageItem::pathAndNameAreSeparateFields()
{
    const ScanFolderRef folder(new ScanFolder("/a"));
    const auto item = IKImageItem::makeEntry(folder, "old.txt", FileKind::Document, 1, qint64(0));
    item->setFileName(QStringLiteral("new.txt"));
    QCOMPARE(item->fileName(), QStringLiteral("new.txt"));
    QCOMPARE(item->filePath(), QStringLiteral("/a/old.txt"));
    item->setFilePath(QStringLiteral("/b/c/elsewhere.txt"));
    QCOMPARE(item->filePath(), QStringLiteral("/b/c/elsewhere.txt"));
    QCOMPARE(item->fileName(), QStringLiteral("new.txt"));
    item->setFilePath(folderIconPath());
    QVERIFY(item->isFolderItem());
    QCOMPARE(item->filePath(), folderIconPath());
}

void TestIKImageItem::renameKeepsPathCompact()
{
    const ScanFolderRef folder(new ScanFolder("/a"));
    const auto item = IKImageItem::makeEntry(folder, "x.txt", FileKind::Document, 1, qint64(0));
    // A move up one level, written as a batch move writes it: the path first, then the name.
    item->setFilePath(QStringLiteral("/y.txt"));
    item->setFileName(QStringLiteral("y.txt"));
    QCOMPARE(item->filePath(), QStringLiteral("/y.txt"));
    QCOMPARE(item->nativeFilePath(), QByteArray("/y.txt"));
    QCOMPARE(item->nativeEntryPath(), QByteArray("/y.txt"));
    // A path with doubled slashes is kept exactly as given.
    item->setFilePath(QStringLiteral("/p//y.txt"));
    QCOMPARE(item->filePath(), QStringLiteral("/p//y.txt"));
}

void TestIKImageItem::sizeTextIsItsOwnField()
{
    const ScanFolderRef folder(new ScanFolder("/a"));
    const auto item = IKImageItem::makeEntry(folder, "f", FileKind::Other, 999999, qint64(0));
    QCOMPARE(item->fileSize(), QStringLiteral("1000.00 KB"));
    item->setFilesizenum(5);
    QCOMPARE(item->filesizenum(), 5u);
    QCOMPARE(item->fileSize(), QStringLiteral("1000.00 KB"));
    item->setFileSize(QStringLiteral("5 bytes"));
    QCOMPARE(item->fileSize(), QStringLiteral("5 bytes"));
    item->setModifDate(QStringLiteral("2001-01-01 00:00:00"));
    QCOMPARE(item->modifDate(), QStringLiteral("2001-01-01 00:00:00"));
}

void TestIKImageItem::changeIsSeenThroughEveryList()
{
    FileLists lists;
    const ScanFolderRef folder(new ScanFolder("/p"));
    const auto item = IKImageItem::makeEntry(folder, "a.jpg", FileKind::Image, 10, qint64(0));
    lists.filesItemArray.append(item);
    lists.imageFilesItemArray.append(item);
    lists.filesItemArray.first()->setFilePath(QStringLiteral("/q/a.jpg"));
    QCOMPARE(lists.imageFilesItemArray.first()->filePath(), QStringLiteral("/q/a.jpg"));
    lists.clear();
    QCOMPARE(item->filePath(), QStringLiteral("/q/a.jpg")); // alive while anyone holds it
    QVERIFY(item->ref.loadRelaxed() == 1);
}

void TestIKImageItem::rawBytesReachThePath()
{
    const QByteArray dir("/t/\xff\xfe");
    const ScanFolderRef folder(new ScanFolder(dir));
    const auto item = IKImageItem::makeEntry(folder, "r\xe9sum\xe9.doc", FileKind::Document, 1, qint64(0));
    QCOMPARE(item->nativeFilePath(), QByteArray("/t/\xff\xfe/r\xe9sum\xe9.doc"));
    QCOMPARE(toNativePath(item->filePath()), item->nativeFilePath());
    // Writing back the text it gave keeps the bytes.
    item->setFilePath(item->filePath());
    item->setFileName(item->fileName());
    QCOMPARE(item->nativeFilePath(), QByteArray("/t/\xff\xfe/r\xe9sum\xe9.doc"));
    QCOMPARE(item->nativeFileName(), QByteArray("r\xe9sum\xe9.doc"));
}

QTEST_GUILESS_MAIN(TestIKImageItem)
#include "tst_ikimageitem.moc"
