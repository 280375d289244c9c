// The Capture SQL page of the main window as a user drives it: the utilities menu items and their
// enabling rules, the setup dialog, the collector dialog, the capture toggle, and the close guard.
#include "CaptureSupport.h"
#include "gui/MainWindow.h"
#include "gui/dialogs/AddSqlCollectorDialog.h"
#include "gui/dialogs/ServerComponentDialog.h"
#include "gui/pages/CapturePage.h"
#include "support/WindowRig.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeView>

namespace {

using namespace testing_support;

struct CapturePage : ::testing::Test {
    std::shared_ptr<oradb::sandbox::Instance> instance = openInstance(testName());
    std::unique_ptr<gui::TFrmMain> window = std::make_unique<gui::TFrmMain>();
    QTemporaryDir dir;
    util::TDateTime clock = util::now();

    gui::TCapturePage& page() { return *window->CapturePage(); }
    capture::TCaptureSql& capture() { return page().Capture(); }
    void SetUp() override {
        ASSERT_TRUE(ShowAndLogin(*window, "sandbox::memory:" + testName()));
        capture().Now = [this] { return clock; };
    }
    void TearDown() override {
        capture().Stop();
        if (window->Monitor().Connected())
            window->DisconnectSequence(false);
        window.reset();
    }
    void install() {
        ModalDriver driver({[](QWidget* w) {
            auto* d = qobject_cast<capture::TFrmServersidesetup*>(w);
            ASSERT_NE(d, nullptr);
            d->installButton->click();
        }});
        driver.Add(driver.Acknowledge());
        driver.Add([](QWidget* w) { qobject_cast<capture::TFrmServersidesetup*>(w)->reject(); });
        window->serverComponentAction->trigger();
        ASSERT_TRUE(driver.Done());
    }
    // Adds a scheduled collector for SCOTT through the dialog, started an hour ago.
    void addCollector(const QString& name) {
        ModalDriver driver({[this, name](QWidget* w) {
            auto* d = qobject_cast<capture::TFrmAddSqlcollector*>(w);
            ASSERT_NE(d, nullptr);
            d->nameEdit->setText(name);
            d->logDirEdit->setText(dir.path());
            d->filterKindCombo->setCurrentIndex(capture::fkUser);
            Q_EMIT d->filterKindCombo->activated(capture::fkUser);
            d->filterValueCombo->setEditText(QStringLiteral("scott"));
            d->scheduleCheck->setChecked(true);
            const util::DateTimeParts p = util::decodeDateTime(clock - 1.0 / 24);
            d->monthEdit->setText(QString::number(p.month));
            d->dayEdit->setText(QString::number(p.day));
            d->yearEdit->setText(QString::number(p.year));
            d->hourCombo->setCurrentIndex(p.hour);
            d->minuteCombo->setCurrentIndex(p.minute);
            d->runTimeCombo->setCurrentIndex(1);
            d->runTimeUnitCombo->setCurrentIndex(2);
            d->okButton->click();
        }});
        // The start an hour ago is asked about; the user keeps it, so that the collector is due.
        driver.Add(ModalDriver::Step(
            [](QWidget* w) {
                auto* box = qobject_cast<QMessageBox*>(w);
                ASSERT_NE(box, nullptr);
                EXPECT_TRUE(box->text().contains(QStringLiteral("is in the past")));
                box->button(QMessageBox::Yes)->click();
            },
            [](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; }));
        page().addCollectorAction->trigger();
        ASSERT_TRUE(driver.Done());
    }
};

TEST_F(CapturePage, CommandsFollowThePresenceFlagAndTheListRows) {
    window->UpdateActions();
    EXPECT_TRUE(window->serverComponentAction->isEnabled());
    EXPECT_FALSE(window->captureSqlAction->isEnabled()) << "no component in a new sandbox";
    EXPECT_FALSE(page().addCollectorAction->isEnabled());
    install();
    window->UpdateActions();
    EXPECT_TRUE(window->captureSqlAction->isEnabled());
    EXPECT_TRUE(page().addCollectorAction->isEnabled());
    EXPECT_FALSE(page().modifyCollectorAction->isEnabled());
    EXPECT_FALSE(page().enableCaptureAction->isEnabled()) << "the page's list is empty";
    window->captureSqlAction->trigger();
    EXPECT_TRUE(window->Pages()->isTabVisible(gui::CaptureSqlPage));
    EXPECT_EQ(window->Pages()->currentIndex(), gui::CaptureSqlPage);
    addCollector(QStringLiteral("scott"));
    ASSERT_EQ(page().collectorList->model()->rowCount(), 1);
    EXPECT_EQ(page().collectorList->model()->index(0, 0).data().toString(),
              QStringLiteral("scott"));
    window->UpdateActions();
    EXPECT_TRUE(page().enableCaptureAction->isEnabled());
    page().collectorList->selectionModel()->select(page().collectorList->model()->index(0, 0),
                                                   QItemSelectionModel::Select |
                                                       QItemSelectionModel::Rows);
    window->UpdateActions();
    EXPECT_TRUE(page().modifyCollectorAction->isEnabled());
    EXPECT_TRUE(page().deleteCollectorAction->isEnabled());

    page().enableCaptureAction->trigger();
    EXPECT_TRUE(capture().CaptureEnabled());
    EXPECT_EQ(page().enableCaptureButton->text(), QStringLiteral("&Disable Capture SQL"));
    page().enableCaptureAction->trigger();
    EXPECT_FALSE(capture().CaptureEnabled());
    EXPECT_EQ(page().enableCaptureButton->text(), QStringLiteral("&Enable Capture SQL"));

    page().deleteCollectorAction->trigger();
    EXPECT_EQ(page().collectorList->model()->rowCount(), 0);
    // After logging in again, the collectors load but the list fills only on "&Capture Sql".
    addCollector(QStringLiteral("again"));
    window->DisconnectSequence(false);
    ModalDriver driver({ModalDriver::Login("system", "lantern", "sandbox::memory:" + testName())});
    window->ConnectSequence();
    ASSERT_TRUE(window->Monitor().Connected());
    EXPECT_EQ(capture().Collectors().size(), 1u);
    EXPECT_EQ(page().collectorList->model()->rowCount(), 0);
    window->UpdateActions();
    EXPECT_FALSE(page().enableCaptureAction->isEnabled());
    window->captureSqlAction->trigger();
    EXPECT_EQ(page().collectorList->model()->rowCount(), 1);
}

TEST_F(CapturePage, ClosingIsRefusedWhileAFetchWritesItsLog) {
    install();
    addCollector(QStringLiteral("scott"));
    oradb::sandbox::Fault slow;
    slow.fragment = "from public_qby_capturesql tot,v$sqltext";
    slow.delayMs = 600000;
    instance->addFault(slow);
    page().enableCaptureAction->trigger();
    capture().Tick();
    ASSERT_EQ(capture().FetchesRunning(), 1);
    ModalDriver driver({});
    driver.Add(driver.Acknowledge());
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(driver.Done());
    ASSERT_EQ(driver.messages.size(), 1u);
    EXPECT_EQ(driver.messages[0], QStringLiteral("Please stop capturing sql before exit!\r\n"
                                                 "(Utilities->capture sql->disable capture sql)"));
    EXPECT_TRUE(window->Monitor().Connected());
    capture().Stop();
    instance->clearFaults();
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->Monitor().Connected());
}

TEST_F(CapturePage, ExitWhileTheAutomaticProbeRunsAsksAndNoKeepsTheWindowOpen) {
    window->Monitor().SetAutoProbe(true);
    std::vector<QString> questions;
    auto answer = [&questions](QMessageBox::StandardButton button) {
        return [&questions, button](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            questions.push_back(box->text());
            EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No)) << "No is the default";
            box->button(button)->click();
        };
    };
    ModalDriver driver({answer(QMessageBox::No)});
    window->exitAction->trigger();
    ASSERT_TRUE(driver.Done());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->Monitor().Connected());
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0],
              QStringLiteral("Quenby is still at work:\n- the automatic memory probe runs every "
                             "30 seconds\n\nExit anyway? What runs stops when Quenby closes."));
    driver.Add(answer(QMessageBox::Yes));
    window->exitAction->trigger();
    ASSERT_TRUE(driver.Done());
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->Monitor().Connected());
    EXPECT_EQ(questions.size(), 2u);
}

TEST_F(CapturePage, ExitWithNothingRunningClosesWithoutAQuestion) {
    ModalDriver driver({});
    window->exitAction->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->Monitor().Connected());
}

} // namespace
