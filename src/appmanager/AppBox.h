// The tray box's lists: every application of the box, the ones shown now, the three narrowing orders
// and the search that narrows what is shown, run off the GUI thread.
#pragma once

#include "appmanager/PMAppNode.h"

#include <QDateTime>
#include <QObject>

#include <functional>

namespace vellumry {

// How much and how recently an application was used.
struct AppUsage
{
    int count = 0;
    QDateTime lastUsed; // invalid: never
};
// Where the narrowing orders learn an application's use. The default reads the record's own fields.
using AppUsageReader = std::function<AppUsage(const PMAppNode &)>;
AppUsage recordedUsage(const PMAppNode &node);

// The seven days of the recently-used order, in seconds; a use exactly this long ago still counts.
inline constexpr qint64 kRecentUseSeconds = 604800;

// The narrowing orders as plain functions.
// Most used first (equal counts keep their order), only those used more than `threshold` times.
PMAppNodeList narrowByUsedCount(const PMAppNodeList &shown, int threshold,
                                const AppUsageReader &usage = recordedUsage);
// Most recent first (equal dates keep their order), only those used at most seven days before `now`.
PMAppNodeList narrowByDate(const PMAppNodeList &all, const QDateTime &now,
                           const AppUsageReader &usage = recordedUsage);
// The records whose name holds `text`, ignoring case.
PMAppNodeList narrowBySearch(const PMAppNodeList &shown, const QString &text);

// "12 minute(s) ago" and so on for the whole seconds from `from` to `now` (a month is 30 days, a year
// 360). A minute or less gives "just now", a time after `now` "in the future".
QString elapsedTimeText(qint64 seconds);
QString elapsedTimeText(const QDateTime &from, const QDateTime &now);

class AppBox : public QObject
{
    Q_OBJECT
public:
    // GUI thread only: searches run on the background pool and hand their results back here.
    explicit AppBox(QObject *parent = nullptr);
    ~AppBox() override; // a search still running is dropped

    void setUsageReader(AppUsageReader reader) { m_usage = std::move(reader); }

    // What the grid shows now, and every application of the box in the order added.
    PMAppNodeList getAppItemArray() const { return m_appItemArray; }
    PMAppNodeList backupArray() const { return m_backupArray; }

    // Appends a record to both lists.
    void AddAppItemArray(const PMAppNodeRef &node);
    // Takes `node` itself off the grid (it stays among every application), wherever the shown list has
    // put it since the user picked it; false when it is not shown.
    bool removeShown(const PMAppNodeRef &node);

    void ArrageArrayByUsedCount(int threshold);
    void ArrageArrayByDate(const QDateTime &now = QDateTime::currentDateTimeUtc());
    void ArrageArrayByName();

    // The search field's text changed: empty shows every application again; anything else narrows what is
    // shown now, off the GUI thread. A narrowing never brings records back, so deleting characters
    // keeps the result until the field is emptied.
    void controlTextDidChange(const QString &text);
    // Narrows what is shown to the records whose name holds `text`. Each search narrows what the ones
    // before it left; one asked for before the list was replaced (an order, an emptied field) is
    // dropped, so a late result never undoes what the user did since.
    void StartSearchThread(const QString &text);
    // Runs this thread's events until every search has handed its result back (for tests).
    void waitForSearches();

Q_SIGNALS:
    // The shown list changed: reload the grid. Always delivered on the GUI thread.
    void initFilterViewThreadHandle();

private:
    void replaceShown(const PMAppNodeList &list); // on the GUI thread

    PMAppNodeList m_backupArray;
    PMAppNodeList m_appItemArray;
    PMAppNodeList m_filterArray;
    quint64 m_generation = 0; // moved on by every replacement of the shown list
    int m_searchesRunning = 0;
    AppUsageReader m_usage = recordedUsage;
};

} // namespace vellumry
