// The orders the applications table can be sorted by.
#pragma once

#include "appmanager/PMAppNode.h"

#include <optional>
#include <string_view>

namespace vellumry {

enum class AppSortOrder
{
    Architecture, // not 64-bit first, then 64-bit
    UsedCount,    // most used first; a count that could not be read (-1) last
    LastUsedDate, // most recent first; never used last
    Name,         // names beginning with punctuation first, then ignoring case and accents
    ShownName     // the same on the names the user sees (the menus' names)
};

// The order named on the command line: "arch", "count", "date" or "name".
std::optional<AppSortOrder> appSortOrderFromCliName(std::string_view name);

// Three-way comparators: below 0 puts a first, 0 means the same rank, above 0 puts b first.
int compareAppsByArchitecture(const PMAppNode &a, const PMAppNode &b);
int compareAppsByUsedCount(const PMAppNode &a, const PMAppNode &b);
int compareAppsByLastUsedDate(const PMAppNode &a, const PMAppNode &b);
int compareAppsByName(const PMAppNode &a, const PMAppNode &b);
int compareAppsByShownName(const PMAppNode &a, const PMAppNode &b);

// A sorted copy of the list. Records of the same rank keep their relative order.
PMAppNodeList sortedApps(const PMAppNodeList &apps, AppSortOrder order);

} // namespace vellumry
