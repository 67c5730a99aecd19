// The orders of the applications table.
#include "appmanager/AppSorting.h"

#include "views/Comparators.h"

#include <algorithm>

namespace vellumry {

std::optional<AppSortOrder> appSortOrderFromCliName(std::string_view name)
{
    if (name == "arch")
        return AppSortOrder::Architecture;
    if (name == "count")
        return AppSortOrder::UsedCount;
    if (name == "date")
        return AppSortOrder::LastUsedDate;
    if (name == "name")
        return AppSortOrder::Name;
    return std::nullopt;
}

int compareAppsByArchitecture(const PMAppNode &a, const PMAppNode &b)
{
    return int(a.b64bit()) - int(b.b64bit());
}

int compareAppsByUsedCount(const PMAppNode &a, const PMAppNode &b)
{
    return a.usedCount() > b.usedCount() ? -1 : a.usedCount() < b.usedCount() ? 1 : 0;
}

int compareAppsByLastUsedDate(const PMAppNode &a, const PMAppNode &b)
{
    const QDateTime &da = a.lastOpenDate();
    const QDateTime &db = b.lastOpenDate();
    if (da.isValid() != db.isValid())
        return da.isValid() ? -1 : 1;
    return da > db ? -1 : da < db ? 1 : 0;
}

int compareAppsByName(const PMAppNode &a, const PMAppNode &b)
{
    return compareTextKeys(a.appName(), b.appName());
}

int compareAppsByShownName(const PMAppNode &a, const PMAppNode &b)
{
    return compareTextKeys(a.shownName(), b.shownName());
}

PMAppNodeList sortedApps(const PMAppNodeList &apps, AppSortOrder order)
{
    int (*compare)(const PMAppNode &, const PMAppNode &) = nullptr;
    switch (order) {
    case AppSortOrder::Architecture:
        compare = compareAppsByArchitecture;
        break;
    case AppSortOrder::UsedCount:
        compare = compareAppsByUsedCount;
        break;
    case AppSortOrder::LastUsedDate:
        compare = compareAppsByLastUsedDate;
        break;
    case AppSortOrder::Name:
        compare = compareAppsByName;
        break;
    case AppSortOrder::ShownName:
        compare = compareAppsByShownName;
        break;
    }
    PMAppNodeList sorted = apps;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [compare](const PMAppNodeRef &a, const PMAppNodeRef &b) { return compare(*a, *b) < 0; });
    return sorted;
}

} // namespace vellumry
