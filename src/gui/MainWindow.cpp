#include "gui/MainWindow.h"

#include "gui/Icons.h"
#include "gui/dialogs/ConnectForm.h"
#include "gui/pages/ActivityPage.h"
#include "gui/pages/BlockingTreePage.h"
#include "gui/pages/CapturePage.h"
#include "gui/pages/DetailPages.h"
#include "gui/pages/LocksPage.h"
#include "gui/pages/SqlPage.h"
#include "gui/views/SessionListView.h"
#include "history/ActivitySampler.h"
#include "monitor/RememberedSettings.h"
#include "monitor/SessionControl.h"
#include "oradb/OraSession.h"
#include "oradb/oci/OciLibrary.h"
#include "util/AppLog.h"
#include "util/ManualLocation.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace gui {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// A hint "short|long": the short part is the tooltip, the long part the status-bar text.
void setHint(QAction* action, const QString& hint) {
    const int bar = hint.indexOf(QLatin1Char('|'));
    action->setToolTip(bar < 0 ? hint : hint.left(bar));
    action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

} // namespace

TFrmMain::TFrmMain(QWidget* parent) : QMainWindow(parent), monitor_(this) {
    setObjectName(QStringLiteral("FrmMain"));
    // No application display name: Linux desktops append it to every caption (" — Quenby"), and
    // the caption already names the program. Message boxes take the application name instead.
    setWindowTitle(QString::fromLatin1(kApplicationTitle));
    setWindowIcon(ApplicationIcon());

    // The observers render the monitor's data; the session list's comes first.
    sessionListObserver_ =
        std::make_shared<monitor::TPvSesslistObserver>(monitor_, sessionListModel_);
    monitor_.Attach(sessionListObserver_);
    monitor_.OracleHome = 0;
    ConnectDialogFactory = [this] {
        auto dialog = std::make_unique<oradb::TConnectDialog>(this);
        dialog->ApplicationTitle = kApplicationTitle;
        dialog->ClientInstalled = [] {
            const auto places = oradb::oci::TOciSearchPlaces::system();
            return places.ociDll.has_value() || !oradb::oci::findOracleHomes(places).homes.empty();
        };
        return std::unique_ptr<oradb::TCustomConnectDialog>(std::move(dialog));
    };
    monitor_.ConnectDialogFactory = [this] { return ConnectDialogFactory(); };

    // The remembered display options, before the pages show them.
    monitor::RestoreDisplayOptions(monitor_);

    // The activity history: sampled while connected, whatever page is shown.
    activitySampler_ = std::make_shared<history::TActivitySampler>(monitor_);
    activitySampler_->SetOptions(history::LoadHistoryOptions());
    monitor_.Attach(activitySampler_);

    ManualPath = util::FindManual(QCoreApplication::applicationDirPath());
    OpenWithDesktop = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreatePages();
    CreateStatusBar();
    detailPages_ = new TDetailPages(*this, monitor_, *pageTabs_, pages_);
    CreateDatabasePages();

    // F5 refreshes from anywhere in the window, also in auto mode.
    auto* f5 = new QShortcut(QKeySequence(Qt::Key_F5), this);
    f5->setContext(Qt::WindowShortcut);
    connect(f5, &QShortcut::activated, this, [this] { Guarded([this] { onRefresh(); }); });

    // The enabling rules run whenever the window is idle (and before a menu opens).
    idleTimer_ = new QTimer(this);
    idleTimer_->setInterval(150);
    connect(idleTimer_, &QTimer::timeout, this, [this] { UpdateActions(); });
    idleTimer_->start();

    // The remembered place, when it still lies on a screen; else 1280 x 860 (at most the primary
    // screen's free area), centred on the primary screen.
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.push_back(screen->availableGeometry());
    const QScreen* primary = QGuiApplication::primaryScreen();
    setGeometry(monitor::FitWindowRect(monitor::SavedWindowRect(), screens,
                                       primary ? primary->availableGeometry() : QRect(),
                                       QSize(1280, 860)));
    UpdateActions();
}

TFrmMain::~TFrmMain() {
    monitor_.SetHost(nullptr);
    monitor_.StopWorkers();
}

void TFrmMain::CreateActions() {
    SelectIconTheme();
    auto make = [this](const char* name, const QString& text, const char* iconName = nullptr,
                       QStyle::StandardPixmap fallback = QStyle::SP_CustomBase) {
        auto* a = new QAction(text, this);
        a->setObjectName(QString::fromLatin1(name));
        if (iconName)
            a->setIcon(ThemedIcon(iconName, fallback));
        return a;
    };
    connectAction =
        make("AcConnect", QStringLiteral("&Connect"), "network-server", QStyle::SP_DriveNetIcon);
    disconnectAction = make("AcDisconnect", QStringLiteral("&Disconnect"), "network-offline",
                            QStyle::SP_DialogCloseButton);
    exitAction =
        make("AcExit", QStringLiteral("E&xit"), "system-log-out", QStyle::SP_TitleBarCloseButton);
    exitAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+X")));
    databaseInfoAction = make("AcDbInfo", QStringLiteral("&Info"), "dialog-information",
                              QStyle::SP_MessageBoxInformation);
    systemParameterAction = make("AcSystemParameter", QStringLiteral("&System Parameter"));
    nlsParameterAction = make("AcNlsParameter", QStringLiteral("&NLS Parameter"));
    systemEventAction = make("AcSystemEvent", QStringLiteral("System Event"));
    copyAction = make("AcCopy", QStringLiteral("&Copy"), "edit-copy");
    selectAllAction = make("AcSelectAll", QStringLiteral("Select &All"), "edit-select-all");
    killSessionAction = make("ActKillSession", QStringLiteral("&Kill Session"), "process-stop",
                             QStyle::SP_DialogCancelButton);
    killImmediateAction =
        make("ActKillSessionImmediate", QStringLiteral("Kill Session &Immediately"));
    disconnectSessionAction =
        make("ActDisconnectSession", QStringLiteral("&Disconnect Session Immediately"));
    cancelSqlAction = make("ActCancelSql", QStringLiteral("Cancel S&QL"), "media-playback-stop",
                           QStyle::SP_MediaStop);
    // Ctrl+Break, as the key that stops a running statement in Oracle's own tools.
    cancelSqlAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Pause));
    blockingTreeAction = make("AcBlockingTree", QStringLiteral("&Blocking Tree"));
    topSqlAction = make("AcTopSql", QStringLiteral("&Top SQL"));
    activityAction = make("AcActivity", QStringLiteral("&Activity"));
    refreshAction =
        make("AcRefresh", QStringLiteral("&Refresh"), "view-refresh", QStyle::SP_BrowserReload);
    refreshModeAction = make("AcRefreshMode", QStringLiteral("Manual/Auto Refresh"),
                             "media-playback-start", QStyle::SP_MediaPlay);
    refreshModeAction->setCheckable(true);
    showDetailsAction = make("AcShowDetails", QStringLiteral("Session &Details"),
                             "document-properties", QStyle::SP_FileDialogDetailedView);
    showStatisticsAction = make("AcShowStatistics", QStringLiteral("Session S&tatistics"),
                                "utilities-system-monitor", QStyle::SP_FileDialogListView);
    showSqlAction =
        make("AcShowSql", QStringLiteral("Session &Sql"), "text-x-generic", QStyle::SP_FileIcon);
    showWaitsAction = make("AcShowWaits", QStringLiteral("Session &Events"), "appointment",
                           QStyle::SP_BrowserStop);
    showLocksAction = make("AcShowLocks", QStringLiteral("Session &Locks"), "system-lock-screen",
                           QStyle::SP_DialogNoButton);
    optionsAction = make("AcSessionOption", QStringLiteral("&Options"), "preferences-system",
                         QStyle::SP_FileDialogContentsView);
    findObjectAction = make("AcFindObj", QStringLiteral("Find &Object"), "edit-find");
    tuneMemoryAction = make("AcTuneMemory", QStringLiteral("Tuning Memory"));
    captureSqlAction = make("AcCapturesql", QStringLiteral("&Capture Sql"));
    serverComponentAction =
        make("AcServersideCaptureSql", QStringLiteral("&Server Component setup"));
    sendMessageAction = make("AcReadytoSendMsg", QStringLiteral("Send Message"),
                             "mail-send-receive", QStyle::SP_MessageBoxInformation);
    contentsAction =
        make("AcContents", QStringLiteral("Contents"), "help-browser", QStyle::SP_DialogHelpButton);
    oracleClientAction = make("AcOracleClient", QStringLiteral("Oracle &Client"));
    aboutAction = make("AcAbout", QStringLiteral("&About"));

    setHint(refreshAction,
            QStringLiteral("Refresh|Retrieve all current sessions and Refresh the list"));
    setHint(refreshModeAction, QStringLiteral("Manual/Auto Refresh|Toggle Manual/Auto Refresh"));
    setHint(killSessionAction, QStringLiteral("Kill Session|Kill selected session"));
    setHint(killImmediateAction,
            QStringLiteral("Kill Session Immediately|Kill the selected session at once, without "
                           "waiting for its current call"));
    setHint(disconnectSessionAction,
            QStringLiteral("Disconnect Session Immediately|End the selected session's server "
                           "process at once"));
    setHint(cancelSqlAction, QStringLiteral("Cancel SQL|Cancel the running statement of the "
                                            "selected session; the session stays connected"));
    setHint(sendMessageAction, QStringLiteral("Send message|Send message to the oracle client"));
    setHint(optionsAction, QStringLiteral("Options|Change the display options"));
    setHint(exitAction, QStringLiteral("Exit|Exit"));
    setHint(showDetailsAction, QStringLiteral("Session Details"));
    setHint(showStatisticsAction, QStringLiteral("Session Statistics"));
    setHint(showWaitsAction, QStringLiteral("Session Events"));
    setHint(showSqlAction, QStringLiteral("Session Sqls"));
    setHint(showLocksAction, QStringLiteral("Session Locks"));

    auto on = [this](QAction* a, std::function<void()> f) {
        connect(a, &QAction::triggered, this, [this, f] { Guarded(f); });
    };
    on(connectAction, [this] { ConnectSequence(); });
    on(disconnectAction, [this] { DisconnectSequence(true); });
    connect(exitAction, &QAction::triggered, this, &QWidget::close);
    on(refreshAction, [this] { onRefresh(); });
    on(refreshModeAction, [this] {
        monitor_.SetAutoRefresh(!monitor_.AutoRefresh());
        monitor::SaveDisplayOptions(monitor_);
        UpdateActions();
    });
    on(optionsAction, [this] { onOptions(); });
    on(killSessionAction, [this] { onKillSession(); });
    on(killImmediateAction, [this] { onKillSession(TSessionCommand::KillImmediate); });
    on(disconnectSessionAction, [this] { onKillSession(TSessionCommand::DisconnectImmediate); });
    on(cancelSqlAction, [this] { onCancelSql(); });
    on(blockingTreeAction, [this] { onBlockingTree(); });
    on(topSqlAction, [this] { onTopSql(); });
    on(activityAction, [this] { onActivity(); });
    on(sendMessageAction, [this] { onSendMessage(); });
    on(showDetailsAction, [this] { ShowDetailPage(SessionDetailsPage); });
    on(showStatisticsAction, [this] { ShowDetailPage(SessionStatisticsPage); });
    on(showWaitsAction, [this] { ShowDetailPage(SessionWaitsPage); });
    on(showSqlAction, [this] { ShowDetailPage(SessionSqlPage); });
    on(showLocksAction, [this] { ShowDetailPage(SessionLocksPage); });
    on(databaseInfoAction, [this] { onDatabaseInfo(); });
    on(systemParameterAction, [this] { onSystemParameters(); });
    on(nlsParameterAction, [this] { onNlsParameters(); });
    on(systemEventAction, [this] { onSystemEvents(); });
    on(findObjectAction, [this] { detailPages_->onFindObject(); });
    on(tuneMemoryAction, [this] { detailPages_->onTuneMemory(); });
    on(contentsAction, [this] { onContents(); });
    on(oracleClientAction, [this] { onOracleClient(); });
    on(aboutAction, [this] { onAbout(); });
}

void TFrmMain::CreateMenus() {
    QMenu* database = menuBar()->addMenu(QStringLiteral("&Database"));
    database->addActions({connectAction, disconnectAction});
    database->addSeparator();
    database->addActions({databaseInfoAction, systemParameterAction, nlsParameterAction,
                          systemEventAction, blockingTreeAction, topSqlAction, activityAction});
    database->addSeparator();
    database->addAction(exitAction);
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addActions({copyAction, selectAllAction});
    QMenu* session = menuBar()->addMenu(QStringLiteral("&Session"));
    session->addActions({killSessionAction, killImmediateAction, disconnectSessionAction,
                         cancelSqlAction, refreshAction});
    session->addSeparator();
    session->addActions(
        {showDetailsAction, showStatisticsAction, showSqlAction, showWaitsAction, showLocksAction});
    session->addSeparator();
    session->addAction(optionsAction);
    QMenu* utilities = menuBar()->addMenu(QStringLiteral("&Utilities"));
    utilities->addActions({findObjectAction, tuneMemoryAction});
    utilities->addSeparator();
    utilities->addActions({captureSqlAction, serverComponentAction});
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addActions({contentsAction, oracleClientAction, aboutAction});
    for (QMenu* m : {database, edit, session, utilities, help})
        connect(m, &QMenu::aboutToShow, this, [this] { UpdateActions(); });
}

void TFrmMain::CreateToolBar() {
    toolBar_ = addToolBar(QStringLiteral("Tools"));
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setMovable(false);
    toolBar_->setIconSize(QSize(20, 20));
    toolBar_->addActions({refreshAction, refreshModeAction, killSessionAction, cancelSqlAction,
                          sendMessageAction, optionsAction});
    toolBar_->addSeparator();
    toolBar_->addActions(
        {showDetailsAction, showStatisticsAction, showWaitsAction, showSqlAction, showLocksAction});
    toolBar_->addSeparator();
    toolBar_->addAction(exitAction);
}

void TFrmMain::CreatePages() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    pageTabs_ = new QTabWidget(central);
    pageTabs_->setObjectName(QStringLiteral("pageTabs"));
    layout->addWidget(pageTabs_);
    // Without a connection the page area is empty: say how to get one.
    notConnectedHint_ = new QLabel(kNotConnectedHint, central);
    notConnectedHint_->setObjectName(QStringLiteral("notConnectedHint"));
    notConnectedHint_->setAlignment(Qt::AlignCenter);
    notConnectedHint_->setWordWrap(true);
    layout->addWidget(notConnectedHint_);
    setCentralWidget(central);

    static const char* names[PageCount] = {
        "sessionListPage",  "sessionDetailsPage", "sessionStatisticsPage",
        "sessionWaitsPage", "sessionSqlPage",     "sessionLocksPage",
        "databaseInfoPage", "nlsParameterPage",   "systemParameterPage",
        "systemEventPage",  "objectPage",         "tuningMemoryPage",
        "captureSqlPage",   "blockingTreePage",   "topSqlPage",
        "activityPage"};
    static const char* captions[PageCount] = {
        "Session List",  "Session Details", "Session Statistics",
        "Session Event", "Session SQL",     "Session Locks",
        "Database Info", "Nls Parameter",   "System Parameter",
        "System Event",  "Object",          "Tuning Memory",
        "Capture SQL",   "Blocking Tree",   "Top SQL",
        "Activity"};
    for (int i = 0; i < PageCount; ++i) {
        auto* page = new QWidget;
        page->setObjectName(QString::fromLatin1(names[i]));
        pages_[static_cast<std::size_t>(i)] = page;
        pageTabs_->addTab(page, QString::fromLatin1(captions[i]));
    }
    auto* listLayout = new QVBoxLayout(pages_[SessionListPage]);
    listLayout->setContentsMargins(0, 0, 0, 0);
    sessionList_ = new TSessionListView(sessionListModel_, pages_[SessionListPage]);
    CreateSessionFilterBar(pages_[SessionListPage], listLayout);
    listLayout->addWidget(sessionList_);
    sessionListObserver_->SetFilter(&sessionList_->Filter());
    connect(sessionList_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) { SessionListSelectionChanged(selected); });
    connect(sessionList_, &QAbstractItemView::doubleClicked, this,
            [this] { SessionListDoubleClicked(); });
    connect(sessionList_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { SessionListContextMenu(p); });
    connect(sessionList_->header(), &QHeaderView::sectionClicked, this,
            [this](int c) { SessionListColumnClicked(c); });

    // The "Session SQL" and "Session Locks" pages with their observers and workers.
    sqlPage_ = new TSqlPage(monitor_, pages_[SessionSqlPage]);
    locksPage_ = new TLocksPage(monitor_, pages_[SessionLocksPage]);
    for (auto [page, content] : {std::pair<int, QWidget*>{SessionSqlPage, sqlPage_},
                                 std::pair<int, QWidget*>{SessionLocksPage, locksPage_}}) {
        auto* pageLayout = new QVBoxLayout(pages_[static_cast<std::size_t>(page)]);
        pageLayout->setContentsMargins(0, 0, 0, 0);
        pageLayout->addWidget(content);
    }
    detail::TSessSqlObserver::RegisterThread(monitor_);
    detail::TSessLocksObserver::RegisterThread(monitor_);

    sessionListMenu_ = new QMenu(this);
    sessionListMenu_->setObjectName(QStringLiteral("sessionListMenu"));
    auto item = [this](const QString& text, QAction* command) {
        QAction* a = sessionListMenu_->addAction(command->icon(), text);
        connect(a, &QAction::triggered, command, &QAction::trigger);
        return a;
    };
    item(QStringLiteral("Show Details"), showDetailsAction);
    item(QStringLiteral("Show Statistics"), showStatisticsAction);
    item(QStringLiteral("Show Event"), showWaitsAction);
    item(QStringLiteral("Show Sql"), showSqlAction);
    item(QStringLiteral("Session &Locks"), showLocksAction);
    sessionListMenu_->addSeparator();
    item(QStringLiteral("Kill Session"), killSessionAction);
    item(QStringLiteral("Kill Session Immediately"), killImmediateAction);
    item(QStringLiteral("Disconnect Session Immediately"), disconnectSessionAction);
    // The cancel item follows its command's state and says why it is off.
    QAction* cancelItem = item(QStringLiteral("Cancel SQL"), cancelSqlAction);
    cancelItem->setObjectName(QStringLiteral("cancelSqlItem"));
    sessionListMenu_->setToolTipsVisible(true);
    connect(cancelSqlAction, &QAction::changed, cancelItem, [this, cancelItem] {
        cancelItem->setEnabled(cancelSqlAction->isEnabled());
        cancelItem->setToolTip(cancelSqlAction->toolTip());
    });
    item(QStringLiteral("Send Message"), sendMessageAction);
    waitingObjectSeparator_ = sessionListMenu_->addSeparator();
    waitingObjectItem_ = sessionListMenu_->addAction(QStringLiteral("Waiting Object"));
    waitingObjectItem_->setObjectName(QStringLiteral("waitingObjectItem"));
    connect(waitingObjectItem_, &QAction::triggered, this,
            [this] { Guarded([this] { onWaitingObject(); }); });
    waitingObjectItem_->setVisible(false);
    waitingObjectSeparator_->setVisible(false);

    closeButton_ = new QPushButton(QStringLiteral("&Close"), pageTabs_);
    closeButton_->setObjectName(QStringLiteral("closeButton"));
    pageTabs_->setCornerWidget(closeButton_, Qt::TopRightCorner);
    closeButton_->hide();
    connect(closeButton_, &QPushButton::clicked, this, [this] { onCloseClicked(); });
    connect(pageTabs_, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == SessionListPage)
            closeButton_->hide();
    });

    capture_ = std::make_unique<TCapturePage>(*this, pages_[CaptureSqlPage]);

    HideAllTabs();
    pageTabs_->hide();
}

void TFrmMain::CreateStatusBar() {
    static const int widths[3] = {300, 250, 90};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(this);
        label->setMinimumWidth(widths[i]);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        statusBar()->addWidget(label, i == 0 ? 1 : 0);
        statusPanels_[static_cast<std::size_t>(i)] = label;
    }
    statusBar()->setObjectName(QStringLiteral("statusBar"));
}

bool TFrmMain::event(QEvent* event) {
    // The long part of a hint goes to panel 0, leaving the other panels in view.
    if (event->type() == QEvent::StatusTip) {
        statusPanels_[0]->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TFrmMain::HideAllTabs() {
    for (int i = 0; i < PageCount; ++i)
        pageTabs_->setTabVisible(i, false);
}

// ---- the monitor's host ----

void TFrmMain::SetStatusPanel(int panel, const std::string& text) {
    if (panel >= 0 && panel < 3)
        statusPanels_[static_cast<std::size_t>(panel)]->setText(qs(text));
}

void TFrmMain::WorkerFailed() {
    QMessageBox::critical(this, QApplication::applicationDisplayName(), qs(monitor_.LastError));
    UpdateActions();
}

void TFrmMain::SetCloseButtonVisible(bool visible) {
    closeButton_->setVisible(visible);
}

// ---- sequences ----

void TFrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    // The login comes once the window is on the screen.
    QTimer::singleShot(0, this, [this] { Guarded([this] { ConnectSequence(); }); });
}

void TFrmMain::ConnectSequence() {
    if (monitor_.Connected())
        return;
    UpdateActions();
    capture_->BeforeLogin();
    if (!monitor_.Login())
        return;
    if (!monitor_.PrivilegeCheck()) {
        const QString message = qs(monitor_.PrivilegeMessage());
        monitor_.Disconnect();
        QMessageBox::warning(this, QApplication::applicationDisplayName(), message);
        UpdateActions();
        return;
    }
    monitor_.CacheLoad();
    monitor::RestoreSortStatistic(monitor_);
    HideAllTabs();
    pageTabs_->show();
    pageTabs_->setCurrentIndex(SessionListPage);
    pageTabs_->setTabText(SessionListPage, qs(monitor_.ServiceName()));
    pageTabs_->setTabVisible(SessionListPage, true);
    setWindowTitle(QString::fromLatin1(kApplicationTitle) + QLatin1Char('(') +
                   qs(monitor_.UserName()) + QLatin1Char('@') + qs(monitor_.ServiceName()) +
                   QLatin1Char(')'));
    monitor_.Notify(monitor::ncRebuildListColumns);
    monitor_.RefreshTimer().setInterval(monitor_.RefreshInterval());
    if (monitor_.AutoRefresh())
        monitor_.RefreshTimer().start();
    monitor_.Refresh();
    capture_->AfterLogin();
    ShowRememberedPage();
    UpdateActions();
}

void TFrmMain::ShowRememberedPage() {
    // The database pages load on their own; a detail page needs a selected session, so the
    // session list stands in for it.
    try {
        switch (monitor::SavedPage(SessionListPage)) {
        case DatabaseInfoPage:
            onDatabaseInfo();
            break;
        case NlsParameterPage:
            onNlsParameters();
            break;
        case SystemParameterPage:
            onSystemParameters();
            break;
        case SystemEventPage:
            onSystemEvents();
            break;
        case BlockingTreePage:
            onBlockingTree();
            break;
        case TopSqlPage:
            onTopSql();
            break;
        case ActivityPage:
            onActivity();
            break;
        default:
            break;
        }
    } catch (const std::exception& e) {
        util::appendAppLogSafely(std::string("Error:remembered page: ") + e.what());
        pageTabs_->setCurrentIndex(SessionListPage);
    }
}

bool TFrmMain::DisconnectSequence(bool confirm) {
    if (!monitor_.Connected())
        return true;
    const int shownPage = pageTabs_->currentIndex();
    if (confirm && QMessageBox::question(this, QApplication::applicationDisplayName(),
                                         QStringLiteral("Disconnect from ") +
                                             qs(monitor_.ServiceName()) + QStringLiteral("?"),
                                         QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return false;
    monitor_.RefreshTimer().stop();
    monitor::SavePage(shownPage);
    blockingTree_->SetShown(false);
    activity_->SetShown(false);
    pageTabs_->hide();
    HideAllTabs();
    auto finish = [this] {
        setWindowTitle(QString::fromLatin1(kApplicationTitle));
        for (QLabel* panel : statusPanels_)
            panel->clear();
        UpdateActions();
    };
    try {
        capture_->Stop();
        monitor_.Disconnect();
    } catch (...) {
        finish();
        throw;
    }
    finish();
    return true;
}

void TFrmMain::closeEvent(QCloseEvent* event) {
    // Refused while a collector's captured SQL is still being written, and when the user keeps
    // the program open on being told that capture or the automatic probe still runs.
    if (!capture_->CanClose()) {
        event->ignore();
        return;
    }
    capture_->Stop();
    monitor::SaveWindowRect(normalGeometry());
    // The connection is closed without a question.
    monitor_.RefreshTimer().stop();
    try {
        DisconnectSequence(false);
    } catch (const std::exception& e) {
        QMessageBox::critical(this, QApplication::applicationDisplayName(),
                              QString::fromUtf8(e.what()));
    }
    event->accept();
}

void TFrmMain::Guarded(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& e) {
        QMessageBox::critical(this, QApplication::applicationDisplayName(),
                              QString::fromUtf8(e.what()));
    }
    UpdateActions();
}

void TFrmMain::ShowPage(TPage page) {
    pageTabs_->setTabVisible(page, true);
    pageTabs_->setCurrentIndex(page);
    if (page != SessionListPage)
        closeButton_->show();
}

void TFrmMain::onCloseClicked() {
    detailPages_->CloseActivePage();
}

void TFrmMain::UpdateActions() {
    const bool connected = monitor_.Connected();
    notConnectedHint_->setVisible(!connected);
    const bool selected = connected && !SelectedSessionRows().empty();
    connectAction->setEnabled(!connected);
    disconnectAction->setEnabled(connected);
    refreshAction->setEnabled(connected && !monitor_.AutoRefresh());
    refreshModeAction->setEnabled(connected);
    refreshModeAction->setChecked(monitor_.AutoRefresh());
    for (QAction* a : {optionsAction, databaseInfoAction, systemParameterAction, nlsParameterAction,
                       systemEventAction, findObjectAction, tuneMemoryAction, blockingTreeAction,
                       topSqlAction, activityAction})
        a->setEnabled(connected);
    for (QAction* a :
         {killSessionAction, killImmediateAction, disconnectSessionAction, sendMessageAction,
          showDetailsAction, showStatisticsAction, showWaitsAction, showSqlAction, showLocksAction})
        a->setEnabled(selected);
    // An instance before 18c has no statement to cancel a call with: the command is off and its
    // tip says why.
    const std::string noCancel =
        connected ? monitor::CancelSqlUnavailableReason(monitor_.InstanceVersion) : std::string();
    cancelSqlAction->setEnabled(selected && noCancel.empty());
    const QString cancelTip =
        noCancel.empty() ? QStringLiteral("Cancel the running statement of the selected session; "
                                          "the session stays connected")
                         : qs(noCancel);
    cancelSqlAction->setToolTip(cancelTip);
    cancelSqlAction->setStatusTip(cancelTip);
    UpdateDatabaseActions();
    capture_->UpdateActions(connected);
}

std::vector<int> TFrmMain::SelectedSessionRows() const {
    return sessionList_->SelectedRows();
}

} // namespace gui
