// The session list in the window as a DBA browses it at 1280x900: the filter bar, columns that
// show their texts whole, widths, order and sort kept through refreshes and runs, rows copied
// with Ctrl+C and changed sessions standing out, against the sandbox instance.
#include "detail/DetailListModel.h"
#include "gui/MainWindow.h"
#include "gui/ReadableColour.h"
#include "gui/dialogs/OptionsDialog.h"
#include "gui/models/SessionListDecorator.h"
#include "gui/pages/DetailPages.h"
#include "gui/views/DetailListView.h"
#include "gui/views/ListHeaderKeeper.h"
#include "gui/views/SessionListView.h"
#include "monitor/SessionControl.h"
#include "monitor/SessionRecords.h"
#include "sandbox/SandboxInstance.h"
#include "support/ModalDriver.h"
#include "support/WindowRig.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>
#include <QTest>
#include <set>

namespace {

using testing_support::ListFetched;
using testing_support::shot;
using testing_support::waitFor;

class SessionBrowserWindow : public testing_support::WindowTest {
protected:
    void SetUp() override {
        name = TestName();
        OpenInstanceAndWindow(server());
    }
    std::string server() const { return "sandbox::memory:" + name; }
    void ShowAndLogin() {
        window->resize(1280, 900);
        ASSERT_TRUE(testing_support::ShowAndLogin(*window, server()));
        ASSERT_TRUE(waitFor([&] { return ListFetched(*window); }));
        window->resize(1280, 900);
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(waitFor([&] { return window->isActiveWindow(); }));
    }
    void Refresh() {
        const std::uint64_t generation = window->Monitor().ListGeneration;
        window->refreshAction->trigger();
        ASSERT_TRUE(waitFor(
            [&] { return window->Monitor().ListGeneration > generation && ListFetched(*window); }));
    }
    gui::TSessionListView* List() { return window->SessionList(); }
    // The texts of column `c` in the order the list shows them.
    std::vector<QString> Column(int c) {
        std::vector<QString> out;
        for (int r = 0; r < List()->model()->rowCount(); ++r)
            out.push_back(List()->model()->index(r, c).data().toString());
        return out;
    }
    int ColumnOf(const QString& caption) {
        for (int c = 0; c < List()->model()->columnCount(); ++c)
            if (List()->model()->headerData(c, Qt::Horizontal).toString() == caption)
                return c;
        return -1;
    }
    QString Panel(int i) { return window->StatusPanel(i)->text(); }
};

TEST_F(SessionBrowserWindow, TheFilterBarNarrowsAsTypedSurvivesRefreshesAndEscClearsIt) {
    ShowAndLogin();
    const int all = static_cast<int>(window->SessionListModel().RowsCopy().size());
    // A session of APPUSER selected first.
    const auto& rows = window->SessionListModel().RowsCopy();
    int appuser = -1;
    for (std::size_t i = 0; i < rows.size() && appuser < 0; ++i)
        if (rows[i].subItems[1] == "APPUSER" && i > 0)
            appuser = static_cast<int>(i);
    ASSERT_GE(appuser, 0);
    List()->SelectRow(appuser);
    const std::string selectedSid = window->Monitor().SelectedSid;
    ASSERT_EQ(selectedSid, rows[static_cast<std::size_t>(appuser)].caption);

    // Ctrl+F goes to the filter; the typed text narrows the list at each key.
    List()->setFocus();
    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(window->SessionFilterEdit()->hasFocus());
    QTest::keyClicks(window->SessionFilterEdit(), QStringLiteral("appU"));
    const int shown = List()->model()->rowCount();
    EXPECT_GT(shown, 0);
    EXPECT_LT(shown, all);
    for (int r = 0; r < shown; ++r) {
        bool holds = false;
        for (int c = 0; c < List()->model()->columnCount(); ++c)
            holds |= List()->model()->index(r, c).data().toString().contains(QStringLiteral("appu"),
                                                                             Qt::CaseInsensitive);
        EXPECT_TRUE(holds) << r;
    }
    EXPECT_EQ(Panel(2), QStringLiteral("%1 of %2 sessions").arg(shown).arg(all));
    // The selected session still matches: it stays selected.
    ASSERT_EQ(List()->SelectedRows().size(), 1u);
    EXPECT_EQ(rows[static_cast<std::size_t>(List()->SelectedRows()[0])].caption, selectedSid);

    // The toggles narrow further; a refresh keeps text, toggles and selection.
    window->ActiveOnlyCheck()->setChecked(true);
    const int active = List()->model()->rowCount();
    EXPECT_LE(active, shown);
    for (const QString& status : Column(ColumnOf(QStringLiteral("Status"))))
        EXPECT_EQ(status, QStringLiteral("ACTIVE"));
    window->ActiveOnlyCheck()->setChecked(false);
    window->UserSessionsOnlyCheck()->setChecked(true);
    Refresh();
    EXPECT_EQ(window->SessionFilterEdit()->text(), QStringLiteral("appU"));
    EXPECT_EQ(List()->model()->rowCount(), shown);
    EXPECT_EQ(Panel(2), QStringLiteral("%1 of %2 sessions").arg(shown).arg(all));
    ASSERT_EQ(List()->SelectedRows().size(), 1u);
    EXPECT_EQ(window->SessionListModel()
                  .RowsCopy()[static_cast<std::size_t>(List()->SelectedRows()[0])]
                  .caption,
              selectedSid);
    shot(window.get(), "session-filter");

    // Esc in the filter clears it: the whole list again.
    QTest::keyClick(window->SessionFilterEdit(), Qt::Key_Escape);
    EXPECT_TRUE(window->SessionFilterEdit()->text().isEmpty());
    window->UserSessionsOnlyCheck()->setChecked(false);
    EXPECT_EQ(List()->model()->rowCount(), all);
    EXPECT_EQ(Panel(2), QStringLiteral("%1 sessions").arg(all));
}

TEST_F(SessionBrowserWindow, ColumnsShowTheirTextsWholeAt1280PixelsAndBlockersHaveTheirMark) {
    // A long machine name and a waiter's image make the widest cells.
    instance->sqliteRows("update \"v$session\" set machine = 'CORP\\PC-FINANCE-REPORTING-07' "
                         "where sid = (select max(sid) from \"v$session\" where type = 'USER')");
    ShowAndLogin();
    const int icon = List()->style()->pixelMetric(QStyle::PM_SmallIconSize);
    const QFontMetrics metrics = List()->fontMetrics();
    int blockers = 0, waiters = 0;
    for (const QString& caption : {QStringLiteral("Sid"), QStringLiteral("Status"),
                                   QStringLiteral("Machine"), QStringLiteral("Logon_time")}) {
        const int c = ColumnOf(caption);
        ASSERT_GE(c, 0) << caption.toStdString();
        for (int r = 0; r < List()->model()->rowCount(); ++r) {
            const QModelIndex index = List()->model()->index(r, c);
            const bool image = !index.data(Qt::DecorationRole).isNull();
            const int needed =
                metrics.horizontalAdvance(index.data().toString()) + (image ? icon : 0);
            EXPECT_GT(List()->columnWidth(c), needed)
                << caption.toStdString() << " " << index.data().toString().toStdString();
            if (c == 0) {
                const int kind = index.data(monitor::TSessionListModel::ImageIndexRole).toInt();
                blockers += kind == monitor::kImageBlocker;
                waiters += kind == monitor::kImageLockWait;
                if (kind == monitor::kImageBlocker) {
                    EXPECT_EQ(index.data(Qt::ToolTipRole).toString(),
                              QStringLiteral("Blocks other sessions"));
                }
            }
        }
    }
    EXPECT_GT(blockers, 0);
    EXPECT_GT(waiters, 0);
    // The statistic column carries the arrow of the order the fetch gives.
    EXPECT_TRUE(List()->header()->isSortIndicatorShown());
    EXPECT_EQ(List()->header()->sortIndicatorSection(),
              ColumnOf(QString::fromStdString(window->Monitor().SortStatisticName)));
    EXPECT_EQ(List()->header()->sortIndicatorOrder(), Qt::DescendingOrder);
}

TEST_F(SessionBrowserWindow, ALongListsColumnsFitTheirLongestTextsWhereverTheyStand) {
    // A list longer than what is measured row by row: its longest texts are found wherever they
    // stand in the list, far below the rows in view too.
    const std::string large = server() + "-long";
    OpenInstanceAndWindow(large, 600);
    instance->sqliteRows("update \"v$session\" set machine = 'CORP\\PC-FINANCE-REPORTING-0042', "
                         "program = 'batchrunner@appsrv-finance-17 (J001)' where sid = (select "
                         "max(sid) from \"v$session\" where type = 'USER')");
    window->resize(1280, 900);
    ASSERT_TRUE(testing_support::ShowAndLogin(*window, large));
    ASSERT_TRUE(waitFor([&] { return ListFetched(*window); }));
    ASSERT_GT(List()->model()->rowCount(), gui::TListHeaderKeeper::kMeasuredRows);
    const QFontMetrics metrics = List()->fontMetrics();
    for (const QString& caption : {QStringLiteral("Machine"), QStringLiteral("program"),
                                   QStringLiteral("Username"), QStringLiteral("Logon_time")}) {
        const int c = ColumnOf(caption);
        ASSERT_GE(c, 0) << caption.toStdString();
        int widest = 0;
        QString widestText;
        for (int r = 0; r < List()->model()->rowCount(); ++r) {
            const QString text = List()->model()->index(r, c).data().toString();
            if (metrics.horizontalAdvance(text) > widest) {
                widest = metrics.horizontalAdvance(text);
                widestText = text;
            }
        }
        EXPECT_GT(List()->columnWidth(c), widest)
            << caption.toStdString() << " " << widestText.toStdString();
    }
}

TEST_F(SessionBrowserWindow, AColumnTurnedOnInTheOptionsShowsItsHeadingAndValues) {
    ShowAndLogin();
    // The default optional columns are there, the others not.
    for (const char* caption : {"SERIAL#", "SPID", "EVENT", "SECONDS_IN_WAIT"})
        EXPECT_GE(ColumnOf(QString::fromLatin1(caption)), 0) << caption;
    ASSERT_EQ(ColumnOf(QStringLiteral("MODULE")), -1);
    ASSERT_EQ(ColumnOf(QStringLiteral("CONSISTENT_GETS")), -1);
    const std::uint64_t generation = window->Monitor().ListGeneration;
    testing_support::ModalDriver driver({[](QWidget* w) {
        auto* dialog = qobject_cast<monitor::TFrmOptions*>(w);
        ASSERT_NE(dialog, nullptr);
        dialog->Pages->setCurrentWidget(dialog->columnsPage);
        for (const char* caption : {"MODULE", "CONSISTENT_GETS"}) {
            const auto found =
                dialog->columnsList->findItems(QString::fromLatin1(caption), Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << caption;
            EXPECT_EQ(found[0]->checkState(), Qt::Unchecked);
            found[0]->setCheckState(Qt::Checked);
        }
        shot(dialog, QStringLiteral("options-columns"));
        dialog->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    }});
    window->optionsAction->trigger();
    ASSERT_TRUE(driver.Done());
    ASSERT_TRUE(waitFor(
        [&] { return window->Monitor().ListGeneration > generation && ListFetched(*window); }));
    const int module = ColumnOf(QStringLiteral("MODULE"));
    const int gets = ColumnOf(QStringLiteral("CONSISTENT_GETS"));
    ASSERT_GE(module, 0);
    ASSERT_GE(gets, 0);
    // The values are the sessions' own.
    int modules = 0;
    for (int r = 0; r < List()->model()->rowCount(); ++r) {
        const QString sid = List()->model()->index(r, 0).data().toString();
        const auto row = instance->sqliteRows(
            "select s.module, i.consistent_gets from \"v$session\" s, \"v$sess_io\" i "
            "where i.sid = s.sid and s.sid = " +
            sid.toStdString());
        ASSERT_EQ(row.size(), 1u);
        EXPECT_EQ(List()->model()->index(r, module).data().toString().toStdString(), row[0][0]);
        EXPECT_EQ(List()->model()->index(r, gets).data().toString().toStdString(), row[0][1]);
        modules += !row[0][0].empty();
    }
    EXPECT_GT(modules, 0);
    EXPECT_TRUE(List()->model()->index(0, gets).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                Qt::AlignRight);
    // The choice is remembered for the next run.
    EXPECT_NE(window->Monitor().ListColumns & monitor::ColumnBit(monitor::ocModule), 0u);
    window->resize(1280, 900);
    QCoreApplication::processEvents();
    // At 1280 pixels the SID, status, machine and logon time still show whole.
    const int icon = List()->style()->pixelMetric(QStyle::PM_SmallIconSize);
    for (const QString& caption : {QStringLiteral("Sid"), QStringLiteral("Status"),
                                   QStringLiteral("Machine"), QStringLiteral("Logon_time")}) {
        const int c = ColumnOf(caption);
        ASSERT_GE(c, 0) << caption.toStdString();
        for (int r = 0; r < List()->model()->rowCount(); ++r) {
            const QModelIndex index = List()->model()->index(r, c);
            const bool image = !index.data(Qt::DecorationRole).isNull();
            EXPECT_GT(List()->columnWidth(c),
                      List()->fontMetrics().horizontalAdvance(index.data().toString()) +
                          (image ? icon : 0))
                << caption.toStdString();
        }
    }
    // A session in a long operation shows its progress; the others leave the cell blank.
    const int progress = ColumnOf(QStringLiteral("Progress"));
    ASSERT_GE(progress, 0);
    const QRegularExpression progressText(QStringLiteral("^\\d+% \\(\\d+:\\d\\d left\\)$"));
    int inProgress = 0;
    for (const QString& text : Column(progress)) {
        EXPECT_TRUE(text.isEmpty() || progressText.match(text).hasMatch()) << text.toStdString();
        inProgress += !text.isEmpty();
    }
    EXPECT_GT(inProgress, 0);
    // Quenby's own session stands out with a tip saying so; no other row does.
    int own = 0;
    for (int r = 0; r < List()->model()->rowCount(); ++r) {
        const QModelIndex index = List()->model()->index(r, 2);
        const bool mine = index.data(Qt::ToolTipRole).toString() ==
                          QStringLiteral("This is Quenby's own session");
        EXPECT_EQ(mine, List()->model()->index(r, 0).data().toString().toStdString() ==
                            window->Monitor().OwnSid);
        EXPECT_EQ(index.data(Qt::FontRole).value<QFont>().bold(), mine);
        own += mine;
    }
    EXPECT_EQ(own, 1);
    shot(window.get(), QStringLiteral("session-columns"));
    // The chosen columns at the list's right end.
    List()->horizontalScrollBar()->setValue(List()->horizontalScrollBar()->maximum());
    QCoreApplication::processEvents();
    shot(window.get(), QStringLiteral("session-columns-right"));
}

TEST_F(SessionBrowserWindow, WidthsOrderAndSortStayThroughRefreshesAndTheNextRun) {
    ShowAndLogin();
    QHeaderView* header = List()->header();
    const int username = ColumnOf(QStringLiteral("Username"));
    const int machine = ColumnOf(QStringLiteral("Machine"));
    header->resizeSection(username, 173);
    header->moveSection(header->visualIndex(machine), 1);
    Q_EMIT header->sectionClicked(0); // by SID
    auto sidsAscending = [&] {
        const std::vector<QString> sids = Column(0);
        for (std::size_t i = 1; i < sids.size(); ++i)
            if (sids[i - 1].toInt() >= sids[i].toInt())
                return false;
        return sids.size() > 3;
    };
    ASSERT_TRUE(sidsAscending());
    EXPECT_EQ(header->sortIndicatorSection(), 0);
    Refresh();
    Refresh();
    EXPECT_TRUE(sidsAscending());
    EXPECT_EQ(header->sectionSize(username), 173);
    EXPECT_EQ(header->visualIndex(machine), 1);
    EXPECT_EQ(header->sortIndicatorSection(), 0);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);

    // The next run of the program finds the list as the user left it.
    window->DisconnectSequence(false);
    window.reset();
    window = std::make_unique<gui::TFrmMain>();
    ShowAndLogin();
    header = List()->header();
    EXPECT_EQ(header->sectionSize(username), 173);
    EXPECT_EQ(header->visualIndex(machine), 1);
    EXPECT_EQ(header->sortIndicatorSection(), 0);
    EXPECT_TRUE(sidsAscending());
}

TEST_F(SessionBrowserWindow, ADetailListKeepsTheUsersSortThroughARefresh) {
    ShowAndLogin();
    int user = -1;
    const auto& rows = window->SessionListModel().RowsCopy();
    for (std::size_t i = 0; i < rows.size() && user < 0; ++i)
        if (rows[i].subItems[1] == "APPUSER")
            user = static_cast<int>(i);
    ASSERT_GE(user, 0);
    List()->SelectRow(user);
    window->UpdateActions();
    window->showStatisticsAction->trigger();
    auto idle = [&] {
        return waitFor([&] {
            auto* t = window->Monitor().Thread(monitor::wkStatistics);
            return !window->Monitor().Running(monitor::wkStatistics) && (!t || t->Finished());
        });
    };
    ASSERT_TRUE(idle());
    gui::TDetailPages* pages = window->DetailPages();
    window->SortAscending = false;
    Q_EMIT pages->statisticsList->header()->sectionClicked(1); // by name, A to Z
    auto namesAscending = [&] {
        const auto& s = pages->StatisticsModel.Rows();
        for (std::size_t i = 1; i < s.size(); ++i)
            if (monitor::TextCompare(s[i - 1].subItems[0], s[i].subItems[0]) > 0)
                return false;
        return s.size() > 2;
    };
    ASSERT_TRUE(namesAscending());
    EXPECT_TRUE(pages->statisticsList->header()->isSortIndicatorShown());
    EXPECT_EQ(pages->statisticsList->header()->sortIndicatorSection(), 1);
    const std::uint64_t generation = window->Monitor().ListGeneration;
    window->refreshAction->trigger();
    ASSERT_TRUE(waitFor([&] { return window->Monitor().ListGeneration > generation; }));
    ASSERT_TRUE(idle());
    ASSERT_TRUE(waitFor([&] {
        return window->Monitor().IsFresh(
            window->Monitor().SelectedSession()->Statistics().fetchGeneration);
    }));
    EXPECT_TRUE(namesAscending());
    EXPECT_EQ(pages->statisticsList->header()->sortIndicatorSection(), 1);
    EXPECT_EQ(pages->statisticsList->header()->sortIndicatorOrder(), Qt::AscendingOrder);
}

TEST_F(SessionBrowserWindow, CtrlCCopiesTheSelectedRowsWithHeadingsInEveryList) {
    ShowAndLogin();
    gui::TSessionListView* list = List();
    list->selectionModel()->clear();
    for (int r : {1, 3})
        list->selectionModel()->select(list->model()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    list->setFocus();
    QApplication::clipboard()->clear();
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    const QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 4); // headings, two rows, the final line break
    QStringList headings, first;
    for (int c = 0; c < list->model()->columnCount(); ++c) {
        if (list->isColumnHidden(c))
            continue;
        headings << list->model()->headerData(c, Qt::Horizontal).toString();
        first << list->model()->index(1, c).data().toString();
    }
    EXPECT_EQ(lines[0], headings.join(QLatin1Char('\t')));
    EXPECT_EQ(lines[1], first.join(QLatin1Char('\t')));
    EXPECT_TRUE(lines[2].startsWith(list->model()->index(3, 0).data().toString() + "\t"));

    // The NLS parameters list copies the same way.
    window->nlsParameterAction->trigger();
    auto* nls = window->findChild<QTreeView*>(QStringLiteral("LvNlsParameter"));
    ASSERT_NE(nls, nullptr);
    ASSERT_TRUE(waitFor([&] { return nls->model()->rowCount() > 2; }));
    nls->selectionModel()->select(nls->model()->index(0, 0),
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    nls->setFocus();
    QTest::keyClick(nls, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("Parameter\tValue\n%1\t%2\n")
                  .arg(nls->model()->index(0, 0).data().toString(),
                       nls->model()->index(0, 1).data().toString()));
}

TEST_F(SessionBrowserWindow, SessionsWhoseFiguresChangedStandOutReadablyInLightAndDark) {
    ShowAndLogin();
    monitor::TPvConnection& m = window->Monitor();
    const std::string busy(m.Sessions[4].Key());
    instance->sqliteRows("update \"v$sesstat\" set value = value + 777 where sid = " + busy +
                         " and \"statistic#\" = " + m.SortStatisticNumber);
    Refresh();
    int changed = 0;
    for (int r = 0; r < List()->model()->rowCount(); ++r) {
        const QModelIndex index = List()->model()->index(r, 2);
        const bool marked = !index.data(Qt::BackgroundRole).isNull();
        changed += marked;
        EXPECT_EQ(marked, List()->model()->index(r, 0).data().toString().toStdString() == busy);
    }
    EXPECT_EQ(changed, 1);
    for (const QPalette& palette :
         {QPalette(QColor(240, 240, 240)), testing_support::DarkPalette()}) {
        testing_support::PaletteScope scope(palette);
        const QColor ground = gui::ChangedRowColour();
        EXPECT_NE(ground, palette.color(QPalette::Base));
        for (int r = 0; r < List()->model()->rowCount(); ++r) {
            const QModelIndex index = List()->model()->index(r, 0);
            if (index.data().toString().toStdString() != busy)
                continue;
            const QColor text = index.data(Qt::ForegroundRole).value<QBrush>().color();
            EXPECT_GE(gui::ContrastRatio(text, ground), gui::kReadableContrast);
        }
    }
}

} // namespace
