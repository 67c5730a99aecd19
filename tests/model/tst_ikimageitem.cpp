// The item record: texts made at scan time, folder items, and a path kept apart from the name.
#include "model/IKImageItem.h"
#include "platform/NativePath.h"

#include <QTest>

using namespace vellumry;

class TestIKImageItem : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void scannedEntries();
    void representationFollowsType_data();
    void representationFollowsType();
    void pathIsNotRebuiltFromTheName();
    void rawBytesReachThePath();
};

// An entry whose times could not be read, and a folder: what the scan leaves blank.
void TestIKImageItem::scannedEntries()
{
    const ScanFolderRef folder(new ScanFolder("/data/photos"));
    const auto undated = IKImageItem::makeEntry(folder, "gone", FileKind::Other, 0, std::nullopt);
    QCOMPARE(undated->fileSize(), QStringLiteral("0 bytes"));
    QCOMPARE(undated->modifDate(), QString());

    const auto sub = IKImageItem::makeFolder(folder, "a");
    QCOMPARE(sub->fileType(), QStringLiteral("Folder"));
    QCOMPARE(sub->filePath(), folderIconPath());
    QCOMPARE(sub->fileSize(), QString());
    QCOMPARE(sub->nativeEntryPath(), QByteArray("/data/photos/a"));
}

void TestIKImageItem::representationFollowsType_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<RepresentationType>("expected");
    QTest::newRow("image") << QStringLiteral("Image") << RepresentationType::Path;
    QTest::newRow("video") << QStringLiteral("Video") << RepresentationType::QuickLookPath;
    QTest::newRow("folder") << QStringLiteral("Folder") << RepresentationType::QuickLookPath;
    QTest::newRow("unknown text") << QStringLiteral("image") << RepresentationType::QuickLookPath;
}

void TestIKImageItem::representationFollowsType()
{
    QFETCH(QString, type);
    QFETCH(RepresentationType, expected);
    const IKImageItemRef item = IKImageItem::create();
    item->setFileType(type);
    QCOMPARE(item->imageRepresentationType(), expected);
}

// A batch move writes the path first and the name after; neither may be rebuilt from the other.
void TestIKImageItem::pathIsNotRebuiltFromTheName()
{
    const ScanFolderRef folder(new ScanFolder("/a"));
    const auto item = IKImageItem::makeEntry(folder, "x.txt", FileKind::Document, 1, qint64(0));
    item->setFileName(QStringLiteral("new.txt"));
    QCOMPARE(item->filePath(), QStringLiteral("/a/x.txt"));
    item->setFilePath(QStringLiteral("/y.txt"));
    item->setFileName(QStringLiteral("y.txt"));
    QCOMPARE(item->filePath(), QStringLiteral("/y.txt"));
    QCOMPARE(item->nativeEntryPath(), QByteArray("/y.txt"));
    item->setFilePath(QStringLiteral("/p//y.txt"));
    QCOMPARE(item->filePath(), QStringLiteral("/p//y.txt"));
    QCOMPARE(item->fileName(), QStringLiteral("y.txt"));
}

void TestIKImageItem::rawBytesReachThePath()
{
    const ScanFolderRef folder(new ScanFolder("/t/\xff\xfe"));
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
