// TFrmMain, the main window: owns the monitor and its observers, the menus, toolbar, the thirteen
// pages and the status bar, and runs the connect, disconnect and close sequences. It is the
// monitor's host (status bar, close button, worker failures). User-interface thread only.
#pragma once

#include "monitor/Monitor.h"
#include "monitor/SessionListFetch.h"
#include "util/Version.h"

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QLineEdit;
class QItemSelection;
class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;
class QTimer;
class QToolBar;
class QTreeView;
class QUrl;

namespace oradb {
class TCustomConnectDialog;
}

namespace history {
class TActivitySampler;
}

namespace gui {

class TSessionListView;
class TDatabasePages;
class TExportCommands;
class TSqlPage;
class TLocksPage;
class TDetailPages;
class TCapturePage;
class TManualViewer;
class TBlockingTreePage;
class TTopSqlPage;
class TActivityPage;

// The pages of the page area, by index.
enum TPage : int {
    SessionListPage,
    SessionDetailsPage,
    SessionStatisticsPage,
    SessionWaitsPage,
    SessionSqlPage,
    SessionLocksPage,
    DatabaseInfoPage,
    NlsParameterPage,
    SystemParameterPage,
    SystemEventPage,
    ObjectPage,
    TuningMemoryPage,
    CaptureSqlPage,
    BlockingTreePage,
    TopSqlPage,
    ActivityPage,
    PageCount
};

class TFrmMain : public QMainWindow, public monitor::TMonitorHost {
    Q_OBJECT
public:
    static constexpr const char* kApplicationTitle = "Quenby Ver" QUENBY_VERSION;
    // What the page area says while there is no connection.
    static inline const QString kNotConnectedHint =
        QStringLiteral("Not connected. Use Database \u2192 Connect to log in.");

    explicit TFrmMain(QWidget* parent = nullptr);
    ~TFrmMain() override;

    monitor::TPvConnection& Monitor() { return monitor_; }
    history::TActivitySampler& ActivitySampler() { return *activitySampler_; }
    monitor::TSessionListModel& SessionListModel() { return sessionListModel_; }
    TSessionListView* SessionList() const { return sessionList_; }
    // The filter bar above the session list: the text and its two toggles.
    QLineEdit* SessionFilterEdit() const { return sessionFilterEdit_; }
    QCheckBox* ActiveOnlyCheck() const { return activeOnlyCheck_; }
    QCheckBox* UserSessionsOnlyCheck() const { return userOnlyCheck_; }
    QTabWidget* Pages() const { return pageTabs_; }
    QLabel* NotConnectedHint() const { return notConnectedHint_; }
    QLabel* StatusPanel(int i) const { return statusPanels_[static_cast<std::size_t>(i)]; }
    QPushButton* CloseButton() const { return closeButton_; }
    QMenu* SessionListPopup() const { return sessionListMenu_; }
    QAction* WaitingObjectItem() const { return waitingObjectItem_; }
    TDatabasePages* DatabasePages() const { return databasePages_; }
    TExportCommands* Exports() const { return exports_; }
    TSqlPage* SqlPage() const { return sqlPage_; }
    TLocksPage* LocksPage() const { return locksPage_; }
    TCapturePage* CapturePage() const { return capture_.get(); }
    TBlockingTreePage* BlockingTree() const { return blockingTree_; }
    TTopSqlPage* TopSql() const { return topSql_; }
    TActivityPage* Activity() const { return activity_; }

    // Makes the login dialog (tests and tools choose another).
    std::function<std::unique_ptr<oradb::TCustomConnectDialog>()> ConnectDialogFactory;

    // The sequences and commands; public so that tests and the menus reach the same code.
    void ConnectSequence();
    // With confirmation asks first; returns false when the user said No.
    bool DisconnectSequence(bool confirm);
    void UpdateActions();
    void onRefresh();
    // The database pages' opening commands: load, then show the page.
    void onDatabaseInfo();
    void onNlsParameters();
    void onSystemParameters();
    void onSystemEvents();
    void onBlockingTree();
    void onTopSql();
    void onActivity();
    void ShowPage(TPage page);

    // Shared sort state of the sortable lists.
    int SortColumn = 0;
    bool SortAscending = false;

    // TMonitorHost
    void SetStatusPanel(int panel, const std::string& text) override;
    void WorkerFailed() override;
    void SetCloseButtonVisible(bool visible) override;
    void ClearProbeHistory() override;
    // The detail sheets, the "Object" and "Tuning Memory" pages and the sheet navigation.
    TDetailPages* DetailPages() const { return detailPages_; }

    // The actions, named as the commands.
    QAction *connectAction, *disconnectAction, *exitAction, *databaseInfoAction,
        *systemParameterAction, *nlsParameterAction, *systemEventAction, *copyAction,
        *selectAllAction, *killSessionAction, *killImmediateAction, *disconnectSessionAction,
        *cancelSqlAction, *refreshAction, *refreshModeAction, *showDetailsAction,
        *showStatisticsAction, *showSqlAction, *showWaitsAction, *showLocksAction, *optionsAction,
        *findObjectAction, *tuneMemoryAction, *captureSqlAction, *serverComponentAction,
        *sendMessageAction, *contentsAction, *oracleClientAction, *aboutAction, *blockingTreeAction,
        *topSqlAction, *activityAction;

    // The About box's text: the program's version, the Qt version, the client library in use
    // and the licence.
    QString AboutText() const;
    // The client library of the current connection: the OCI library's path and version, the
    // embedded sandbox, or none while not connected.
    QString ClientLibraryText() const;

    // "Contents": the manual's file (util::FindManual: installed, or beside the program) and how
    // the desktop opens a file; when the desktop cannot, the manual opens in a viewer of our own.
    QString ManualPath;
    std::function<bool(const QUrl&)> OpenWithDesktop;
    TManualViewer* ManualViewer() const { return manualViewer_; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreatePages();
    void CreateStatusBar();
    // The database pages, the export commands, copy and select-all (pages/DatabasePagesWiring.cpp).
    void CreateDatabasePages();
    void UpdateDatabaseActions();
    void HideAllTabs();
    // After a login: the page shown when the last connection ended, when it can be shown again.
    void ShowRememberedPage();
    void ShowHint(const QString& hint);

    // Commands
    void onOptions();
    // Kills (plainly, immediately, or by an immediate disconnect), or cancels the running
    // statement of, the monitor's collected sessions after the user's confirmation, then
    // refreshes the list. A session already marked KILLED gets the command that ends its server
    // process instead (TFrmKillProcess).
    enum class TSessionCommand { Kill, KillImmediate, DisconnectImmediate, CancelSql };
    void onKillSession(TSessionCommand command = TSessionCommand::Kill);
    void onCancelSql();
    void RunSessionCommand(TSessionCommand command);
    void ShowKilledProcesses(const std::vector<monitor::TBasicFieldArray>& sessions);
    void onSendMessage();
    void onContents();
    void onOracleClient();
    void onAbout();
    void ShowDetailPage(TPage page);
    void onWaitingObject();
    void onCloseClicked();
    // Runs a command, showing what escapes it in an error box.
    void Guarded(const std::function<void()>& command);

    // Session list page
    void SessionListSelectionChanged(const QItemSelection& selected);
    void SessionListDoubleClicked();
    void SessionListContextMenu(const QPoint& pos);
    void SessionListColumnClicked(int column);
    void CreateSessionFilterBar(QWidget* page, QLayout* layout);
    // After the filter changed: the count in the status bar, the selection kept when it matches.
    void SessionFilterChanged();
    std::vector<int> SelectedSessionRows() const;

    monitor::TPvConnection monitor_;
    monitor::TSessionListModel sessionListModel_;
    std::shared_ptr<monitor::TPvSesslistObserver> sessionListObserver_;
    std::shared_ptr<history::TActivitySampler> activitySampler_;
    bool shownOnce_ = false;
    bool closing_ = false;

    QTabWidget* pageTabs_ = nullptr;
    QLabel* notConnectedHint_ = nullptr;
    TManualViewer* manualViewer_ = nullptr;
    std::array<QWidget*, PageCount> pages_{};
    TSessionListView* sessionList_ = nullptr;
    QLineEdit* sessionFilterEdit_ = nullptr;
    QCheckBox* activeOnlyCheck_ = nullptr;
    QCheckBox* userOnlyCheck_ = nullptr;
    TSqlPage* sqlPage_ = nullptr;
    TLocksPage* locksPage_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    std::array<QLabel*, 3> statusPanels_{};
    QMenu* sessionListMenu_ = nullptr;
    QAction* waitingObjectItem_ = nullptr;
    QAction* waitingObjectSeparator_ = nullptr;
    QTimer* idleTimer_ = nullptr;
    int oracleHome_ = 0;
    TDatabasePages* databasePages_ = nullptr;
    TExportCommands* exports_ = nullptr;
    TDetailPages* detailPages_ = nullptr;
    TBlockingTreePage* blockingTree_ = nullptr;
    TTopSqlPage* topSql_ = nullptr;
    TActivityPage* activity_ = nullptr;
    std::unique_ptr<TCapturePage> capture_; // before the monitor goes: declared after it
};

} // namespace gui
