// The main window's database pages: "Database Info" (the report in databaseInfoText), "Nls
// Parameter", "System Parameter" with the parameter editor, and "System Event" with its sorting.
// The loads and the editor's rules live in monitor/DatabaseInfo; this class holds the
// controls and their handlers. User-interface thread only.
#pragma once

#include "monitor/DatabaseInfo.h"
#include "monitor/Monitor.h"
#include "monitor/TextListModel.h"

#include <QObject>
#include <QTreeView>
#include <functional>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;

namespace gui {

// A report-style list: whole-row selection, read-only, one row at a time, the model's initial
// column widths.
class TReportListView final : public QTreeView {
    Q_OBJECT
public:
    TReportListView(const QString& name, monitor::TTextListModel& model, QWidget* parent);
    monitor::TTextListModel& Model() const { return model_; }
    // The selected row, or -1.
    int SelectedRow() const;
    void SelectRow(int row);

private:
    monitor::TTextListModel& model_;
};

class TDatabasePages final : public QObject {
    Q_OBJECT
public:
    // Builds the controls into the four page widgets. `sortFlag` and `sortColumn` are the
    // window's shared sort state; `showError` shows a message box.
    TDatabasePages(monitor::TPvConnection& monitor, QWidget* dbInfoPage, QWidget* nlsPage,
                   QWidget* systemParameterPage, QWidget* systemEventPage, bool& sortFlag,
                   int& sortColumn, QObject* parent = nullptr);

    // The loads behind the opening commands.
    void loadDatabaseInfo();
    void loadNlsParameters();
    void loadSystemParameters();
    void loadSystemEvents();

    // The editor.
    void updateModifyAction();
    void onModifyParameter();
    void onSystemParameterSelected(int row);
    void onSystemEventColumnClicked(int column);
    // Sorts the system events by `column` and shows the arrow there; a failing sort is shown in
    // a message box when `tell`.
    void SortSystemEvents(int column, bool ascending, bool tell = true);

    QTextEdit* databaseInfoText = nullptr;
    TReportListView* nlsParameterList = nullptr;
    TReportListView* systemParameterList = nullptr;
    TReportListView* systemEventList = nullptr;
    QAction* modifyParameterAction = nullptr;
    QPushButton* modifyButton = nullptr;
    QLabel* newValueLabel = nullptr;
    QLineEdit* newValueEdit = nullptr;
    QCheckBox* sessionOnlyCheck = nullptr;
    // Lists the idle events too (the list leaves them out by default).
    QCheckBox* showIdleSystemEventsCheck = nullptr;

    monitor::TTextListModel& NlsModel() { return nlsModel_; }
    monitor::TTextListModel& SystemParameterModel() { return systemParameterModel_; }
    monitor::TTextListModel& SystemEventModel() { return systemEventModel_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RenderReport(const monitor::TReport& report);
    // Runs `load` unless another load is running: the window handles events while a load waits
    // for its statement, so a second command could otherwise fill the same page twice over.
    void Load(const std::function<void()>& load);
    bool loading_ = false;
    monitor::TPvConnection& monitor_;
    monitor::TTextListModel nlsModel_;
    monitor::TTextListModel systemParameterModel_;
    monitor::TTextListModel systemEventModel_;
    bool& sortFlag_;
    int& sortColumn_;
    QWidget* systemParameterPage_;
};

} // namespace gui
