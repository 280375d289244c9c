// TBlockingTreeModel: the blocking chains as a Qt tree model (root blockers at the top, waiters
// below them), and TBlockingTreeMonitor, which reads the chains again after every session-list
// refresh while the page is shown, on a worker of its own. User-interface thread only.
#pragma once

#include "monitor/BlockingTree.h"
#include "monitor/MonitorObserver.h"

#include <QAbstractItemModel>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace monitor {

class TBlockingTreeModel final : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column {
        ColSid,
        ColSerial,
        ColUser,
        ColMachine,
        ColProgram,
        ColStatus,
        ColWait,
        ColEvent,
        ColObject,
        ColSqlId,
        ColSqlText,
        ColumnCount
    };
    explicit TBlockingTreeModel(QObject* parent = nullptr);

    void SetForest(std::vector<TBlockingNode> forest);
    const std::vector<TBlockingNode>& Forest() const { return forest_; }
    // The node of an index (any column), or nullptr.
    const TBlockingNode* NodeAt(const QModelIndex& index) const;
    // The index (column 0) of the session with this SID and serial number, or an invalid one.
    QModelIndex IndexOf(const std::string& sid, const std::string& serial) const;
    // The cell text of a node, as the view shows it.
    static QString CellText(const TBlockingNode& node, int column);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The caption under Qt::DisplayRole, the initial width under Qt::UserRole.
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    // Every node flattened: its parent's entry (-1 for a root) and its row under that parent.
    struct Entry {
        const TBlockingNode* node;
        int parent;
        int row;
        std::vector<int> children;
    };
    void Flatten(const std::vector<TBlockingNode>& nodes, int parent);
    std::vector<TBlockingNode> forest_;
    std::vector<Entry> entries_;
    std::vector<int> roots_;
};

// Keeps the model up to date: after each session-list fetch (and on Refresh) it starts a
// TBlockingTreeThread unless one runs or the page is hidden.
class TBlockingTreeMonitor final : public IPvObserver {
public:
    TBlockingTreeMonitor(TPvConnection& monitor, TBlockingTreeModel& model);
    void Update(TPvConnection& monitor, int code) override;
    void SetShown(bool shown);
    bool Shown() const { return shown_; }
    // Reads the chains now unless a read runs (then that read's result is shown).
    void Refresh();
    bool Running() const { return running_->load(); }
    // The last read's error text; empty after a success.
    const std::string& LastError() const { return lastError_; }
    // Runs on the UI thread after each read has been put into the model.
    std::function<void()> OnRead;

private:
    TPvConnection& monitor_;
    TBlockingTreeModel& model_;
    bool shown_ = false;
    std::string lastError_;
    std::shared_ptr<std::atomic<bool>> running_ = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

} // namespace monitor
