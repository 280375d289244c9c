// The "Activity" page: what the instance was doing over the last 5 minutes, hour or day, from
// the activity history — the average active sessions by wait class with the number of CPUs
// (TActivityChart), and for the range dragged over (else the whole chart) the top sessions, SQL
// and events with their shares. Export of the chart as PNG and of the range's samples as CSV.
// It reads on a TActivityReader, again after each sample while it is shown. User-interface
// thread only.
#pragma once

#include "history/ActivityReader.h"
#include "history/ActivitySampler.h"
#include "history/ActivitySeries.h"
#include "history/ActivitySummary.h"

#include <QElapsedTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

class QComboBox;
class QLabel;
class QPushButton;
class QSplitter;
class QTreeWidget;

namespace gui {

class TActivityChart;

class TActivityPage final : public QWidget {
    Q_OBJECT
public:
    // The page keeps the sampler: the window's other parts may go before it.
    TActivityPage(std::shared_ptr<history::TActivitySampler> sampler, QWidget* parent = nullptr);
    ~TActivityPage() override;

    // The ranges of the "Range" box, and their seconds.
    enum TWindow { Last5Minutes, LastHour, LastDay };
    static std::int64_t WindowSeconds(int window);

    void SetShown(bool shown);
    bool Shown() const { return shown_; }
    // Reads the chart and, with `lists`, the top lists again (after the running read when one
    // runs).
    void Reload(bool lists = true);
    // Reads that have been shown so far.
    int ReadsShown() const { return readsShown_; }
    bool Reading() const { return reader_.Busy(); }

    // The range the top lists are of: the selection, else the chart's whole range.
    std::pair<std::int64_t, std::int64_t> ListedRange() const;
    const history::TActivitySummary& Summary() const { return summary_; }

    // Saves the chart as a PNG picture; false when it could not be written.
    bool ExportPng(const QString& path);
    // Writes the listed range's samples as CSV on the reader; `done` runs on this thread with
    // the samples written, or -1 and the error.
    void ExportCsv(const QString& path,
                   std::function<void(std::int64_t rows, const QString& error)> done);

    // A double-click on a session of the top list, or on a statement.
    std::function<void(const std::string& sid, const std::string& serial)> OnOpenSession;
    std::function<void(const std::string& sqlId)> OnOpenSql;

    QComboBox* WindowCombo() const { return windowCombo_; }
    TActivityChart* Chart() const { return chart_; }
    QTreeWidget* SessionList() const { return sessionList_; }
    QTreeWidget* SqlList() const { return sqlList_; }
    QTreeWidget* EventList() const { return eventList_; }
    QLabel* SummaryLabel() const { return summaryLabel_; }
    QLabel* RangeLabel() const { return rangeLabel_; }
    QPushButton* PngButton() const { return pngButton_; }
    QPushButton* CsvButton() const { return csvButton_; }

private:
    void ShowRead(const history::TActivitySeries& series, const history::TActivitySummary& summary,
                  const std::string& error);
    void FillList(QTreeWidget* list, history::TTopList kind,
                  const std::vector<history::TTopEntry>& entries);
    void AskPng();
    void AskCsv();

    std::shared_ptr<history::TActivitySampler> sampler_;
    history::TActivityReader reader_;
    history::TActivitySummary summary_;
    bool shown_ = false;
    int readsShown_ = 0;
    QElapsedTimer sinceRead_; // since the last read was asked for
    QComboBox* windowCombo_ = nullptr;
    TActivityChart* chart_ = nullptr;
    QTreeWidget* sessionList_ = nullptr;
    QTreeWidget* sqlList_ = nullptr;
    QTreeWidget* eventList_ = nullptr;
    QSplitter* listsSplit_ = nullptr; // the three top lists side by side
    bool listsSized_ = false;         // the lists' shares of the width follow their first rows
    QLabel* summaryLabel_ = nullptr;
    QLabel* rangeLabel_ = nullptr;
    QPushButton* pngButton_ = nullptr;
    QPushButton* csvButton_ = nullptr;
};

} // namespace gui
