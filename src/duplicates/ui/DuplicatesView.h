// The window's duplicates view: Selection > Find Duplicates looks for the files of the scanned lists that
// share one content and shows them in the list table, group after group; "Select Copies" selects all but
// one file of each group, for the ordinary Move to Trash. Leaving it shows the flat view as it was.
//
// Threading: every function here is for the GUI thread. The search runs on the background pool over a
// copy of the candidates' paths and sizes; its progress is read from shared counters by a timer here.
#pragma once

#include "duplicates/DuplicateFinder.h"
#include "model/IKImageItem.h"
#include "platform/Background.h"

#include <QObject>
#include <QSet>

#include <array>
#include <atomic>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class QProgressBar;
class QPushButton;
class QTimer;

namespace vellumry {

class AppDelegate;

class DuplicatesView : public QObject
{
    Q_OBJECT
public:
    // Which file of each group is kept (not selected) by selectCopies(); ties go to the first by path.
    enum class Keep
    {
        Oldest,
        Newest,
        ShortestPath,
        InFolder
    };

    // Owned by `owner`, after its window, menus and batch runner exist; connects their actions.
    explicit DuplicatesView(AppDelegate &owner);
    ~DuplicatesView() override; // a search under way is cancelled, its result dropped

    bool isSearching() const { return m_search.has_value(); }
    bool isShown() const { return m_shown; } // the table shows the groups
    // Find Duplicates / Show All Files: starts a search (refused during a scan or a batch), cancels the
    // search under way, or leaves the groups for the flat view as it was before.
    void toggle();
    void cancel();
    void leave();
    // Selects, in the table, every member of every group except the one `rule` keeps. For InFolder,
    // `folder` (exact path bytes) holds the kept file; a group with no member inside it is left unselected.
    void selectCopies(Keep rule, const QByteArray &folder = {});
    void chooseFolderAndSelectCopies(); // asks for the folder in a sheet

    // The groups as shown: members in path order, groups by wasted space.
    struct Group
    {
        quint64 size = 0;
        ItemList members;
    };
    const QList<Group> &groups() const { return m_groups; }
    // "312 groups, 1,044 files, 6.3 GB could be freed" while shown, the progress while searching, else empty.
    QString statusText() const;
    // Someone else filled the shown list (a kind, a mode, a sort, a scan): the groups are no longer shown.
    void shownListReplaced();

Q_SIGNALS:
    void searchEnded(); // shown, found nothing, or cancelled; the status line says which

private:
    void start();
    void searchDone(const DuplicateResult &result, const ItemList &candidates);
    void show();  // m_groups into the table
    void prune(); // members no longer listed or no longer on disk leave; single members too
    void updateControls();
    void keepFlatState();

    AppDelegate &d;
    QList<Group> m_groups;
    ItemList m_members; // the shown list while the groups are shown: every group's members in turn
    bool m_shown = false;
    int m_unreadable = 0, m_changed = 0;
    std::optional<Cancellation> m_search;
    struct Progress
    {
        std::atomic<quint64> hashed{0}, toHash{0};
    };
    std::shared_ptr<Progress> m_progress;
    QTimer *m_progressTimer;
    QProgressBar *m_bar;
    QPushButton *m_barButton; // Cancel while searching, Show All Files while shown (Esc)
    QAction *m_toggle;
    QMenu *m_selectMenu;
    // The flat view as it was when the groups replaced it.
    struct FlatState
    {
        const ItemList *source = nullptr;
        bool allFiles = true;
        bool gridShown = true;
        QString filter;
        std::array<int, 2> scroll{};
        std::array<QSet<QByteArray>, 2> selected; // entry paths, grid then table
    } m_flat;
};

} // namespace vellumry
