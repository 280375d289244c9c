// The content of the "Session SQL" page: the header strip, the open-cursor list openCursorsList_,
// the statement box statementEdit_ with the keyword colours, the SQL observer that fills them and
// the page's "Export to File" command saveAction_. User-interface thread only.
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

// Writes the runs of a statement into a statement box as the "Session SQL" page shows them:
// keywords in blue (made readable on the box's background), the rest in the window-text colour.
void ShowSqlRuns(QTextEdit* box, const detail::TSqlTextModel& text);

class TSqlPage final : public QWidget {
    Q_OBJECT
public:
    TSqlPage(monitor::TPvConnection& monitor, QWidget* parent = nullptr);

    const std::shared_ptr<detail::TSessSqlObserver>& Observer() const { return observer_; }
    monitor::TSessionListModel& CursorModel() { return cursorModel_; }
    detail::TSqlTextModel& TextModel() { return textModel_; }
    QTreeView* CursorList() const { return openCursorsList_; }
    QTextEdit* StatementBox() const { return statementEdit_; }
    QMenu* Popup() const { return exportMenu_; }
    QAction* SaveAction() const { return saveAction_; }

    // The header: user name, machine and program of the selected session (blank without one).
    void FillHeader();
    // Offers the save dialog and saves the selected cursors (saveAction_).
    void onSaveSql();
    // Saves the selected cursors to `fileName` without a dialog.
    bool SaveSelectedTo(const QString& fileName);
    // Rows of openCursorsList_ that are selected, in list order.
    std::vector<int> SelectedRows() const;
    // saveAction_ is shown while openCursorsList_ has rows.
    void updateSaveAction();

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
    QLabel *usernameValue_ = nullptr, *machineValue_ = nullptr, *programValue_ = nullptr;
    QTreeView* openCursorsList_ = nullptr;
    QTextEdit* statementEdit_ = nullptr;
    QMenu* exportMenu_ = nullptr;
    QAction* saveAction_ = nullptr;
};

} // namespace gui
