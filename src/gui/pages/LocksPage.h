// The content of the "Session Locks" page: the header strip, the lock list locksList_ (the
// session's own locks, then the blocking chains it takes part in, waiters indented) and the
// locks observer that fills it. User-interface thread only.
#pragma once

#include "detail/SessionLocks.h"

#include <QWidget>
#include <memory>

class QLabel;
class QTreeView;

namespace gui {

class TLocksPage final : public QWidget {
    Q_OBJECT
public:
    TLocksPage(monitor::TPvConnection& monitor, QWidget* parent = nullptr);

    const std::shared_ptr<detail::TSessLocksObserver>& Observer() const { return observer_; }
    monitor::TSessionListModel& LockModel() { return lockModel_; }
    QTreeView* LockList() const { return locksList_; }

    // The header: user name, machine and program of the selected session (blank without one).
    void FillHeader();

protected:
    // Showing the page fills its header.
    void showEvent(QShowEvent* event) override;

private:
    monitor::TPvConnection& monitor_;
    monitor::TSessionListModel lockModel_;
    std::shared_ptr<detail::TSessLocksObserver> observer_;
    QLabel *usernameValue_ = nullptr, *machineValue_ = nullptr, *programValue_ = nullptr;
    QTreeView* locksList_ = nullptr;
};

} // namespace gui
