#include "gui/MainWindow.h"

#include "gui/Icons.h"
#include "gui/dialogs/ConnectForm.h"
#include "gui/pages/CapturePage.h"
#include "gui/pages/DetailPages.h"
#include "gui/pages/LocksPage.h"
#include "gui/pages/SqlPage.h"
#include "gui/views/SessionListView.h"
#include "oradb/OraSession.h"
#include "oradb/oci/OciLibrary.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
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
    QApplication::setApplicationDisplayName(QStringLiteral("Quenby"));
    setWindowTitle(QString::fromLatin1(kApplicationTitle));

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

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreatePages();
    CreateStatusBar();
    detailPages_ = new TDetailPages(*this, monitor_, *TPSession, pages_);
    CreateDatabasePages();

    // F5 refreshes from anywhere in the window, also in auto mode.
    auto* f5 = new QShortcut(QKeySequence(Qt::Key_F5), this);
    f5->setContext(Qt::WindowShortcut);
    connect(f5, &QShortcut::activated, this, [this] { Guarded([this] { AcRefreshExecute(); }); });

    // The enabling rules run whenever the window is idle (and before a menu opens).
    idleTimer_ = new QTimer(this);
    idleTimer_->setInterval(150);
    connect(idleTimer_, &QTimer::timeout, this, [this] { UpdateActions(); });
    idleTimer_->start();

    resize(QSize(664, 417).expandedTo(QSize(900, 560)));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
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
    AcConnect =
        make("AcConnect", QStringLiteral("&Connect"), "network-server", QStyle::SP_DriveNetIcon);
    AcDisconnect = make("AcDisconnect", QStringLiteral("&Disconnect"), "network-offline",
                        QStyle::SP_DialogCloseButton);
    AcExit =
        make("AcExit", QStringLiteral("E&xit"), "system-log-out", QStyle::SP_TitleBarCloseButton);
    AcExit->setShortcut(QKeySequence(QStringLiteral("Ctrl+X")));
    AcDbInfo = make("AcDbInfo", QStringLiteral("&Info"), "dialog-information",
                    QStyle::SP_MessageBoxInformation);
    AcSystemParameter = make("AcSystemParameter", QStringLiteral("&System Parameter"));
    AcNlsParameter = make("AcNlsParameter", QStringLiteral("&NLS Parameter"));
    AcSystemEvent = make("AcSystemEvent", QStringLiteral("System Event"));
    AcCopy = make("AcCopy", QStringLiteral("&Copy"), "edit-copy");
    AcSelectAll = make("AcSelectAll", QStringLiteral("Select &All"), "edit-select-all");
    ActKillSession = make("ActKillSession", QStringLiteral("&Kill Session"), "process-stop",
                          QStyle::SP_DialogCancelButton);
    AcRefresh =
        make("AcRefresh", QStringLiteral("&Refresh"), "view-refresh", QStyle::SP_BrowserReload);
    AcRefreshMode = make("AcRefreshMode", QStringLiteral("Manual/Auto Refresh"),
                         "media-playback-start", QStyle::SP_MediaPlay);
    AcRefreshMode->setCheckable(true);
    AcShowDetails = make("AcShowDetails", QStringLiteral("Session &Details"), "document-properties",
                         QStyle::SP_FileDialogDetailedView);
    AcShowStatistics = make("AcShowStatistics", QStringLiteral("Session S&tatistics"),
                            "utilities-system-monitor", QStyle::SP_FileDialogListView);
    AcShowSql =
        make("AcShowSql", QStringLiteral("Session &Sql"), "text-x-generic", QStyle::SP_FileIcon);
    AcShowWaits = make("AcShowWaits", QStringLiteral("Session &Events"), "appointment",
                       QStyle::SP_BrowserStop);
    AcShowLocks = make("AcShowLocks", QStringLiteral("Session &Locks"), "system-lock-screen",
                       QStyle::SP_DialogNoButton);
    AcSessionOption = make("AcSessionOption", QStringLiteral("&Options"), "preferences-system",
                           QStyle::SP_FileDialogContentsView);
    AcFindObj = make("AcFindObj", QStringLiteral("Find &Object"), "edit-find");
    AcTuneMemory = make("AcTuneMemory", QStringLiteral("Tuning Memory"));
    AcCapturesql = make("AcCapturesql", QStringLiteral("&Capture Sql"));
    AcServersideCaptureSql =
        make("AcServersideCaptureSql", QStringLiteral("&Server Component setup"));
    AcReadytoSendMsg = make("AcReadytoSendMsg", QStringLiteral("Send Message"), "mail-send-receive",
                            QStyle::SP_MessageBoxInformation);
    AcContents =
        make("AcContents", QStringLiteral("Contents"), "help-browser", QStyle::SP_DialogHelpButton);
    AcOracleClient = make("AcOracleClient", QStringLiteral("Oracle &Client"));
    AcAbout = make("AcAbout", QStringLiteral("&About"));

    setHint(AcRefresh,
            QStringLiteral("Refresh|Retrieve all current sessions and Refresh the list"));
    setHint(AcRefreshMode, QStringLiteral("Manual/Auto Refresh|Toggle Manual/Auto Refresh"));
    setHint(ActKillSession, QStringLiteral("Kill Session|Kill selected session"));
    setHint(AcReadytoSendMsg, QStringLiteral("Send message|Send message to the oracle client"));
    setHint(AcSessionOption, QStringLiteral("Options|Change the display options"));
    setHint(AcExit, QStringLiteral("Exit|Exit"));
    setHint(AcShowDetails, QStringLiteral("Session Details"));
    setHint(AcShowStatistics, QStringLiteral("Session Statistics"));
    setHint(AcShowWaits, QStringLiteral("Session Events"));
    setHint(AcShowSql, QStringLiteral("Session Sqls"));
    setHint(AcShowLocks, QStringLiteral("Session Locks"));

    auto on = [this](QAction* a, std::function<void()> f) {
        connect(a, &QAction::triggered, this, [this, f] { Guarded(f); });
    };
    on(AcConnect, [this] { ConnectSequence(); });
    on(AcDisconnect, [this] { DisconnectSequence(true); });
    connect(AcExit, &QAction::triggered, this, &QWidget::close);
    on(AcRefresh, [this] { AcRefreshExecute(); });
    on(AcRefreshMode, [this] {
        monitor_.SetAutoRefresh(!monitor_.AutoRefresh());
        UpdateActions();
    });
    on(AcSessionOption, [this] { AcSessionOptionExecute(); });
    on(ActKillSession, [this] { ActKillSessionExecute(); });
    on(AcReadytoSendMsg, [this] { AcReadytoSendMsgExecute(); });
    on(AcShowDetails, [this] { ShowDetailPage(pgSessDetails); });
    on(AcShowStatistics, [this] { ShowDetailPage(pgSessStatistics); });
    on(AcShowWaits, [this] { ShowDetailPage(pgSessWaits); });
    on(AcShowSql, [this] { ShowDetailPage(pgSessSql); });
    on(AcShowLocks, [this] { ShowDetailPage(pgSessLocks); });
    on(AcDbInfo, [this] { AcDbInfoExecute(); });
    on(AcSystemParameter, [this] { AcSystemParameterExecute(); });
    on(AcNlsParameter, [this] { AcNlsParameterExecute(); });
    on(AcSystemEvent, [this] { AcSystemEventExecute(); });
    on(AcFindObj, [this] { detailPages_->AcFindObjExecute(); });
    on(AcTuneMemory, [this] { detailPages_->AcTuneMemoryExecute(); });
    on(AcContents, [this] { AcContentsExecute(); });
    on(AcOracleClient, [this] { AcOracleClientExecute(); });
    on(AcAbout, [this] { AcAboutExecute(); });
}

void TFrmMain::CreateMenus() {
    QMenu* database = menuBar()->addMenu(QStringLiteral("&Database"));
    database->addActions({AcConnect, AcDisconnect});
    database->addSeparator();
    database->addActions({AcDbInfo, AcSystemParameter, AcNlsParameter, AcSystemEvent});
    database->addSeparator();
    database->addAction(AcExit);
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addActions({AcCopy, AcSelectAll});
    QMenu* session = menuBar()->addMenu(QStringLiteral("&Session"));
    session->addActions({ActKillSession, AcRefresh});
    session->addSeparator();
    session->addActions({AcShowDetails, AcShowStatistics, AcShowSql, AcShowWaits, AcShowLocks});
    session->addSeparator();
    session->addAction(AcSessionOption);
    QMenu* utilities = menuBar()->addMenu(QStringLiteral("&Utilities"));
    utilities->addActions({AcFindObj, AcTuneMemory});
    utilities->addSeparator();
    utilities->addActions({AcCapturesql, AcServersideCaptureSql});
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addActions({AcContents, AcOracleClient, AcAbout});
    for (QMenu* m : {database, edit, session, utilities, help})
        connect(m, &QMenu::aboutToShow, this, [this] { UpdateActions(); });
}

void TFrmMain::CreateToolBar() {
    toolBar_ = addToolBar(QStringLiteral("Tools"));
    toolBar_->setObjectName(QStringLiteral("ToolBar1"));
    toolBar_->setMovable(false);
    toolBar_->setIconSize(QSize(20, 20));
    toolBar_->addActions(
        {AcRefresh, AcRefreshMode, ActKillSession, AcReadytoSendMsg, AcSessionOption});
    toolBar_->addSeparator();
    toolBar_->addActions({AcShowDetails, AcShowStatistics, AcShowWaits, AcShowSql, AcShowLocks});
    toolBar_->addSeparator();
    toolBar_->addAction(AcExit);
}

void TFrmMain::CreatePages() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    TPSession = new QTabWidget(central);
    TPSession->setObjectName(QStringLiteral("TPSession"));
    layout->addWidget(TPSession);
    setCentralWidget(central);

    static const char* names[pgCount] = {"TSSessList",
                                         "TSSessDetails",
                                         "TSSessStatistics",
                                         "TSSessWaits",
                                         "TSSessSql",
                                         "TSSessLocks",
                                         "TSDBInfo",
                                         "TSNlsParameter",
                                         "TSSystemParameter",
                                         "TSSystemEvent",
                                         "TSCurrentEventDetails",
                                         "TSMemory",
                                         "TsCapturesql"};
    static const char* captions[pgCount] = {
        "Session List",  "Session Details", "Session Statistics",
        "Session Event", "Session SQL",     "Session Locks",
        "Database Info", "Nls Parameter",   "System Parameter",
        "System Event",  "Object",          "Tuning Memory",
        "Capture SQL"};
    for (int i = 0; i < pgCount; ++i) {
        auto* page = new QWidget;
        page->setObjectName(QString::fromLatin1(names[i]));
        pages_[static_cast<std::size_t>(i)] = page;
        TPSession->addTab(page, QString::fromLatin1(captions[i]));
    }
    auto* listLayout = new QVBoxLayout(pages_[pgSessList]);
    listLayout->setContentsMargins(0, 0, 0, 0);
    lvsessionlist_ = new TSessionListView(sessionListModel_, pages_[pgSessList]);
    listLayout->addWidget(lvsessionlist_);
    connect(lvsessionlist_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) { SessionListSelectionChanged(selected); });
    connect(lvsessionlist_, &QAbstractItemView::doubleClicked, this,
            [this] { SessionListDoubleClicked(); });
    connect(lvsessionlist_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { SessionListContextMenu(p); });
    connect(lvsessionlist_->header(), &QHeaderView::sectionClicked, this,
            [this](int c) { SessionListColumnClicked(c); });

    // The "Session SQL" and "Session Locks" pages with their observers and workers.
    sqlPage_ = new TSqlPage(monitor_, pages_[pgSessSql]);
    locksPage_ = new TLocksPage(monitor_, pages_[pgSessLocks]);
    for (auto [page, content] : {std::pair<int, QWidget*>{pgSessSql, sqlPage_},
                                 std::pair<int, QWidget*>{pgSessLocks, locksPage_}}) {
        auto* pageLayout = new QVBoxLayout(pages_[static_cast<std::size_t>(page)]);
        pageLayout->setContentsMargins(0, 0, 0, 0);
        pageLayout->addWidget(content);
    }
    detail::TSessSqlObserver::RegisterThread(monitor_);
    detail::TSessLocksObserver::RegisterThread(monitor_);

    PMSessionList = new QMenu(this);
    PMSessionList->setObjectName(QStringLiteral("PMSessionList"));
    auto item = [this](const QString& text, QAction* command) {
        QAction* a = PMSessionList->addAction(command->icon(), text);
        connect(a, &QAction::triggered, command, &QAction::trigger);
        return a;
    };
    item(QStringLiteral("Show Details"), AcShowDetails);
    item(QStringLiteral("Show Statistics"), AcShowStatistics);
    item(QStringLiteral("Show Event"), AcShowWaits);
    item(QStringLiteral("Show Sql"), AcShowSql);
    item(QStringLiteral("Session &Locks"), AcShowLocks);
    PMSessionList->addSeparator();
    item(QStringLiteral("Kill Session"), ActKillSession);
    item(QStringLiteral("Send Message"), AcReadytoSendMsg);
    pmiWaitingObjectSeparator = PMSessionList->addSeparator();
    pmiWaitingObject = PMSessionList->addAction(QStringLiteral("Waiting Object"));
    pmiWaitingObject->setObjectName(QStringLiteral("pmiWaitingObject"));
    connect(pmiWaitingObject, &QAction::triggered, this,
            [this] { Guarded([this] { WaitingObjectClick(); }); });
    pmiWaitingObject->setVisible(false);
    pmiWaitingObjectSeparator->setVisible(false);

    BtClose = new QPushButton(QStringLiteral("&Close"), TPSession);
    BtClose->setObjectName(QStringLiteral("BtClose"));
    TPSession->setCornerWidget(BtClose, Qt::TopRightCorner);
    BtClose->hide();
    connect(BtClose, &QPushButton::clicked, this, [this] { BtCloseClick(); });
    connect(TPSession, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == pgSessList)
            BtClose->hide();
    });

    capture_ = std::make_unique<TCapturePage>(*this, pages_[pgCapturesql]);

    HideAllTabs();
    TPSession->hide();
}

void TFrmMain::CreateStatusBar() {
    static const int widths[3] = {300, 250, 50};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(this);
        label->setMinimumWidth(widths[i]);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        statusBar()->addWidget(label, i == 0 ? 1 : 0);
        statusPanels_[static_cast<std::size_t>(i)] = label;
    }
    statusBar()->setObjectName(QStringLiteral("StatusBar2"));
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
    for (int i = 0; i < pgCount; ++i)
        TPSession->setTabVisible(i, false);
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
    BtClose->setVisible(visible);
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
        monitor_.Disconnect();
        QMessageBox::warning(this, QApplication::applicationDisplayName(),
                             QStringLiteral("Not enough Privilge"));
        UpdateActions();
        return;
    }
    monitor_.CacheLoad();
    HideAllTabs();
    TPSession->show();
    TPSession->setCurrentIndex(pgSessList);
    TPSession->setTabText(pgSessList, qs(monitor_.ServiceName()));
    TPSession->setTabVisible(pgSessList, true);
    setWindowTitle(QString::fromLatin1(kApplicationTitle) + QLatin1Char('(') +
                   qs(monitor_.UserName()) + QLatin1Char('@') + qs(monitor_.ServiceName()) +
                   QLatin1Char(')'));
    monitor_.Notify(monitor::ncRebuildListColumns);
    monitor_.Timer1().setInterval(monitor_.RefreshInterval());
    if (monitor_.AutoRefresh())
        monitor_.Timer1().start();
    monitor_.Refresh();
    capture_->AfterLogin();
    UpdateActions();
}

bool TFrmMain::DisconnectSequence(bool confirm) {
    if (!monitor_.Connected())
        return true;
    if (confirm && QMessageBox::question(this, QApplication::applicationDisplayName(),
                                         QStringLiteral("Disconnect from ") +
                                             qs(monitor_.ServiceName()) + QStringLiteral("?"),
                                         QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return false;
    monitor_.Timer1().stop();
    TPSession->hide();
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
    // Refused while a collector's captured SQL is still being written.
    if (!capture_->CanClose()) {
        event->ignore();
        return;
    }
    capture_->Stop();
    // The connection is closed without a question.
    monitor_.Timer1().stop();
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
    TPSession->setTabVisible(page, true);
    TPSession->setCurrentIndex(page);
    if (page != pgSessList)
        BtClose->show();
}

void TFrmMain::BtCloseClick() {
    detailPages_->CloseActivePage();
}

void TFrmMain::UpdateActions() {
    const bool connected = monitor_.Connected();
    const bool selected = connected && !SelectedSessionRows().empty();
    AcConnect->setEnabled(!connected);
    AcDisconnect->setEnabled(connected);
    AcRefresh->setEnabled(connected && !monitor_.AutoRefresh());
    AcRefreshMode->setEnabled(connected);
    AcRefreshMode->setChecked(monitor_.AutoRefresh());
    for (QAction* a : {AcSessionOption, AcDbInfo, AcSystemParameter, AcNlsParameter, AcSystemEvent,
                       AcFindObj, AcTuneMemory})
        a->setEnabled(connected);
    for (QAction* a : {ActKillSession, AcReadytoSendMsg, AcShowDetails, AcShowStatistics,
                       AcShowWaits, AcShowSql, AcShowLocks})
        a->setEnabled(selected);
    UpdateDatabaseActions();
    capture_->UpdateActions(connected);
}

std::vector<int> TFrmMain::SelectedSessionRows() const {
    return lvsessionlist_->SelectedRows();
}

} // namespace gui
