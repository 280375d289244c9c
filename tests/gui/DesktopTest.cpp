// The main window at home on the desktop: what it remembers for the next window, hints on the
// toolbar, the lists' looks and colours that stay readable under a dark palette.
#include "gui/MainWindow.h"
#include "gui/ReadableColour.h"
#include "gui/dialogs/OptionsDialog.h"
#include "gui/pages/DatabasePages.h"
#include "gui/pages/DetailPages.h"
#include "gui/views/SessionListView.h"
#include "monitor/RememberedSettings.h"
#include "monitor/WaitFigures.h"
#include "oradb/OciFixture.h"
#include "support/ModalDriver.h"
#include "support/WindowRig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

namespace {

using testing_support::ListFetched;
using testing_support::ModalDriver;
using testing_support::shot;
using testing_support::waitFor;

class Desktop : public testing_support::WindowTest {
protected:
    void SetUp() override {
        name = TestName();
        OpenInstanceAndWindow(server());
    }
    std::string server() const { return "sandbox::memory:" + name; }
    void ShowAndLogin(gui::TFrmMain& w) {
        ASSERT_TRUE(testing_support::ShowAndLogin(w, server()));
        ASSERT_TRUE(waitFor([&] { return ListFetched(w); }));
    }
    // Closes the window as the user does and makes the next one.
    void CloseAndReopen() {
        window->close();
        window.reset();
        window = std::make_unique<gui::TFrmMain>();
    }
};

TEST_F(Desktop, OptionsLastPageAndPlaceSurviveANewWindow) {
    ShowAndLogin(*window);
    ModalDriver driver({[](QWidget* w) {
        auto* dialog = qobject_cast<monitor::TFrmOptions*>(w);
        ASSERT_NE(dialog, nullptr);
        dialog->showBackgroundCheck->setChecked(true);
        dialog->showKilledCheck->setChecked(false);
        dialog->autoRefreshCheck->setChecked(false);
        dialog->refreshIntervalSpin->setValue(37);
        dialog->sortStatisticCombo->setCurrentIndex(dialog->sortStatisticCombo->count() - 1);
        dialog->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    }});
    window->optionsAction->trigger();
    ASSERT_TRUE(driver.Done());
    const std::string sortStatistic = window->Monitor().SortStatisticName;
    ASSERT_NE(sortStatistic, "session logical reads");
    window->onSystemEvents();
    ASSERT_EQ(window->Pages()->currentIndex(), gui::SystemEventPage);
    const QRect place(40, 50, 640, 420);
    window->setGeometry(place);
    ASSERT_TRUE(waitFor([&] { return window->geometry() == place; }));

    CloseAndReopen();
    EXPECT_TRUE(window->Monitor().ShowBackgroundSessions);
    EXPECT_FALSE(window->Monitor().ShowKilledSessions);
    EXPECT_FALSE(window->Monitor().AutoRefresh());
    EXPECT_EQ(window->Monitor().RefreshInterval(), 37000);
    EXPECT_EQ(window->geometry(), place);
    ShowAndLogin(*window);
    EXPECT_EQ(window->Monitor().SortStatisticName, sortStatistic);
    EXPECT_TRUE(waitFor([&] { return window->Pages()->currentIndex() == gui::SystemEventPage; }));
    EXPECT_GT(window->DatabasePages()->SystemEventModel().rowCount(), 0);
}

TEST_F(Desktop, APlaceOnNoScreenOfTodayFallsBackToTheCentreOfThePrimary) {
    monitor::SaveWindowRect(QRect(5000, 4000, 640, 420));
    window = std::make_unique<gui::TFrmMain>();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window->geometry()));
    EXPECT_LE(std::abs(window->geometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(window->geometry().center().y() - screen.center().y()), 1);
}

TEST_F(Desktop, EveryToolbarButtonHasAHint) {
    auto* toolBar = window->findChild<QToolBar*>(QStringLiteral("toolBar"));
    ASSERT_NE(toolBar, nullptr);
    int buttons = 0;
    for (QAction* action : toolBar->actions()) {
        if (action->isSeparator())
            continue;
        ++buttons;
        EXPECT_FALSE(action->statusTip().isEmpty()) << action->objectName().toStdString();
        auto* button = qobject_cast<QToolButton*>(toolBar->widgetForAction(action));
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(button->toolTip().isEmpty()) << action->objectName().toStdString();
    }
    EXPECT_EQ(buttons, 12); // Cancel SQL stands beside Kill Session
}

TEST_F(Desktop, ListsAlternateTheirRowColoursAndUseTheFullWidth) {
    ShowAndLogin(*window);
    const auto lists = window->findChildren<QTreeView*>();
    ASSERT_GE(lists.size(), 8);
    for (const QTreeView* list : lists) {
        EXPECT_TRUE(list->alternatingRowColors()) << list->objectName().toStdString();
        EXPECT_TRUE(list->header()->stretchLastSection()) << list->objectName().toStdString();
    }
    // The session list's columns reach its right edge.
    const QHeaderView* header = window->SessionList()->header();
    EXPECT_GE(header->length(), window->SessionList()->viewport()->width());
}

TEST(ReadableColours, FixedColoursAreLightenedOnDarkAndDarkenedOnLight) {
    const QColor blue(0, 0, 255);
    const QColor dark(35, 35, 35);
    EXPECT_LT(gui::ContrastRatio(blue, dark), gui::kReadableContrast);
    const QColor onDark = gui::ReadableOn(blue, dark);
    EXPECT_GE(gui::ContrastRatio(onDark, dark), gui::kReadableContrast);
    EXPECT_GT(onDark.blue(), onDark.red());            // still a blue
    EXPECT_EQ(gui::ReadableOn(blue, Qt::white), blue); // readable already
    const QColor onLight = gui::ReadableOn(QColor(Qt::green), Qt::white);
    EXPECT_GE(gui::ContrastRatio(onLight, Qt::white), gui::kReadableContrast);
    EXPECT_GT(onLight.green(), onLight.red());
    EXPECT_NEAR(gui::ContrastRatio(Qt::black, Qt::white), 21.0, 0.01);
}

TEST_F(Desktop, UnderADarkPaletteTheColouredTextsStayReadable) {
    const testing_support::PaletteScope dark(testing_support::DarkPalette());
    window = std::make_unique<gui::TFrmMain>();
    ShowAndLogin(*window);
    const QColor base = window->SessionList()->palette().color(QPalette::Base);
    EXPECT_EQ(base, QColor(35, 35, 35));
    const QVariant foreground = window->SessionList()->model()->data(
        window->SessionList()->model()->index(0, 2), Qt::ForegroundRole);
    EXPECT_GE(gui::ContrastRatio(foreground.value<QBrush>().color(), base), gui::kReadableContrast);
    // At the width a DBA works at: the columns show their texts whole.
    window->resize(1280, 900);
    QCoreApplication::processEvents();
    shot(window.get(), "main-dark");

    // The report's headings.
    window->onDatabaseInfo();
    QTextEdit* report = window->DatabasePages()->databaseInfoText;
    int headings = 0;
    for (QTextBlock b = report->document()->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QColor colour = it.fragment().charFormat().foreground().color();
            EXPECT_GE(gui::ContrastRatio(colour, base), gui::kReadableContrast)
                << it.fragment().text().toStdString();
            headings += colour != report->palette().color(QPalette::Text);
        }
    }
    EXPECT_GT(headings, 0);

    // "ON"/"OFF" of the automatic probe.
    QLabel* probe = window->DetailPages()->autoProbeValue;
    EXPECT_GE(gui::ContrastRatio(probe->palette().color(QPalette::WindowText),
                                 probe->palette().color(QPalette::Window)),
              gui::kReadableContrast);
    window->DisconnectSequence(false);
    window.reset();
}

} // namespace

namespace {

TEST_F(Desktop, IdleEventsAreHiddenUntilTheToggleShowsThemOnBothEventsPages) {
    ShowAndLogin(*window);
    gui::TDatabasePages* db = window->DatabasePages();
    auto idleRows = [&] {
        int n = 0;
        for (int i = 0; i < db->SystemEventModel().rowCount(); ++i)
            n += monitor::IsIdleEvent(db->SystemEventModel().Cell(i, 0));
        return n;
    };
    window->onSystemEvents();
    ASSERT_GT(db->SystemEventModel().rowCount(), 0);
    EXPECT_FALSE(db->showIdleSystemEventsCheck->isChecked());
    EXPECT_TRUE(db->showIdleSystemEventsCheck->isVisible());
    // The toggle sits under the list, not over it.
    EXPECT_GT(db->showIdleSystemEventsCheck->geometry().top(),
              db->systemEventList->geometry().bottom());
    EXPECT_EQ(idleRows(), 0);
    EXPECT_TRUE(db->SystemEventModel().Cell(0, 3).ends_with(" s") ||
                db->SystemEventModel().Cell(0, 3).ends_with(" ms"));
    const int without = db->SystemEventModel().rowCount();
    db->showIdleSystemEventsCheck->click();
    ASSERT_TRUE(waitFor([&] { return idleRows() > 0; }));
    EXPECT_GT(db->SystemEventModel().rowCount(), without);
    // The session events page follows, and the choice is remembered.
    EXPECT_TRUE(window->DetailPages()->showIdleEventsCheck->isChecked());
    shot(window.get(), "system-events");
    window->DetailPages()->showIdleEventsCheck->click();
    EXPECT_FALSE(db->showIdleSystemEventsCheck->isChecked());
    EXPECT_FALSE(window->Monitor().ShowIdleEvents);
    db->showIdleSystemEventsCheck->click();
    CloseAndReopen();
    EXPECT_TRUE(window->Monitor().ShowIdleEvents);
    EXPECT_TRUE(window->DetailPages()->showIdleEventsCheck->isChecked());
}

TEST(WaitFigures, TimesCarryTheirUnitAndReadBackAsSeconds) {
    EXPECT_EQ(monitor::FormatWaitTime(0.25), "250 ms");
    EXPECT_EQ(monitor::FormatWaitTime(0), "0 ms");
    EXPECT_EQ(monitor::FormatWaitTime(1), "1.000 s");
    EXPECT_EQ(monitor::FormatWaitTime(123.45), "123.450 s");
    EXPECT_DOUBLE_EQ(monitor::ParseWaitTime("250 ms").value(), 0.25);
    EXPECT_DOUBLE_EQ(monitor::ParseWaitTime("123.450 s").value(), 123.45);
    EXPECT_DOUBLE_EQ(monitor::ParseWaitTime("7").value(), 7.0);
    EXPECT_FALSE(monitor::ParseWaitTime("Loading...").has_value());
    EXPECT_FALSE(monitor::ParseWaitTime("ms").has_value());
    EXPECT_TRUE(monitor::IsIdleEvent("SQL*Net message from client"));
    EXPECT_TRUE(monitor::IsIdleEvent("pmon timer"));
    EXPECT_FALSE(monitor::IsIdleEvent("db file sequential read"));
    EXPECT_FALSE(monitor::IsIdleEvent("SQL*Net message to client"));
}

TEST_F(Desktop, AboutNamesVersionQtClientLibraryAndLicence) {
    const std::string notConnected = window->AboutText().toStdString();
    EXPECT_NE(notConnected.find("<b>Quenby Ver" QUENBY_VERSION "</b>"), std::string::npos);
    EXPECT_NE(notConnected.find("Version:</td><td>" QUENBY_VERSION "<"), std::string::npos);
    EXPECT_NE(notConnected.find(std::string("Qt:</td><td>") + qVersion() + "<"), std::string::npos);
    EXPECT_NE(notConnected.find("Client library:</td><td>none (not connected)<"),
              std::string::npos);
    EXPECT_NE(notConnected.find("GPL-3.0-or-later"), std::string::npos);

    ShowAndLogin(*window);
    EXPECT_EQ(window->ClientLibraryText(), QStringLiteral("embedded sandbox"));
    ModalDriver driver({[](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->objectName(), QStringLiteral("AboutBox"));
        EXPECT_EQ(box->windowTitle(), QStringLiteral("About Quenby"));
        EXPECT_TRUE(box->text().contains(QStringLiteral("embedded sandbox")));
        EXPECT_FALSE(box->iconPixmap().isNull());
        shot(box, "about-box");
        box->accept();
    }});
    window->aboutAction->trigger();
    EXPECT_TRUE(driver.Done());
}

TEST_F(Desktop, AboutNamesTheOciLibraryOfALoginThroughTheOracleClient) {
    testing_support::OciRoute route;
    ShowAndLogin(*window);
    const QString text = window->ClientLibraryText();
    EXPECT_TRUE(text.startsWith(QString::fromStdString(testing_support::kTestOracleHome) +
                                QStringLiteral("/lib/libclntsh.so, version ")))
        << text.toStdString();
    EXPECT_GT(text.size(), text.indexOf(QStringLiteral(", version ")) + 10);
    EXPECT_TRUE(window->AboutText().contains(text.toHtmlEscaped()));
    ModalDriver driver({[](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->text().contains(QStringLiteral("libclntsh.so, version ")));
        shot(box, "about-box-oci");
        box->accept();
    }});
    window->aboutAction->trigger();
    EXPECT_TRUE(driver.Done());
}

TEST_F(Desktop, TheWindowHasQuenbysIconInEverySize) {
    const QIcon icon = window->windowIcon();
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 32, 48, 64, 128, 256}) {
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
        const QImage picture = icon.pixmap(size, size).toImage();
        EXPECT_EQ(picture.size(), QSize(size, size));
        // Drawn, not blank: the middle is opaque, a corner transparent.
        EXPECT_EQ(qAlpha(picture.pixel(size / 2, size / 2)), 255) << size;
        EXPECT_EQ(qAlpha(picture.pixel(0, 0)), 0) << size;
    }
}

TEST_F(Desktop, TheFirstWindowIsCentredAt1280By860OrTheScreenItFits) {
    // The fixture's window starts without a remembered place.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(window->geometry().size(), QSize(1280, 860).boundedTo(screen.size()));
    EXPECT_LE(std::abs(window->geometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(window->geometry().center().y() - screen.center().y()), 1);
    // A place that fits a present screen comes back as it was left.
    const QRect place(screen.left() + 10, screen.top() + 20, 700, 500);
    monitor::SaveWindowRect(place);
    window = std::make_unique<gui::TFrmMain>();
    EXPECT_EQ(window->geometry(), place);
}

} // namespace
