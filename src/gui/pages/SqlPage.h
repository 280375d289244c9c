// The content of the "Session SQL" page: the header strip, the open-cursor list lvAllsql, the
// statement box RECurrentSql with the keyword colours, the SQL observer that fills them and the
// page's "Export to File" command AcSaveSql. User-interface thread only.
#pragma once

#include "detail/SessionSql.h"
#include "gui/pages/DetailHeader.h"

#include <QWidget>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QTextEdit;
class QTreeView;

namespace gui {

class TSqlPage final : public QWidget {
    Q_OBJECT
public:
    TSqlPage(monitor::TPvConnection& monitor, QWidget* parent = nullptr);

    const std::shared_ptr<detail::TSessSqlObserver>& Observer() const { return observer_; }
    monitor::TSessionListModel& CursorModel() { return cursorModel_; }
    detail::TSqlTextModel& TextModel() { return textModel_; }
    QTreeView* CursorList() const { return lvAllsql; }
    QTextEdit* StatementBox() const { return RECurrentSql; }
    QMenu* Popup() const { return PMTab; }
    QAction* SaveAction() const { return AcSaveSql; }

    // The header: user name, machine and program of the selected session (blank without one).
    void FillHeader();
    // Offers the save dialog and saves the selected cursors (AcSaveSql).
    void AcSaveSqlExecute();
    // Saves the selected cursors to `fileName` without a dialog.
    bool SaveSelectedTo(const QString& fileName);
    // Rows of lvAllsql that are selected, in list order.
    std::vector<int> SelectedRows() const;
    // AcSaveSql is shown while lvAllsql has rows.
    void AcSaveSqlUpdate();

    // The edit commands on the statement box (the window's copyAction and selectAllAction, while
    // this page is active): copy needs a selection of at least one character and the focus in the
    // box, select-all the focus.
    bool CanCopy() const;
    void Copy();
    bool CanSelectAll() const;
    void SelectAll();

protected:
    // Showing the page fills its header.
    void showEvent(QShowEvent* event) override;

private:
    void ShowText();
    void CursorsSelected(const QList<int>& rows);

    monitor::TPvConnection& monitor_;
    monitor::TSessionListModel cursorModel_;
    detail::TSqlTextModel textModel_;
    std::shared_ptr<detail::TSessSqlObserver> observer_;
    QLabel *LbSqlusernameV = nullptr, *LbSqlMachineV = nullptr, *LbSqlProgramV = nullptr;
    QTreeView* lvAllsql = nullptr;
    QTextEdit* RECurrentSql = nullptr;
    QMenu* PMTab = nullptr;
    QAction* AcSaveSql = nullptr;
};

} // namespace gui
