// The window's side of following the scanned trees live (the watching itself is TreeWatcher's): each
// tree is followed from its scan on, and each burst of outside changes is applied to the owner's lists,
// shown list, selection and preview. GUI thread only.
#pragma once

#include "model/TreeWatcher.h"

#include <QObject>

namespace vellumry {

class AppDelegate;

class LiveUpdates : public QObject
{
    Q_OBJECT
public:
    explicit LiveUpdates(AppDelegate &owner); // owned by `owner`
    TreeWatcher *watcher() const { return m_watcher; }
    void clear();   // stops following every tree (the lists are being emptied)
    void refresh(); // View > Refresh: rescans the main folders, keeping the selection and the scroll

private:
    void apply(const TreeChanges &changes);

    AppDelegate &d;
    TreeWatcher *m_watcher;
};

} // namespace vellumry
