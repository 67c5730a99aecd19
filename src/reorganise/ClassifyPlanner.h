// Plans for classifying the main folder: every scanned file into a kind folder or a year/month/day folder
// directly inside it, then the main folder's top-level folders left holding nothing but folders removed.
#pragma once

#include "model/IKImageItem.h"
#include "reorganise/BatchExecutor.h"

#include <utility>

namespace vellumry {

enum class ClassifyBy
{
    Kind,
    Date
};

// Which date a classification by date files a file under.
enum class ClassifyDate
{
    Modified, // its modification time
    Taken     // the date a picture or video was taken, when its header records one; else its modification time
};

// The folder, relative to the main folder, that a file goes to. By kind: one of the eight kind folders
// ("Application", "Image", "Document", "Audio& Music", "Video", "Archive", "Install Package", "Other"),
// chosen by the item's fileType(); any other type gives the empty result (the file stays). By date:
// "<year>/<month>/<day>" of `modificationSecs` in the local time zone, without leading zeros.
QByteArray classifyFolderFor(const IKImageItem &item, ClassifyBy by, qint64 modificationSecs);
// "<year>/<month>/<day>" of a day, without leading zeros.
QByteArray dateFolderFor(const QDate &day);

// The eight kind folder names, in the order the types are tried.
QList<QByteArray> kindFolderNames();

struct ClassifyPlan
{
    Plan moves;
    QList<QByteArray> cleanUp;                  // paths of top-level folders to remove once emptied
    QList<std::pair<QByteArray, QString>> kept; // paths of top-level entries kept, with the reason
    QList<QByteArray> guarded; // those of `kept` held back only because they hold more than emptied folders
    // By taken date: the files filed under their modification time because they record no usable date taken.
    int byModificationTime = 0;
};

// Every file of `files` moves to mainFolder/<folder>/<name>; a name already taken there (on disk or by an
// earlier step) gets the smallest free "base n.ext", n from 1. Without a main folder, or with the root as
// main folder, every step is skipped with a reason and nothing is cleaned up; a file reached through a
// link to a folder is skipped too (it does not lie in the main folder). Then cleanUpAfter().
// By date with ClassifyDate::Taken, the header of each picture and video is read (readMediaInfo, date
// only): a usable date taken chooses the day as written; every other file goes by its modification time
// and is counted in byModificationTime. Reads the disk: call it off the GUI thread.
ClassifyPlan planClassification(const ItemList &files, const QByteArray &mainFolder, ClassifyBy by,
                                ClassifyDate date = ClassifyDate::Modified);

// The clean-up of the main folder's top level once the non-skipped steps of `moves` are done: which
// top-level entries hold nothing but folders then, and can be removed. Kept: hidden entries; by kind the
// eight kind folders, by date those whose leading number is 1801 to 2499; in both modes any entry a step
// moves a file into, and any entry that will still hold a hidden entry, a file or a link that no step
// moves out, or that cannot be read through. After executing, call it again with only the steps that
// succeeded, so a failed move keeps its folder.
ClassifyPlan cleanUpAfter(const Plan &moves, const QByteArray &mainFolder, ClassifyBy by);

// "37 by modification time: no date taken": the count of a plan by taken date that fell back.
QString byModificationTimeText(int count);

// "photo.jpg", 2 -> "photo 2.jpg"; "notes", 1 -> "notes 1"; a leading '.' does not start an extension.
QByteArray numberedName(const QByteArray &name, int n);

} // namespace vellumry
