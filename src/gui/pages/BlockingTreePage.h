// The "Blocking Tree" page: every blocking chain of the instance as a tree (root blockers at the
// top, their waiters nested below), read again after each session-list refresh while the page is
// shown; a summary line above it; "Kill Session" and "Cancel SQL" on the selected row from its
// context menu. User-interface thread only.
#pragma once

#include "monitor/BlockingTreeModel.h"
#include "monitor/SessionRecords.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QTreeView;

namespace gui {

class TListHeaderKeeper;

class TBlockingTreePage final : public QWidget {
    Q_OBJECT
public:
    TBlockingTreePage(monitor::TPvConnection& monitor, QWidget* parent = nullptr);

    QTreeView* Tree() const { return tree_; }
    QLabel* Summary() const { return summary_; }
    QMenu* Popup() const { return popup_; }
    QAction* KillItem() const { return killItem_; }
    QAction* CancelItem() const { return cancelItem_; }
    monitor::TBlockingTreeModel& Model() { return model_; }
    const std::shared_ptr<monitor::TBlockingTreeMonitor>& Reader() const { return reader_; }

    // Reads the chains while the page is shown (after each list refresh, and now when shown).
    void SetShown(bool shown);
    // The selected session as the session commands take it (SID, serial#, user, machine,
    // program); nothing when no row, or a placeholder row, is selected.
    bool SelectedSession(monitor::TBasicFieldArray& fields) const;
    // Enables the items for the selected row; the cancel item also needs an 18c instance, and
    // its tip says why when it is off.
    void UpdateItems();

    // The commands run on the session given (the main window's kill and cancel).
    std::function<void(const monitor::TBasicFieldArray&)> OnKill, OnCancelSql;

private:
    void Read();

    monitor::TPvConnection& monitor_;
    monitor::TBlockingTreeModel model_;
    std::shared_ptr<monitor::TBlockingTreeMonitor> reader_;
    QLabel* summary_ = nullptr;
    QTreeView* tree_ = nullptr;
    TListHeaderKeeper* keeper_ = nullptr;
    QMenu* popup_ = nullptr;
    QAction* killItem_ = nullptr;
    QAction* cancelItem_ = nullptr;
    // The session selected before a read replaced the tree (a reused SID is another session).
    std::string keptSid_, keptSerial_;
};

} // namespace gui
