#include "monitor/BlockingTreeModel.h"

#include "monitor/Monitor.h"

namespace monitor {

namespace {

struct ColumnDef {
    const char* caption;
    int width;
    bool number;
};

constexpr ColumnDef kColumns[TBlockingTreeModel::ColumnCount] = {
    {"SID", 100, true},      {"Serial#", 62, true},    {"User", 90, false},
    {"Machine", 120, false}, {"Program", 130, false},  {"Status", 72, false},
    {"Wait (s)", 62, true},  {"Event", 190, false},    {"Locked Object", 150, false},
    {"SQL Id", 118, false},  {"SQL Text", 300, false},
};

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

TBlockingTreeModel::TBlockingTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

void TBlockingTreeModel::SetForest(std::vector<TBlockingNode> forest) {
    beginResetModel();
    forest_ = std::move(forest);
    entries_.clear();
    roots_.clear();
    Flatten(forest_, -1);
    endResetModel();
}

void TBlockingTreeModel::Flatten(const std::vector<TBlockingNode>& nodes, int parent) {
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const int at = static_cast<int>(entries_.size());
        entries_.push_back({&nodes[i], parent, static_cast<int>(i), {}});
        if (parent < 0)
            roots_.push_back(at);
        else
            entries_[static_cast<std::size_t>(parent)].children.push_back(at);
        Flatten(nodes[i].waiters, at);
    }
}

const TBlockingNode* TBlockingTreeModel::NodeAt(const QModelIndex& index) const {
    if (!index.isValid() || index.internalId() >= entries_.size())
        return nullptr;
    return entries_[static_cast<std::size_t>(index.internalId())].node;
}

QModelIndex TBlockingTreeModel::IndexOf(const std::string& sid, const std::string& serial) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const TBlockingSession& s = entries_[i].node->session;
        if (s.sid == sid && s.serial == serial)
            return createIndex(entries_[i].row, 0, static_cast<quintptr>(i));
    }
    return {};
}

QString TBlockingTreeModel::CellText(const TBlockingNode& node, int column) {
    const TBlockingSession& s = node.session;
    switch (column) {
    case ColSid:
        return qs(s.sid);
    case ColSerial:
        return qs(s.serial);
    case ColUser:
        return node.missing ? QStringLiteral("(not in v$session)") : qs(s.username);
    case ColMachine:
        return qs(s.machine);
    case ColProgram:
        return qs(s.program);
    case ColStatus:
        return node.cycle ? qs(s.status) + QStringLiteral(" (in a cycle)") : qs(s.status);
    case ColWait:
        return qs(s.waitSeconds);
    case ColEvent:
        return qs(s.event);
    case ColObject:
        return qs(s.object);
    case ColSqlId:
        return qs(s.sqlId);
    case ColSqlText:
        return qs(s.sqlText).simplified();
    default:
        return {};
    }
}

QModelIndex TBlockingTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column < 0 || column >= ColumnCount || row < 0)
        return {};
    const std::vector<int>* rows = &roots_;
    if (parent.isValid()) {
        if (parent.internalId() >= entries_.size())
            return {};
        rows = &entries_[static_cast<std::size_t>(parent.internalId())].children;
    }
    if (row >= static_cast<int>(rows->size()))
        return {};
    return createIndex(row, column, static_cast<quintptr>((*rows)[static_cast<std::size_t>(row)]));
}

QModelIndex TBlockingTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() >= entries_.size())
        return {};
    const int p = entries_[static_cast<std::size_t>(child.internalId())].parent;
    if (p < 0)
        return {};
    return createIndex(entries_[static_cast<std::size_t>(p)].row, 0, static_cast<quintptr>(p));
}

int TBlockingTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return static_cast<int>(roots_.size());
    if (parent.column() != 0 || parent.internalId() >= entries_.size())
        return 0;
    return static_cast<int>(
        entries_[static_cast<std::size_t>(parent.internalId())].children.size());
}

int TBlockingTreeModel::columnCount(const QModelIndex&) const {
    return ColumnCount;
}

QVariant TBlockingTreeModel::data(const QModelIndex& index, int role) const {
    const TBlockingNode* node = NodeAt(index);
    if (!node)
        return {};
    if (role == Qt::DisplayRole)
        return CellText(*node, index.column());
    if (role == Qt::ToolTipRole && index.column() == ColSqlText && !node->session.sqlText.empty())
        return qs(node->session.sqlText);
    if (role == Qt::TextAlignmentRole && kColumns[index.column()].number &&
        index.column() != ColSid)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    return {};
}

QVariant TBlockingTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(kColumns[section].caption);
    if (role == Qt::UserRole)
        return kColumns[section].width;
    if (role == Qt::TextAlignmentRole && kColumns[section].number && section != ColSid)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    return {};
}

// ---- TBlockingTreeMonitor ----

TBlockingTreeMonitor::TBlockingTreeMonitor(TPvConnection& monitor, TBlockingTreeModel& model)
    : monitor_(monitor), model_(model) {}

void TBlockingTreeMonitor::Update(TPvConnection& monitor, int code) {
    (void)monitor;
    if (code == ncListFetched && shown_)
        Refresh();
}

void TBlockingTreeMonitor::SetShown(bool shown) {
    shown_ = shown;
}

void TBlockingTreeMonitor::Refresh() {
    if (!monitor_.Connected() || running_->load())
        return;
    running_->store(true);
    std::weak_ptr<int> alive = alive_;
    auto thread = std::make_unique<TBlockingTreeThread>(
        monitor_, [this, alive](std::vector<TBlockingNode> forest, std::string error) {
            if (!alive.lock())
                return;
            lastError_ = error;
            if (error.empty())
                model_.SetForest(std::move(forest));
            if (OnRead)
                OnRead();
        });
    thread->OnTerminate = [running = running_] { running->store(false); };
    monitor_.StartLookup(std::move(thread));
}

} // namespace monitor
