// The "Top SQL" page: the heaviest statements of the shared pool by the figure chosen in
// "Order by" (the first "Top" of them), with their figures per execution; the selected
// statement's full text with its keywords coloured as on the "Session SQL" page, and the
// sessions running it now. The loads live in monitor/TopSql. User-interface thread only.
#pragma once

#include "detail/SqlHighlight.h"
#include "gui/pages/DatabasePages.h"
#include "monitor/TextListModel.h"
#include "monitor/TopSql.h"

#include <QWidget>
#include <string>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTextEdit;

namespace gui {

class TTopSqlPage final : public QWidget {
    Q_OBJECT
public:
    TTopSqlPage(monitor::TPvConnection& monitor, QWidget* parent = nullptr);

    // Reads the list again with the chosen order and count; the selected statement stays
    // selected while it is still listed.
    void Load();
    // Shows the text and the sessions of the selected statement (cleared without one).
    void ShowSelected();

    QComboBox* OrderCombo() const { return orderCombo_; }
    QSpinBox* LimitSpin() const { return limitSpin_; }
    QPushButton* RefreshButton() const { return refreshButton_; }
    TReportListView* StatementList() const { return statementList_; }
    TReportListView* SessionList() const { return sessionList_; }
    QTextEdit* StatementBox() const { return statementEdit_; }
    QLabel* SessionsLabel() const { return sessionsLabel_; }
    monitor::TTextListModel& StatementModel() { return statementModel_; }
    monitor::TTextListModel& SessionModel() { return sessionModel_; }

private:
    monitor::TPvConnection& monitor_;
    monitor::TTextListModel statementModel_;
    monitor::TTextListModel sessionModel_;
    detail::TSqlTextModel textModel_;
    QComboBox* orderCombo_ = nullptr;
    QSpinBox* limitSpin_ = nullptr;
    QPushButton* refreshButton_ = nullptr;
    TReportListView* statementList_ = nullptr;
    TReportListView* sessionList_ = nullptr;
    QTextEdit* statementEdit_ = nullptr;
    QLabel* sessionsLabel_ = nullptr;
    // A load waits for its statement with the window usable: a selection made meanwhile is
    // shown when the running load has ended.
    bool loading_ = false;
    bool again_ = false;
    std::string shownSqlId_;
};

} // namespace gui
