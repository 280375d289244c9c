// The main window's database pages, their opening commands, the export commands with the shared
// popup exportMenu, and copy and select-all.
#include "gui/ExportCommands.h"
#include "gui/MainWindow.h"
#include "gui/pages/ActivityPage.h"
#include "gui/pages/BlockingTreePage.h"
#include "gui/pages/DatabasePages.h"
#include "gui/pages/DetailPages.h"
#include "gui/pages/LocksPage.h"
#include "gui/pages/SqlPage.h"
#include "gui/pages/TopSqlPage.h"
#include "gui/views/DetailListView.h"
#include "gui/views/SessionListView.h"
#include "monitor/RememberedSettings.h"
#include "monitor/TopSql.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QMessageBox>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>

namespace gui {

void TFrmMain::CreateDatabasePages() {
    databasePages_ = new TDatabasePages(monitor_, pages_[DatabaseInfoPage],
                                        pages_[NlsParameterPage], pages_[SystemParameterPage],
                                        pages_[SystemEventPage], SortAscending, SortColumn, this);
    exports_ = new TExportCommands(monitor_, pageTabs_, this);
    TDatabasePages* db = databasePages_;
    for (QWidget* control :
         {static_cast<QWidget*>(db->databaseInfoText), static_cast<QWidget*>(db->nlsParameterList),
          static_cast<QWidget*>(db->systemParameterList),
          static_cast<QWidget*>(db->systemEventList)})
        exports_->AttachPopup(control);
    exports_->AddTextArea(DatabaseInfoPage, [db] { return db->databaseInfoText; });

    detailPages_->showIdleEventsCheck->setChecked(monitor_.ShowIdleEvents);
    db->showIdleSystemEventsCheck->setChecked(monitor_.ShowIdleEvents);
    // The two events pages share whether idle events are listed: their toggles move together.
    QCheckBox* systemIdle = db->showIdleSystemEventsCheck;
    QCheckBox* sessionIdle = detailPages_->showIdleEventsCheck;
    connect(systemIdle, &QCheckBox::toggled, this, [this, sessionIdle](bool on) {
        const QSignalBlocker block(sessionIdle);
        sessionIdle->setChecked(on);
        monitor::SaveDisplayOptions(monitor_);
    });
    connect(sessionIdle, &QCheckBox::toggled, this, [this, systemIdle](bool on) {
        const QSignalBlocker block(systemIdle);
        systemIdle->setChecked(on);
        monitor::SaveDisplayOptions(monitor_);
    });

    // The session list's own item ends its popup menu.
    sessionListMenu_->addSeparator();
    exports_->AddExport(
        "AcSaveSesslist", "PMISavesesslist", SessionListPage, [this] { return sessionList_; }, 1,
        sessionListMenu_);
    // exportMenu, in its order.
    TDetailPages* dp = detailPages_;
    for (QWidget* control :
         {static_cast<QWidget*>(dp->sessionDetailsList), static_cast<QWidget*>(dp->statisticsList),
          static_cast<QWidget*>(dp->eventsList), static_cast<QWidget*>(dp->waitObjectList),
          static_cast<QWidget*>(dp->memoryHistory)})
        exports_->AttachPopup(control);
    exports_->AddExport(
        "AcSaveMemory", "TMiSavememoryToFile", TuningMemoryPage, [dp] { return dp->memoryHistory; },
        1);
    exports_->AddExport(
        "AcSaveDbinfo", "PMISaveDbinfo", DatabaseInfoPage, [db] { return db->databaseInfoText; },
        0);
    exports_->AddExport(
        "AcSaveSystemP", "PMISaveSystemP", SystemParameterPage,
        [db] { return db->systemParameterList; }, 0);
    exports_->AddExport(
        "AcSaveNlsP", "PMISaveNlsp", NlsParameterPage, [db] { return db->nlsParameterList; }, 0);
    exports_->AddExport(
        "AcSaveSystemE", "PMISaveSysteme", SystemEventPage, [db] { return db->systemEventList; },
        0);
    exports_->AddExport(
        "AcSaveSessionDetails", "PMISaveSessiondetails", SessionDetailsPage,
        [dp] { return dp->sessionDetailsList; }, 0);
    exports_->AddExport(
        "AcSaveSessionStatistics", "PMISaveSessionStatistics", SessionStatisticsPage,
        [dp] { return dp->statisticsList; }, 2);
    exports_->AddExport(
        "AcSaveSessionEvent", "PMISaveSessionEvent", SessionWaitsPage,
        [dp] { return dp->eventsList; }, 2);
    exports_->AddExport(
        "AcSaveFindObj", "PMISaveFindObj", ObjectPage, [dp] { return dp->waitObjectList; }, 2);
    exports_->AttachPopup(locksPage_->LockList());
    exports_->AddExport(
        "AcSaveLocks", "PmiSaveLocks", SessionLocksPage, [this] { return locksPage_->LockList(); },
        1);
    // The statement box of the SQL page; its cursors are saved by the page's own save action.
    exports_->AddTextArea(SessionSqlPage, [this] { return sqlPage_->StatementBox(); });

    // "Blocking Tree": kill and cancel run as from the session list, on the tree's session.
    for (auto [page, content] :
         {std::pair<int, QWidget*>{BlockingTreePage,
                                   blockingTree_ = new TBlockingTreePage(monitor_)},
          std::pair<int, QWidget*>{TopSqlPage, topSql_ = new TTopSqlPage(monitor_)}}) {
        auto* pageLayout = new QVBoxLayout(pages_[static_cast<std::size_t>(page)]);
        pageLayout->setContentsMargins(0, 0, 0, 0);
        pageLayout->addWidget(content);
    }
    auto onTreeSession = [this](TSessionCommand command) {
        return [this, command](const monitor::TBasicFieldArray& fields) {
            Guarded([this, command, fields] {
                monitor_.SelectedSessions = {fields};
                RunSessionCommand(command);
            });
        };
    };
    blockingTree_->OnKill = onTreeSession(TSessionCommand::Kill);
    blockingTree_->OnCancelSql = onTreeSession(TSessionCommand::CancelSql);
    // Its own menu ends with the export of the whole tree.
    blockingTree_->Popup()->addSeparator();
    exports_->AddExport(
        "AcSaveBlockingTree", "PMISaveBlockingTree", BlockingTreePage,
        [this] { return blockingTree_->Tree(); }, 1, blockingTree_->Popup());
    // The tree is read while its page is in front.
    connect(pageTabs_, &QTabWidget::currentChanged, this, [this](int index) {
        blockingTree_->SetShown(index == BlockingTreePage && !pageTabs_->isHidden());
    });
    // "Top SQL": its list exports like the others; copy and select-all act on its statement box.
    exports_->AttachPopup(topSql_->StatementList());
    exports_->AddExport(
        "AcSaveTopSql", "PMISaveTopSql", TopSqlPage, [this] { return topSql_->StatementList(); },
        1);
    exports_->AddTextArea(TopSqlPage, [this] { return topSql_->StatementBox(); });

    // "Activity": read while in front; a session of its lists opens its details, a statement
    // its text.
    activity_ = new TActivityPage(activitySampler_);
    auto* activityLayout = new QVBoxLayout(pages_[ActivityPage]);
    activityLayout->setContentsMargins(0, 0, 0, 0);
    activityLayout->addWidget(activity_);
    connect(pageTabs_, &QTabWidget::currentChanged, this, [this](int index) {
        activity_->SetShown(index == ActivityPage && !pageTabs_->isHidden());
    });
    activity_->OnOpenSession = [this](const std::string& sid, const std::string& serial) {
        Guarded([this, sid, serial] {
            // The details open from the session list's row of that session, while it is
            // still connected.
            if (const int row = sessionListModel_.RowOfSession(sid, serial); row >= 0) {
                sessionList_->SelectRow(row);
                if (SelectedSessionRows() == std::vector<int>{row}) {
                    ShowDetailPage(SessionDetailsPage);
                    return;
                }
            }
            QMessageBox::information(
                this, QApplication::applicationDisplayName(),
                QStringLiteral("The session %1,%2 is not in the session list: it has logged "
                               "off, or the list's filter hides it.")
                    .arg(QString::fromStdString(sid), QString::fromStdString(serial)));
        });
    };
    activity_->OnOpenSql = [this](const std::string& sqlId) {
        Guarded([this, sqlId] {
            const std::string text = monitor::LoadSqlFullText(monitor_, sqlId);
            QMessageBox box(QMessageBox::Information, QApplication::applicationDisplayName(),
                            text.empty() ? QStringLiteral("The statement %1 is no longer in the "
                                                          "shared pool.")
                                               .arg(QString::fromStdString(sqlId))
                                         : QString::fromStdString(text),
                            QMessageBox::Ok, this);
            box.setObjectName(QStringLiteral("activitySqlText"));
            box.setWindowTitle(QStringLiteral("SQL ") + QString::fromStdString(sqlId));
            box.setTextInteractionFlags(Qt::TextSelectableByMouse);
            box.exec();
        });
    };

    connect(copyAction, &QAction::triggered, this, [this] { exports_->Copy(); });
    connect(selectAllAction, &QAction::triggered, this, [this] { exports_->SelectAll(); });
}

void TFrmMain::UpdateDatabaseActions() {
    if (!exports_)
        return;
    exports_->UpdateEditActions(copyAction, selectAllAction);
    exports_->UpdateVisibility();
    databasePages_->updateModifyAction();
}

void TFrmMain::onDatabaseInfo() {
    databasePages_->loadDatabaseInfo();
    // A disconnect during the load leaves the pages hidden.
    if (monitor_.Connected())
        ShowPage(DatabaseInfoPage);
}

void TFrmMain::onNlsParameters() {
    databasePages_->loadNlsParameters();
    // A disconnect during the load leaves the pages hidden.
    if (monitor_.Connected())
        ShowPage(NlsParameterPage);
}

void TFrmMain::onSystemParameters() {
    databasePages_->loadSystemParameters();
    // A disconnect during the load leaves the pages hidden.
    if (monitor_.Connected())
        ShowPage(SystemParameterPage);
}

void TFrmMain::onSystemEvents() {
    databasePages_->loadSystemEvents();
    // A disconnect during the load leaves the pages hidden.
    if (monitor_.Connected())
        ShowPage(SystemEventPage);
}

void TFrmMain::onBlockingTree() {
    ShowPage(BlockingTreePage);
    blockingTree_->SetShown(true);
}

void TFrmMain::onTopSql() {
    ShowPage(TopSqlPage);
    topSql_->Load();
}

void TFrmMain::onActivity() {
    ShowPage(ActivityPage);
    activity_->SetShown(true);
}

} // namespace gui
