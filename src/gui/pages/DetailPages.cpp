// The session detail pages and the sheet navigation of the main window.
#include "gui/pages/DetailPages.h"

#include "detail/CurrentWaitInformation.h"
#include "gui/pages/DetailHeader.h"
#include "gui/pages/LocksPage.h"
#include "gui/pages/SqlPage.h"
#include "gui/views/DetailListView.h"
#include "gui/views/SessionListView.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace gui {

using monitor::wkDetails;
using monitor::wkLocks;
using monitor::wkSql;
using monitor::wkStatistics;
using monitor::wkWaits;

TDetailPages::TDetailPages(TFrmMain& window, monitor::TPvConnection& monitor, QTabWidget& tabs,
                           const std::array<QWidget*, PageCount>& pages)
    : QObject(&window), window_(window), monitor_(monitor), tabs_(tabs), pages_(pages) {
    setObjectName(QStringLiteral("DetailPages"));
    DetailsObserver = std::make_shared<detail::TSessDetailsObserver>(monitor_, SessionDetailsModel);
    StatisticsObserver =
        std::make_shared<detail::TSessStatisticsObserver>(monitor_, StatisticsModel);
    WaitsObserver =
        std::make_shared<detail::TSessWaitsObserver>(monitor_, EventsModel, CurrentWaitsModel);
    CurrentWaitsModel.SetColumns(detail::TSessWaitsObserver::CurrentWaitColumns());
    WaitInformationModel.SetColumns(detail::WaitInformationColumns());
    MemoryModel.SetColumns(detail::ProbeHistoryColumns());
    // After the session list's observer: events, details, (SQL), statistics, (locks).
    monitor_.Attach(WaitsObserver);
    monitor_.Attach(DetailsObserver);
    monitor_.Attach(window_.SqlPage()->Observer());
    monitor_.Attach(StatisticsObserver);
    monitor_.Attach(window_.LocksPage()->Observer());
    detail::RegisterDetailsThread(monitor_);
    detail::RegisterStatisticsThread(monitor_);
    detail::RegisterWaitsThread(monitor_);
    detail::RegisterMemoryThread(
        monitor_, {&MemoryModel, [this](bool enabled) { probeButton->setEnabled(enabled); }});

    shownSwitch_[wkDetails] = [this](bool on) { DetailsObserver->SetActive(on); };
    shownSwitch_[wkStatistics] = [this](bool on) { StatisticsObserver->SetActive(on); };
    shownSwitch_[wkWaits] = [this](bool on) { WaitsObserver->SetActive(on); };
    shownSwitch_[wkSql] = [this](bool on) { monitor_.SetViewShown(wkSql, on); };
    shownSwitch_[wkLocks] = [this](bool on) { monitor_.SetViewShown(wkLocks, on); };

    BuildSessionPages();
    BuildObjectPage();
    BuildMemoryPage();
    for (int i = SessionListPage + 1; i < PageCount; ++i)
        pages_[static_cast<std::size_t>(i)]->installEventFilter(this);
    // A hidden page area is being emptied (disconnect) or prepared (connect): no view requests.
    connect(&tabs_, &QTabWidget::currentChanged, this, [this] {
        if (!suppressPageChange_ && !tabs_.isHidden())
            PageChange();
    });
}

TDetailPages::~TDetailPages() = default;

void TDetailPages::SetShownSwitch(monitor::TWorkerKind kind,
                                  std::function<void(bool)> shownSwitch) {
    shownSwitch_[kind] = std::move(shownSwitch);
}

// ---- building the pages ----

QWidget* TDetailPages::AddHeader(TPage page, const std::array<const char*, 3>& valueNames) {
    QWidget* host = pages_[static_cast<std::size_t>(page)];
    auto* layout = new QVBoxLayout(host);
    layout->setContentsMargins(2, 2, 2, 2);
    auto& values = headers_[static_cast<std::size_t>(page)];
    layout->addWidget(sqllocks::MakeDetailHeader(
        host, values[0], values[1], values[2], QString::fromLatin1(valueNames[0]),
        QString::fromLatin1(valueNames[1]), QString::fromLatin1(valueNames[2])));
    return host;
}

void TDetailPages::BuildSessionPages() {
    // "Session Details"
    QWidget* page = AddHeader(
        SessionDetailsPage, {"detailsUsernameValue", "detailsMachineValue", "detailsProgramValue"});
    sessionDetailsList = new TDetailListView(SessionDetailsModel, "LvSessionDetails", page);
    page->layout()->addWidget(sessionDetailsList);

    // "Session Statistics"
    page = AddHeader(SessionStatisticsPage, {"statisticsUsernameValue", "statisticsMachineValue",
                                             "statisticsProgramValue"});
    auto* classRow = new QHBoxLayout;
    classRow->addWidget(new QLabel(QStringLiteral("Statistic Class"), page));
    statisticClassCombo = new QComboBox(page);
    statisticClassCombo->setObjectName(QStringLiteral("statisticClassCombo"));
    for (const auto& c : monitor::kStatisticClasses)
        statisticClassCombo->addItem(
            QString::fromLatin1(c.name.data(), static_cast<qsizetype>(c.name.size())));
    statisticClassCombo->setCurrentIndex(0);
    classRow->addWidget(statisticClassCombo);
    classRow->addStretch();
    static_cast<QVBoxLayout*>(page->layout())->addLayout(classRow);
    connect(statisticClassCombo, &QComboBox::activated, this,
            [this](int i) { onStatisticClassChanged(i); });
    statisticsList = new TDetailListView(StatisticsModel, "lvstatistics", page);
    page->layout()->addWidget(statisticsList);

    // "Session Event"
    page = AddHeader(SessionWaitsPage,
                     {"eventsUsernameValue", "eventsMachineValue", "eventsProgramValue"});
    eventsList = new TDetailListView(EventsModel, "lvEvents", page);
    page->layout()->addWidget(eventsList);
    showIdleEventsCheck = new QCheckBox(QStringLiteral("Show idle events"), page);
    showIdleEventsCheck->setObjectName(QStringLiteral("showIdleEventsCheck"));
    showIdleEventsCheck->setToolTip(
        QStringLiteral("List the waits for the client or for work too"));
    page->layout()->addWidget(showIdleEventsCheck);
    connect(showIdleEventsCheck, &QCheckBox::toggled, this, [this](bool on) {
        monitor_.ShowIdleEvents = on;
        // The stored events are shown again through the filter.
        if (!monitor_.WaitsEventsLoading && monitor_.SelectedSession())
            monitor_.Notify(monitor::ncEventsStored);
    });
    page->layout()->addWidget(new QLabel(QStringLiteral("Current Wait:"), page));
    currentWaitsList = new TDetailListView(CurrentWaitsModel, "currentWaitsList", page);
    currentWaitsList->setMaximumHeight(70);
    currentWaitsList->setContextMenuPolicy(Qt::CustomContextMenu);
    page->layout()->addWidget(currentWaitsList);
    currentWaitMenu = new QMenu(currentWaitsList);
    currentWaitMenu->setObjectName(QStringLiteral("currentWaitMenu"));
    propertyItem = currentWaitMenu->addAction(QStringLiteral("Property"));
    propertyItem->setObjectName(QStringLiteral("propertyItem"));
    connect(propertyItem, &QAction::triggered, this, [this] { onPropertyClicked(); });
    connect(currentWaitsList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { onCurrentWaitSelected(currentWaitsList->SelectedRow() >= 0); });
    connect(currentWaitsList, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        if (popupAttached_)
            currentWaitMenu->popup(currentWaitsList->viewport()->mapToGlobal(p));
    });

    for (TDetailListView* list : {sessionDetailsList, statisticsList, eventsList}) {
        connect(list->header(), &QHeaderView::sectionClicked, this,
                [this, list](int column) { SortColumnClick(list, column); });
        KeepSorted(list);
    }
}

void TDetailPages::KeepSorted(TDetailListView* list) {
    // New rows keep the order the user chose (the arrow shows which).
    connect(&list->Model(), &QAbstractItemModel::modelReset, this, [this, list] {
        const QHeaderView* header = list->header();
        const int column = header->sortIndicatorSection();
        if (header->isSortIndicatorShown() && column >= 0 && column < header->count() &&
            list->Model().rowCount() > 1)
            SortList(list, column, header->sortIndicatorOrder() == Qt::AscendingOrder, false);
    });
}

// ---- navigation ----

void TDetailPages::PageChange() {
    const int page = tabs_.currentIndex();
    if (page != SessionListPage) {
        window_.CloseButton()->setVisible(true);
        window_.CloseButton()->raise();
    } else {
        window_.CloseButton()->setVisible(false);
    }
    monitor::TWorkerKind on;
    switch (page) {
    case SessionListPage:
        on = monitor::wkList; // none on
        break;
    case SessionDetailsPage:
        on = wkDetails;
        break;
    case SessionWaitsPage:
        on = wkWaits;
        break;
    case SessionSqlPage:
        on = wkSql;
        break;
    case SessionStatisticsPage:
        on = wkStatistics;
        break;
    case SessionLocksPage:
        on = wkLocks;
        break;
    default:
        return; // any other page leaves the flags as they are
    }
    // SQL and statistics set the locks flag before the statistics flag.
    const bool locksBeforeStatistics = page == SessionSqlPage || page == SessionStatisticsPage;
    std::array<monitor::TWorkerKind, 5> order = {wkDetails, wkWaits, wkSql, wkStatistics, wkLocks};
    if (locksBeforeStatistics)
        order = {wkDetails, wkWaits, wkSql, wkLocks, wkStatistics};
    for (monitor::TWorkerKind kind : order)
        shownSwitch_[kind](kind == on);
}

void TDetailPages::OpenDetailPage(TPage page) {
    const std::vector<int> rows = window_.SessionList()->SelectedRows();
    if (rows.empty())
        return;
    const monitor::TSessionListModel& list = window_.SessionListModel();
    monitor_.SelectSession(list.Caption(rows[0]), list.Serial(rows[0]));
    suppressPageChange_ = true;
    tabs_.setTabVisible(page, true);
    tabs_.setCurrentIndex(page);
    suppressPageChange_ = false;
    FillHeader(page);
    PageChange();
}

void TDetailPages::CloseActivePage() {
    const int current = tabs_.currentIndex();
    if (current <= SessionListPage)
        return;
    suppressPageChange_ = true;
    tabs_.setTabVisible(current, false);
    suppressPageChange_ = false;
    if (tabs_.currentIndex() == SessionListPage)
        window_.CloseButton()->hide();
}

std::array<QLabel*, 3> TDetailPages::HeaderValues(TPage page) const {
    return headers_[static_cast<std::size_t>(page)];
}

void TDetailPages::FillHeader(TPage page) {
    const auto& labels = headers_[static_cast<std::size_t>(page)];
    if (labels[0])
        sqllocks::FillDetailHeader(monitor_, labels[0], labels[1], labels[2]);
}

bool TDetailPages::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show) {
        for (int i = SessionListPage + 1; i < PageCount; ++i)
            if (watched == pages_[static_cast<std::size_t>(i)]) {
                window_.CloseButton()->setVisible(true);
                window_.CloseButton()->raise();
                FillHeader(static_cast<TPage>(i));
                if (i == TuningMemoryPage)
                    UpdateAutoProbeLabels();
            }
    }
    return QObject::eventFilter(watched, event);
}

// ---- statistics and current wait ----

void TDetailPages::onStatisticClassChanged(int index) {
    if (index < 0 || index >= static_cast<int>(monitor::kStatisticClasses.size()))
        return;
    const auto& name = monitor::kStatisticClasses[static_cast<std::size_t>(index)].name;
    monitor_.SetStatisticClassMask(detail::StatisticClassCode(std::string(name)));
    monitor_.Notify(monitor::ncStatisticsStored);
}

void TDetailPages::onCurrentWaitSelected(bool selected) {
    popupAttached_ = false;
    if (!selected)
        return;
    monitor_.WaitingBlockState = 4;
    const monitor::TRSession* s = monitor_.SelectedSession();
    if (!s)
        return;
    const auto& w = s->Waits().currentWait;
    if (!detail::IsBlockWaitEvent(w[monitor::cwEvent]))
        return;
    bool fileOk = false, blockOk = false;
    const int file = QString::fromStdString(w[monitor::cwP1]).toInt(&fileOk);
    const int block = QString::fromStdString(w[monitor::cwP2]).toInt(&blockOk);
    if (!fileOk || !blockOk)
        return;
    monitor_.WaitingBlockState = 0;
    monitor_.WaitingBlock.fileId = file;
    monitor_.WaitingBlock.blockId = block;
    popupAttached_ = true;
}

void TDetailPages::onPropertyClicked() {
    tabs_.setTabVisible(ObjectPage, true);
    tabs_.setCurrentIndex(ObjectPage);
    detail::StartWaitInformationLookup(
        monitor_, {&WaitInformationModel, &CurrentWaitsModel,
                   [this](bool enabled) { searchButton->setEnabled(enabled); }});
}

// ---- sorting ----

void TDetailPages::SortColumnClick(TDetailListView* list, int column) {
    window_.SortAscending = !window_.SortAscending;
    window_.SortColumn = column;
    SortList(list, column, window_.SortAscending);
}

void TDetailPages::SortList(TDetailListView* list, int column, bool ascending, bool tell) {
    list->header()->setSortIndicatorShown(true);
    list->header()->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    using R = detail::TDetailCompare;
    R rule = R::Equal;
    if (list == sessionDetailsList)
        rule = column == 0 ? R::TextReverse : R::Equal;
    else if (list == statisticsList)
        rule = column == 1 ? R::Text : column >= 2 && column <= 4 ? R::Numeric : R::Equal;
    else if (list == eventsList)
        rule = column == 1                  ? R::Text
               : column >= 2 && column <= 3 ? R::Numeric
               : column >= 4 && column <= 6 ? R::WaitTime
                                            : R::Equal;
    else if (list == memoryHistory)
        rule = column == 0 ? R::DateTime : column <= 4 ? R::Numeric : R::Equal;
    try {
        list->Model().Reorder(detail::DetailSortOrder(list->Model(), column, rule, ascending));
    } catch (const std::exception& e) {
        // Rows that do not convert ("Loading...") stay as they came when new rows arrive; a
        // click tells the user.
        if (tell)
            ShowError(QString::fromUtf8(e.what()));
    }
}

void TDetailPages::ShowError(const QString& text) {
    QMessageBox::critical(&window_, QApplication::applicationDisplayName(), text);
}

} // namespace gui
