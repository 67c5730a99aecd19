// The window's status line and the show-files menu's kind counts, kept current by the owner. GUI thread.
#pragma once

#include <QString>

namespace vellumry {

class AppDelegate;

class StatusLine
{
public:
    explicit StatusLine(AppDelegate &owner) : d(owner) {}
    void update(); // the line from the lists, the shown list, the selection and the last action's outcome

private:
    QString totalsText() const; // ", SIZE" of the shown files, then the selection's count and size
    QString selectionText() const; // " · 12 selected, 48 MB"; empty with nothing selected
    void updateKindCounts();    // "Images (1,204)"

    AppDelegate &d;
};

} // namespace vellumry
