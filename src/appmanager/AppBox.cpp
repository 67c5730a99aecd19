// The tray box's lists, narrowing orders, search and last-use texts.
#include "appmanager/AppBox.h"

#include "platform/Background.h"

#include <QCoreApplication>

#include <algorithm>

namespace vellumry {

using namespace Qt::StringLiterals;

AppUsage recordedUsage(const PMAppNode &node)
{
    return {node.usedCount(), node.lastOpenDate()};
}

PMAppNodeList narrowByUsedCount(const PMAppNodeList &shown, int threshold, const AppUsageReader &usage)
{
    QList<std::pair<int, PMAppNodeRef>> counted;
    for (const PMAppNodeRef &node : shown)
        counted.append({usage(*node).count, node});
    std::stable_sort(counted.begin(), counted.end(),
                     [](const auto &a, const auto &b) { return a.first > b.first; });
    PMAppNodeList kept;
    for (const auto &[count, node] : counted) {
        if (count > threshold)
            kept.append(node);
    }
    return kept;
}

PMAppNodeList narrowByDate(const PMAppNodeList &all, const QDateTime &now, const AppUsageReader &usage)
{
    QList<std::pair<QDateTime, PMAppNodeRef>> dated;
    for (const PMAppNodeRef &node : all) {
        const QDateTime last = usage(*node).lastUsed;
        if (last.isValid() && last.msecsTo(now) <= kRecentUseSeconds * 1000)
            dated.append({last, node});
    }
    std::stable_sort(dated.begin(), dated.end(),
                     [](const auto &a, const auto &b) { return a.first > b.first; });
    PMAppNodeList kept;
    for (const auto &entry : dated)
        kept.append(entry.second);
    return kept;
}

PMAppNodeList narrowBySearch(const PMAppNodeList &shown, const QString &text)
{
    PMAppNodeList kept;
    for (const PMAppNodeRef &node : shown) {
        if (node->appName().contains(text, Qt::CaseInsensitive))
            kept.append(node);
    }
    return kept;
}

QString elapsedTimeText(qint64 s)
{
    if (s < 0)
        return u"in the future"_s;
    if (s <= 60)
        return u"just now"_s;
    if (s < 3600)
        return u"%1 minute(s) ago"_s.arg(s / 60);
    if (s < 86400)
        return u"%1 hours(s) ago"_s.arg(s / 3600);
    if (s < 2592000)
        return u"%1 days(s) ago"_s.arg(s / 86400);
    if (s < 31104000)
        return u"%1 month(s) ago"_s.arg(s / 2592000);
    return u"%1 year(s) ago"_s.arg(s / 31104000);
}

QString elapsedTimeText(const QDateTime &from, const QDateTime &now)
{
    // Whole seconds, the fraction cut off (towards zero, so half a second ahead is still "just now").
    return elapsedTimeText(from.msecsTo(now) / 1000);
}

AppBox::AppBox(QObject *parent) : QObject(parent) {}

AppBox::~AppBox() = default;

void AppBox::AddAppItemArray(const PMAppNodeRef &node)
{
    m_appItemArray.append(node);
    m_backupArray.append(node);
}

bool AppBox::removeShown(const PMAppNodeRef &node)
{
    PMAppNodeList shown = getAppItemArray();
    if (!node || !shown.removeOne(node))
        return false;
    replaceShown(shown);
    return true;
}

void AppBox::ArrageArrayByUsedCount(int threshold)
{
    replaceShown(narrowByUsedCount(getAppItemArray(), threshold, m_usage));
}

void AppBox::ArrageArrayByDate(const QDateTime &now)
{
    replaceShown(narrowByDate(m_backupArray, now, m_usage));
}

void AppBox::ArrageArrayByName()
{
    replaceShown(m_backupArray);
}

void AppBox::controlTextDidChange(const QString &text)
{
    if (text.isEmpty()) {
        replaceShown(m_backupArray);
        return;
    }
    m_filterArray.clear();
    StartSearchThread(text);
}

void AppBox::StartSearchThread(const QString &text)
{
    ++m_searchesRunning;
    runInBackground(
        this, [shown = m_appItemArray, text](const Cancellation &) { return narrowBySearch(shown, text); },
        [this, asked = m_generation](const PMAppNodeList &found) {
            --m_searchesRunning;
            if (asked != m_generation)
                return; // the list was replaced after this search was asked for
            // Searches narrow one after another: keep what is still shown and this search found, so results
            // arriving in any order end the same.
            PMAppNodeList kept;
            for (const PMAppNodeRef &node : std::as_const(m_appItemArray))
                if (found.contains(node))
                    kept.append(node);
            m_filterArray = kept;
            m_appItemArray = kept;
            Q_EMIT initFilterViewThreadHandle();
        });
}

void AppBox::waitForSearches()
{
    while (m_searchesRunning > 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void AppBox::replaceShown(const PMAppNodeList &list)
{
    m_appItemArray = list;
    ++m_generation;
    Q_EMIT initFilterViewThreadHandle();
}

} // namespace vellumry
