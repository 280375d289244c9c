// TFrmOptions, the options dialog: auto refresh and its interval, which sessions are listed, the
// sort statistic, the optional columns of the session list, and the activity history's sampling
// interval, retention and size cap. It reads the monitor (and the history's options) on opening
// and hands back its values; the caller applies them. User-interface thread only.
#pragma once

#include "history/ActivitySampler.h"
#include "monitor/DisplayOptions.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QListWidget;
class QSpinBox;
class QTabWidget;
class QWidget;

namespace monitor {

class TFrmOptions : public QDialog {
    Q_OBJECT
public:
    explicit TFrmOptions(QWidget* parent = nullptr);

    // Fills the controls from the monitor and shows the "Display" page.
    void LoadFrom(const TPvConnection& monitor);
    TOptionsValues Values() const;
    // Fills the "History" page, and its values.
    void LoadHistory(const history::THistoryOptions& options);
    history::THistoryOptions HistoryValues() const;

    QTabWidget* Pages = nullptr;
    QWidget* displayPage = nullptr;
    QWidget* sortPage = nullptr;
    QWidget* historyPage = nullptr;
    QSpinBox* sampleIntervalSpin = nullptr;
    QSpinBox* retentionSpin = nullptr;
    QSpinBox* maxSizeSpin = nullptr;
    QCheckBox* autoRefreshCheck = nullptr;
    // The interval in seconds with its up-down arrows.
    QSpinBox* refreshIntervalSpin = nullptr;
    QCheckBox* showBackgroundCheck = nullptr;
    QCheckBox* showKilledCheck = nullptr;
    QComboBox* statisticsClassCombo = nullptr;
    QComboBox* sortStatisticCombo = nullptr;
    // The statistic as its total since logon (0) or its change per second (1).
    QComboBox* statisticShownAsCombo = nullptr;
    QWidget* columnsPage = nullptr;
    // One checkable item per optional column (see SessionListColumns.h), in its order; a column
    // the connected instance lacks is disabled.
    QListWidget* columnsList = nullptr;

private:
    void UpdateIntervalEnabled();
    void FillNames();
    const TPvConnection* monitor_ = nullptr;
};

} // namespace monitor
