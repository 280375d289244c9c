// The main window's database pages, their opening commands, the export commands with the shared
// popup PMTab, and copy and select-all.
#include "gui/ExportCommands.h"
#include "gui/MainWindow.h"
#include "gui/pages/DatabasePages.h"
#include "gui/pages/DetailPages.h"
#include "gui/pages/LocksPage.h"
#include "gui/pages/SqlPage.h"
#include "gui/views/DetailListView.h"
#include "gui/views/SessionListView.h"

#include <QAction>
#include <QMenu>
#include <QTabWidget>
#include <QTextEdit>

namespace gui {

void TFrmMain::CreateDatabasePages() {
    databasePages_ = new TDatabasePages(monitor_, pages_[pgDBInfo], pages_[pgNlsParameter],
                                        pages_[pgSystemParameter], pages_[pgSystemEvent],
                                        SortAscending, SortColumn, this);
    exports_ = new TExportCommands(monitor_, TPSession, this);
    TDatabasePages* db = databasePages_;
    for (QWidget* control :
         {static_cast<QWidget*>(db->ReDatabaseInfo), static_cast<QWidget*>(db->LvNlsParameter),
          static_cast<QWidget*>(db->LvSystemparameter), static_cast<QWidget*>(db->lvsystemevent)})
        exports_->AttachPopup(control);
    exports_->AddTextArea(pgDBInfo, [db] { return db->ReDatabaseInfo; });

    // The session list's own item ends its popup menu.
    PMSessionList->addSeparator();
    exports_->AddExport(
        "AcSaveSesslist", "PMISavesesslist", pgSessList, [this] { return lvsessionlist_; }, 1,
        PMSessionList);
    // PMTab, in its order.
    TDetailPages* dp = detailPages_;
    for (QWidget* control :
         {static_cast<QWidget*>(dp->LvSessionDetails), static_cast<QWidget*>(dp->lvstatistics),
          static_cast<QWidget*>(dp->lvEvents), static_cast<QWidget*>(dp->lvCurrentWaitInformation),
          static_cast<QWidget*>(dp->LvMemory)})
        exports_->AttachPopup(control);
    exports_->AddExport(
        "AcSaveMemory", "TMiSavememoryToFile", pgMemory, [dp] { return dp->LvMemory; }, 1);
    exports_->AddExport(
        "AcSaveDbinfo", "PMISaveDbinfo", pgDBInfo, [db] { return db->ReDatabaseInfo; }, 0);
    exports_->AddExport(
        "AcSaveSystemP", "PMISaveSystemP", pgSystemParameter,
        [db] { return db->LvSystemparameter; }, 0);
    exports_->AddExport(
        "AcSaveNlsP", "PMISaveNlsp", pgNlsParameter, [db] { return db->LvNlsParameter; }, 0);
    exports_->AddExport(
        "AcSaveSystemE", "PMISaveSysteme", pgSystemEvent, [db] { return db->lvsystemevent; }, 0);
    exports_->AddExport(
        "AcSaveSessionDetails", "PMISaveSessiondetails", pgSessDetails,
        [dp] { return dp->LvSessionDetails; }, 0);
    exports_->AddExport(
        "AcSaveSessionStatistics", "PMISaveSessionStatistics", pgSessStatistics,
        [dp] { return dp->lvstatistics; }, 2);
    exports_->AddExport(
        "AcSaveSessionEvent", "PMISaveSessionEvent", pgSessWaits, [dp] { return dp->lvEvents; }, 2);
    exports_->AddExport(
        "AcSaveFindObj", "PMISaveFindObj", pgCurrentEventDetails,
        [dp] { return dp->lvCurrentWaitInformation; }, 2);
    exports_->AttachPopup(locksPage_->LockList());
    exports_->AddExport(
        "AcSaveLocks", "PmiSaveLocks", pgSessLocks, [this] { return locksPage_->LockList(); }, 1);
    // The statement box of the SQL page; its cursors are saved by the page's own AcSaveSql.
    exports_->AddTextArea(pgSessSql, [this] { return sqlPage_->StatementBox(); });

    connect(AcCopy, &QAction::triggered, this, [this] { exports_->Copy(); });
    connect(AcSelectAll, &QAction::triggered, this, [this] { exports_->SelectAll(); });
}

void TFrmMain::UpdateDatabaseActions() {
    if (!exports_)
        return;
    exports_->UpdateEditActions(AcCopy, AcSelectAll);
    exports_->UpdateVisibility();
    databasePages_->AcModifySystemParameterUpdate();
}

void TFrmMain::AcDbInfoExecute() {
    databasePages_->AcDbInfoExecute();
    // A disconnect during the load leaves the pages hidden.
    if (monitor_.Connected())
        ShowPage(pgDBInfo);
}

void TFrmMain::AcNlsParameterExecute() {
    databasePages_->AcNlsParameterExecute();
    // A disconnect during the load leaves the pages hidden.
    if (monitor_.Connected())
        ShowPage(pgNlsParameter);
}

void TFrmMain::AcSystemParameterExecute() {
    databasePages_->AcSystemParameterExecute();
    // A disconnect during the load leaves the pages hidden.
    if (monitor_.Connected())
        ShowPage(pgSystemParameter);
}

void TFrmMain::AcSystemEventExecute() {
    databasePages_->AcSystemEventExecute();
    // A disconnect during the load leaves the pages hidden.
    if (monitor_.Connected())
        ShowPage(pgSystemEvent);
}

} // namespace gui
