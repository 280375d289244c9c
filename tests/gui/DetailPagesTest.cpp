// The detail sheets as a user drives them: opening, the page-change flags, closing, headers,
// the statistic class selector, the current-wait popup, the "Object" and "Tuning Memory" pages.
#include "gui/pages/DetailPages.h"

#include "gui/MainWindow.h"
#include "gui/dialogs/ProbeOptionsDialog.h"
#include "gui/views/DetailListView.h"
#include "gui/views/SessionListView.h"
#include "monitor/SessionControl.h"
#include "sandbox/SandboxInstance.h"
#include "support/ModalDriver.h"
#include "support/WindowRig.h"
#include "util/HandOver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

using testing_support::ListFetched;
using testing_support::ModalDriver;
using testing_support::shot;
using testing_support::ShowAndLogin;
using testing_support::waitFor;

class DetailPages : public testing_support::WindowTest {
protected:
    void SetUp() override {
        name = TestName();
        OpenInstanceAndWindow("sandbox::memory:" + name);
        window->resize(1000, 600);
        ASSERT_TRUE(ShowAndLogin(*window, "sandbox::memory:" + name));
        ASSERT_TRUE(waitFor([&] { return ListFetched(*window); }));
        pages = window->DetailPages();
    }
    bool Idle(monitor::TWorkerKind kind) {
        return waitFor([&] {
            auto* t = window->Monitor().Thread(kind);
            return !window->Monitor().Running(kind) && (!t || t->Finished());
        });
    }
    // Selects the list row of a user session (or of `sid`) and returns its sid.
    std::string SelectUserRow(const std::string& sid = {}) {
        const auto& rows = window->SessionListModel().RowsCopy();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const bool match = sid.empty() ? !rows[i].subItems[1].empty() &&
                                                 rows[i].subItems[6].rfind("quenby", 0) != 0
                                           : rows[i].caption == sid;
            if (match) {
                window->SessionList()->SelectRow(static_cast<int>(i));
                window->UpdateActions(); // the commands follow the selection
                return rows[i].caption;
            }
        }
        return {};
    }
    std::array<bool, 5> Flags() {
        auto& m = window->Monitor();
        return {m.ViewShown(monitor::wkDetails), m.ViewShown(monitor::wkWaits),
                m.ViewShown(monitor::wkSql), m.ViewShown(monitor::wkStatistics),
                m.ViewShown(monitor::wkLocks)};
    }
    gui::TDetailPages* pages = nullptr;
};

TEST_F(DetailPages, OpeningStatisticsNeedsASelectedRowThenFetchesThatSession) {
    QTabWidget* tabs = window->Pages();
    window->SessionList()->selectionModel()->clearSelection();
    window->showStatisticsAction->trigger();
    EXPECT_FALSE(tabs->isTabVisible(gui::SessionStatisticsPage));
    EXPECT_EQ(tabs->currentIndex(), gui::SessionListPage);

    const std::string sid = SelectUserRow();
    ASSERT_FALSE(sid.empty());
    window->UpdateActions();
    window->showStatisticsAction->trigger();
    EXPECT_TRUE(tabs->isTabVisible(gui::SessionStatisticsPage));
    EXPECT_EQ(tabs->currentIndex(), gui::SessionStatisticsPage);
    EXPECT_EQ(Flags(), (std::array<bool, 5>{false, false, false, true, false}));
    EXPECT_TRUE(window->CloseButton()->isVisible());
    ASSERT_TRUE(Idle(monitor::wkStatistics));
    ASSERT_FALSE(pages->StatisticsModel.Rows().empty());
    EXPECT_EQ(pages->StatisticsModel.Rows()[0].caption, sid);
    EXPECT_EQ(pages->statisticClassCombo->currentText(), "User");
    EXPECT_EQ(pages->statisticClassCombo->count(), 8);
    // Picking "Cache" filters the rows from the record.
    pages->statisticClassCombo->setCurrentIndex(3);
    pages->onStatisticClassChanged(3);
    EXPECT_EQ(window->Monitor().StatisticClassMask(), 8);
    for (const auto& r : pages->StatisticsModel.Rows())
        EXPECT_TRUE(detail::StatisticClassPasses(r.subItems[2], 8));
    // The header shows the session's schema, machine and program, cut to 15, 25 and 20.
    const auto* s = window->Monitor().SelectedSession();
    ASSERT_NE(s, nullptr);
    const auto header = pages->HeaderValues(gui::SessionStatisticsPage);
    EXPECT_EQ(header[0]->text().toStdString(),
              s->basic.fields[monitor::bfSchemaName].substr(0, 15));
    EXPECT_EQ(header[1]->text().toStdString(), s->basic.fields[monitor::bfMachine].substr(0, 25));
    EXPECT_EQ(header[2]->text().toStdString(), s->basic.fields[monitor::bfProgram].substr(0, 20));
    shot(window.get(), "page-statistics");
}

TEST_F(DetailPages, TabClicksSetTheFlagsAndOtherPagesLeaveThem) {
    SelectUserRow();
    window->showDetailsAction->trigger();
    ASSERT_TRUE(Idle(monitor::wkDetails));
    window->showWaitsAction->trigger();
    ASSERT_TRUE(Idle(monitor::wkWaits));
    window->showDetailsAction->trigger();
    window->databaseInfoAction->trigger();
    QTabWidget* tabs = window->Pages();
    tabs->setCurrentIndex(gui::SessionWaitsPage);
    EXPECT_EQ(Flags(), (std::array<bool, 5>{false, true, false, false, false}));
    tabs->setCurrentIndex(gui::SessionDetailsPage);
    EXPECT_EQ(Flags(), (std::array<bool, 5>{true, false, false, false, false}));
    ASSERT_TRUE(Idle(monitor::wkDetails));
    tabs->setCurrentIndex(gui::DatabaseInfoPage); // outside the table: unchanged
    EXPECT_EQ(Flags(), (std::array<bool, 5>{true, false, false, false, false}));
    tabs->setCurrentIndex(gui::SessionListPage);
    EXPECT_EQ(Flags(), (std::array<bool, 5>{false, false, false, false, false}));
    EXPECT_FALSE(window->CloseButton()->isVisible());
    EXPECT_FALSE(pages->SessionDetailsModel.Rows().empty());
    // At the width a DBA works at: the columns show their texts whole.
    window->resize(1280, 900);
    QCoreApplication::processEvents();
    shot(window.get(), "page-details-sessionlist");
}

TEST_F(DetailPages, ClosingTheRightmostActivatesItsLeftAndAMiddleOneItsRight) {
    SelectUserRow();
    window->showDetailsAction->trigger();
    window->showStatisticsAction->trigger();
    window->showWaitsAction->trigger();
    QTabWidget* tabs = window->Pages();
    ASSERT_TRUE(Idle(monitor::wkWaits));
    ASSERT_EQ(tabs->currentIndex(), gui::SessionWaitsPage);
    window->CloseButton()->click(); // rightmost
    EXPECT_FALSE(tabs->isTabVisible(gui::SessionWaitsPage));
    EXPECT_EQ(tabs->currentIndex(), gui::SessionStatisticsPage);
    // The page change did not run: the events flag stays set until a tab is clicked.
    EXPECT_EQ(Flags(), (std::array<bool, 5>{false, true, false, false, false}));
    tabs->setCurrentIndex(gui::SessionDetailsPage);
    ASSERT_TRUE(Idle(monitor::wkDetails));
    window->CloseButton()->click(); // a middle one
    EXPECT_EQ(tabs->currentIndex(), gui::SessionStatisticsPage);
    window->CloseButton()->click();
    EXPECT_EQ(tabs->currentIndex(), gui::SessionListPage);
    EXPECT_FALSE(window->CloseButton()->isVisible());
    window->CloseButton()->click(); // page 0 stays
    EXPECT_TRUE(tabs->isTabVisible(gui::SessionListPage));
}

TEST_F(DetailPages, ABlockWaitOffersPropertyWhichLooksTheBlockUp) {
    const auto rows = instance->sqliteRows(
        "select w.sid from \"v$session_wait\" w join \"v$session\" s using (sid) where"
        " w.event = 'db file sequential read' and s.type = 'USER' limit 1");
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_EQ(SelectUserRow(rows[0][0]), rows[0][0]);
    window->showWaitsAction->trigger();
    ASSERT_TRUE(Idle(monitor::wkWaits));
    ASSERT_EQ(pages->CurrentWaitsModel.Rows().size(), 1u);
    EXPECT_EQ(pages->CurrentWaitsModel.Rows()[0].subItems[0], "db file sequential read");
    pages->currentWaitsList->selectionModel()->select(pages->CurrentWaitsModel.index(0, 0),
                                                      QItemSelectionModel::ClearAndSelect |
                                                          QItemSelectionModel::Rows);
    EXPECT_TRUE(pages->CurrentWaitPopupAttached());
    EXPECT_EQ(window->Monitor().WaitingBlockState, 0);
    shot(window.get(), "page-events");
    pages->propertyItem->trigger();
    EXPECT_EQ(window->Pages()->currentIndex(), gui::ObjectPage);
    ASSERT_TRUE(waitFor([&] {
        return pages->WaitInformationModel.Rows().size() == 6 ||
               (pages->WaitInformationModel.Rows().size() == 1 &&
                pages->WaitInformationModel.Rows()[0].caption == "Not Found");
    }));
    EXPECT_EQ(pages->WaitInformationModel.Rows().size(), 6u);
    EXPECT_EQ(pages->WaitInformationModel.Rows()[0].caption, "Owner");
    shot(window.get(), "page-object");

    // A session idle at SQL*Net gives no popup.
    const auto idle = instance->sqliteRows(
        "select w.sid from \"v$session_wait\" w join \"v$session\" s using (sid) where"
        " w.event = 'SQL*Net message from client' and s.type = 'USER' limit 1");
    ASSERT_EQ(idle.size(), 1u);
    SelectUserRow(idle[0][0]);
    window->showWaitsAction->trigger();
    ASSERT_TRUE(Idle(monitor::wkWaits));
    EXPECT_EQ(pages->CurrentWaitsModel.headerData(5, Qt::Horizontal).toString(), "Driver id");
    pages->currentWaitsList->selectionModel()->select(pages->CurrentWaitsModel.index(0, 0),
                                                      QItemSelectionModel::ClearAndSelect |
                                                          QItemSelectionModel::Rows);
    EXPECT_FALSE(pages->CurrentWaitPopupAttached());
    EXPECT_EQ(window->Monitor().WaitingBlockState, 4);
}

TEST_F(DetailPages, TheObjectSearchChecksItsFields) {
    window->findObjectAction->trigger();
    EXPECT_EQ(window->Pages()->currentIndex(), gui::ObjectPage);
    EXPECT_TRUE(pages->fileIdEdit->text().isEmpty());
    EXPECT_FALSE(pages->searchButton->isEnabled());
    pages->fileIdEdit->setText("12a");
    EXPECT_FALSE(pages->searchButton->isEnabled());
    pages->blockIdEdit->setText("5");
    EXPECT_TRUE(pages->searchButton->isEnabled());
    ModalDriver driver({});
    driver.Add(driver.Acknowledge());
    pages->searchButton->click();
    ASSERT_EQ(driver.messages.size(), 1u);
    EXPECT_EQ(driver.messages[0].toStdString(), "File Id or Block Id Error!");
    pages->fileIdEdit->setText("1");
    pages->blockIdEdit->setText("999999999");
    pages->searchButton->click();
    ASSERT_TRUE(waitFor([&] {
        return pages->WaitInformationModel.Rows().size() == 1 &&
               pages->WaitInformationModel.Rows()[0].caption == "Not Found" &&
               pages->searchButton->isEnabled();
    }));
    window->findObjectAction->trigger();
    EXPECT_TRUE(pages->fileIdEdit->text().isEmpty());
    EXPECT_TRUE(pages->blockIdEdit->text().isEmpty());
    EXPECT_FALSE(pages->searchButton->isEnabled());
}

TEST_F(DetailPages, TuningMemoryProbesOnOpeningAndSchedules) {
    window->tuneMemoryAction->trigger();
    EXPECT_EQ(window->Pages()->currentIndex(), gui::TuningMemoryPage);
    ASSERT_TRUE(waitFor([&] { return pages->MemoryModel.rowCount() == 1; }));
    ASSERT_TRUE(waitFor([&] { return pages->probeButton->isEnabled(); }));
    EXPECT_TRUE(pages->clearHistoryButton->isEnabled());
    EXPECT_EQ(pages->autoProbeValue->text(), "OFF");
    EXPECT_FALSE(pages->intervalValue->isVisible());
    instance->step(5);
    pages->probeButton->click();
    ASSERT_TRUE(waitFor([&] { return pages->MemoryModel.rowCount() == 2; }));
    // Sorting by date: the older row first, then flipped.
    const std::string newest = pages->MemoryModel.Rows()[0].caption;
    pages->memoryHistory->header()->sectionClicked(3);
    pages->memoryHistory->header()->sectionClicked(4);
    shot(window.get(), "page-memory");

    ModalDriver driver({[](QWidget* w) {
        auto* dialog = qobject_cast<detail::TFrmProbeOption*>(w);
        ASSERT_NE(dialog, nullptr);
        dialog->autoProbeCheck->click();
        dialog->hoursEdit->setText("0");
        dialog->minutesEdit->setText("1");
        dialog->secondsEdit->setText("30");
        shot(dialog, "dialog-probeoption");
        dialog->okButton->click();
    }});
    pages->scheduleButton->click();
    ASSERT_TRUE(driver.Done());
    EXPECT_TRUE(window->Monitor().AutoProbe());
    EXPECT_EQ(window->Monitor().ProbeInterval(), 90);
    EXPECT_EQ(pages->autoProbeValue->text(), "ON");
    EXPECT_EQ(pages->intervalValue->text(), "0 Hour 1 Min 30 Sec");
    EXPECT_TRUE(pages->intervalValue->isVisible());
    pages->clearHistoryButton->click();
    EXPECT_EQ(pages->MemoryModel.rowCount(), 0);
    EXPECT_FALSE(pages->clearHistoryButton->isEnabled());
    pages->probeButton->click();
    ASSERT_TRUE(waitFor([&] { return pages->MemoryModel.rowCount() == 1; }));
    window->DisconnectSequence(false);
    EXPECT_FALSE(window->Monitor().AutoProbe());
    EXPECT_EQ(window->Monitor().ProbeInterval(), 30);
    EXPECT_EQ(pages->MemoryModel.rowCount(), 0); // the history goes with the connection
    (void)newest;
}

TEST_F(DetailPages, TheFirstNameClickSortsDetailsZToAAndStatisticsAToZ) {
    SelectUserRow();
    window->showDetailsAction->trigger();
    ASSERT_TRUE(Idle(monitor::wkDetails));
    window->SortAscending = false;
    pages->sessionDetailsList->header()->sectionClicked(0);
    const auto& d = pages->SessionDetailsModel.Rows();
    ASSERT_GT(d.size(), 2u);
    for (std::size_t i = 1; i < d.size(); ++i)
        EXPECT_GE(monitor::TextCompare(d[i - 1].caption, d[i].caption), 0);
    shot(window.get(), "page-details");
    window->showStatisticsAction->trigger();
    ASSERT_TRUE(Idle(monitor::wkStatistics));
    window->SortAscending = false;
    pages->statisticsList->header()->sectionClicked(1);
    const auto& s = pages->StatisticsModel.Rows();
    ASSERT_GT(s.size(), 2u);
    for (std::size_t i = 1; i < s.size(); ++i)
        EXPECT_LE(monitor::TextCompare(s[i - 1].subItems[0], s[i].subItems[0]), 0);
    pages->statisticsList->header()->sectionClicked(2); // by value, descending now
    for (std::size_t i = 1; i < s.size(); ++i)
        EXPECT_GE(std::stoll(s[i - 1].subItems[1]), std::stoll(s[i].subItems[1]));
    // A "Loading..." row does not convert: the sort stops with a message.
    pages->StatisticsModel.SetRows({{"Loading...", {}}, {"12", {"a", "7", "1", "9"}}});
    ModalDriver driver({});
    driver.Add(driver.Acknowledge());
    pages->statisticsList->header()->sectionClicked(2);
    ASSERT_EQ(driver.messages.size(), 1u);
    EXPECT_EQ(driver.messages[0].toStdString(), "'' is not a valid floating point value");
    EXPECT_EQ(pages->StatisticsModel.Rows()[0].caption, "Loading...");
}

} // namespace
