// TFrmAddSqlcollector, "Sql collector": defines a collector — name, log file, filter kind and
// value, schedule, run time period and monitor sampling — in add or modify mode, with its value
// lists read from the instance at each opening. Created once and reused; user-interface thread.
#pragma once

#include "capture/SqlCollector.h"

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace oradb {
class TOraSession;
}

namespace capture {

class TFrmAddSqlcollector final : public QDialog {
    Q_OBJECT
public:
    explicit TFrmAddSqlcollector(QWidget* parent = nullptr);

    // The workstation clock (tests inject one).
    std::function<TDateTime()> Now;
    // The names of the other collectors: a new or renamed collector may not take one of them.
    std::vector<std::string> TakenNames;

    // Fill the lists from the session and set the controls for adding or modifying a collector.
    void PrepareAdd(oradb::TOraSession* session);
    void PrepareModify(oradb::TOraSession* session, const TSqlCollector& collector);
    // The definition the controls hold (after OK).
    TCollectorDefinition Definition() const;
    // "&Ok": the checks in order; the dialog closes with OK when all pass.
    void onOkClicked();
    // The server time read at opening (the workstation's when the query failed).
    TDateTime ServerTime() const { return serverTime_; }

    QLineEdit *nameEdit, *logFileNameEdit, *logDirEdit, *monthEdit, *dayEdit, *yearEdit;
    QPushButton *browseButton, *okButton, *cancelButton;
    QComboBox *filterKindCombo, *filterValueCombo, *hourCombo, *minuteCombo, *runTimeCombo,
        *runTimeUnitCombo, *samplingCombo, *samplingUnitCombo;
    QCheckBox* scheduleCheck;

private:
    void FillLists(oradb::TOraSession* session);
    void KindChanged(int kind);
    void ScheduleChanged();
    void ShowDate(TDateTime t);
    void ShowPeriod(int seconds, QComboBox* entry, QComboBox* unit);
    void Refuse(const QString& text);
    // Asks whether a start in the past is meant; true to go on with it.
    bool KeepPastStart(TDateTime start);

    // The value lists: session ids, addresses and display texts, then one list per kind.
    std::vector<std::string> sessionIds_, sessionAddresses_;
    std::vector<std::vector<std::string>> kindLists_; // by kind; kind Session: display texts
    TDateTime serverTime_ = 0;
    std::int64_t startDate_ = 0;
};

} // namespace capture
