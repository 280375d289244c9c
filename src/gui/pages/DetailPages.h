// The detail sheets of the main window: the pages of the session detail views (details,
// statistics, events; the header strips of all five), the "Object" and "Tuning Memory" pages,
// their observers, and the sheet navigation (opening, the page-change logic with its view-shown
// flags, closing, show handlers, sorting of the detail lists). User-interface thread only.
#pragma once

#include "detail/DetailListModel.h"
#include "detail/MemoryProbe.h"
#include "detail/SessionDetails.h"
#include "detail/SessionStatistics.h"
#include "detail/SessionWaits.h"
#include "gui/MainWindow.h"

#include <QObject>
#include <array>
#include <functional>
#include <memory>

class QComboBox;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace gui {

class TDetailListView;

class TDetailPages final : public QObject {
    Q_OBJECT
public:
    TDetailPages(TFrmMain& window, monitor::TPvConnection& monitor, QTabWidget& tabs,
                 const std::array<QWidget*, PageCount>& pages);
    ~TDetailPages() override;

    // ---- navigation ----
    // The page-change logic (run when the active tab changes): the close button and the five
    // view-shown flags for the active page.
    void PageChange();
    // The show-details command and the other four: with a selected row of the session list, selects
    // its session, shows and activates the page and runs the page-change logic.
    void OpenDetailPage(TPage page);
    // The close button: hides the active sheet's tab (not page 0); the tab the toolkit activates
    // then does not run the page-change logic.
    void CloseActivePage();
    void onFindObject();
    void onTuneMemory();
    // The shown switch of a detail view by worker kind (wkDetails .. wkWaits). The SQL and locks
    // views set the monitor's flag until their observers are registered here.
    void SetShownSwitch(monitor::TWorkerKind kind, std::function<void(bool)> shownSwitch);
    // The content area of the "Session SQL" and "Session Locks" pages, below their headers.
    // The header value labels (user name, machine, program) of a detail page.
    std::array<QLabel*, 3> HeaderValues(TPage page) const;
    void FillHeader(TPage page);

    // ---- session details, statistics, events ----
    detail::TDetailListModel SessionDetailsModel, StatisticsModel, EventsModel, CurrentWaitsModel;
    std::shared_ptr<detail::TSessDetailsObserver> DetailsObserver;
    std::shared_ptr<detail::TSessStatisticsObserver> StatisticsObserver;
    std::shared_ptr<detail::TSessWaitsObserver> WaitsObserver;
    TDetailListView* sessionDetailsList = nullptr;
    TDetailListView* statisticsList = nullptr;
    TDetailListView* eventsList = nullptr;
    // Lists the idle events too (the list leaves them out by default).
    QCheckBox* showIdleEventsCheck = nullptr;
    TDetailListView* currentWaitsList = nullptr;
    QComboBox* statisticClassCombo = nullptr;
    QMenu* currentWaitMenu = nullptr;
    QAction* propertyItem = nullptr;
    // Whether "Property" is offered for the selected current wait.
    bool CurrentWaitPopupAttached() const { return popupAttached_; }
    void onCurrentWaitSelected(bool selected);
    void onPropertyClicked();
    void onStatisticClassChanged(int index);

    // ---- "Object" page ----
    detail::TDetailListModel WaitInformationModel;
    TDetailListView* waitObjectList = nullptr;
    QLineEdit* fileIdEdit = nullptr;
    QLineEdit* blockIdEdit = nullptr;
    QPushButton* searchButton = nullptr;
    void onBlockAddressChanged();
    void onSearchClicked();

    // ---- "Tuning Memory" page ----
    detail::TDetailListModel MemoryModel;
    TDetailListView* memoryHistory = nullptr;
    QPushButton* probeButton = nullptr;
    QPushButton* scheduleButton = nullptr;
    QPushButton* clearHistoryButton = nullptr;
    QLabel* autoProbeValue = nullptr;
    QLabel* intervalLabel = nullptr;
    QLabel* intervalValue = nullptr;
    void onScheduleClicked();
    void UpdateAutoProbeLabels();
    void ClearProbeHistory();

    // Sorts a detail list by a column as a click on its header does.
    void SortColumnClick(TDetailListView* list, int column);
    // Sorts `list` by `column` under the column's rule and shows the arrow there; a failing
    // sort is shown in a message box when `tell`.
    void SortList(TDetailListView* list, int column, bool ascending, bool tell = true);
    // Sorts the list again, as the arrow says, whenever new rows arrive.
    void KeepSorted(TDetailListView* list);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildSessionPages();
    void BuildObjectPage();
    void BuildMemoryPage();
    QWidget* AddHeader(TPage page, const std::array<const char*, 3>& valueNames);
    void ShowError(const QString& text);

    TFrmMain& window_;
    monitor::TPvConnection& monitor_;
    QTabWidget& tabs_;
    std::array<QWidget*, PageCount> pages_;
    std::array<std::array<QLabel*, 3>, PageCount> headers_{};
    std::array<std::function<void(bool)>, monitor::wkCount> shownSwitch_;
    bool popupAttached_ = false;
    bool suppressPageChange_ = false;
};

} // namespace gui
