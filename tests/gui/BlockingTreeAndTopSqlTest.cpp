// Cancel SQL from the session list, the "Blocking Tree" page (its chains, refreshed with the
// list, kill and cancel from its menu) and the "Top SQL" page (order, text, sessions, export),
// as a user drives them in the main window at 1280 x 900, offscreen, against the sandbox.
#include "gui/ExportCommands.h"
#include "gui/MainWindow.h"
#include "gui/pages/BlockingTreePage.h"
#include "gui/pages/TopSqlPage.h"
#include "gui/views/SessionListView.h"
#include "sandbox/SandboxInstance.h"
#include "support/ModalDriver.h"
#include "support/WindowRig.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTreeView>
#include <fstream>
#include <sstream>

namespace {

using testing_support::ListFetched;
using testing_support::ModalDriver;
using testing_support::shot;
using testing_support::ShowAndLogin;
using testing_support::waitFor;

class SessionPages : public testing_support::WindowTest {
protected:
    void SetUp() override {
        name = "sp_" + TestName();
        OpenInstanceAndWindow("sandbox::memory:" + name);
        ASSERT_TRUE(ShowAndLogin(*window, "sandbox::memory:" + name));
        ASSERT_TRUE(waitFor([&] { return ListFetched(*window); }));
        window->resize(1280, 900);
        tree = window->BlockingTree();
        topSql = window->TopSql();
        CountReads();
    }
    std::string one(const std::string& sql) {
        const auto rows = instance->sqliteRows(sql);
        return rows.empty() || rows[0].empty() ? std::string() : rows[0][0];
    }
    // Counts the tree's reads from now on.
    void CountReads() {
        tree->Reader()->OnRead = [this, read = tree->Reader()->OnRead] {
            read();
            ++reads;
        };
    }
    // Refreshes the list and waits until the tree has been read again after it.
    bool RefreshAndRead() {
        const int before = reads;
        window->onRefresh();
        return waitFor([&] { return reads > before && !tree->Reader()->Running(); });
    }
    // A step answering the question box named `name` with `answer`, keeping its text.
    // With `picture`, the box is saved under that name first.
    ModalDriver::Step Answer(const char* name, QMessageBox::StandardButton answer,
                             QString& question, const char* picture = nullptr) {
        return ModalDriver::Step(
            [name, answer, &question, picture](QWidget* w) {
                auto* box = qobject_cast<QMessageBox*>(w);
                ASSERT_NE(box, nullptr);
                EXPECT_EQ(box->objectName(), QString::fromLatin1(name));
                EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
                question = box->text();
                if (picture)
                    shot(box, QString::fromLatin1(picture));
                box->button(answer)->click();
            },
            [](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; });
    }
    // The index of the session in the tree, found through the model.
    QModelIndex TreeIndex(const std::string& sid) {
        const std::string serial = one("select \"serial#\" from \"v$session\" where sid=" + sid);
        return tree->Model().IndexOf(sid, serial);
    }
    gui::TBlockingTreePage* tree = nullptr;
    gui::TTopSqlPage* topSql = nullptr;
    int reads = 0;
};

TEST_F(SessionPages, TheBlockingTreeNestsEveryChainAndFollowsTheListRefresh) {
    window->blockingTreeAction->trigger();
    EXPECT_EQ(window->Pages()->currentIndex(), gui::BlockingTreePage);
    ASSERT_TRUE(
        waitFor([&] { return tree->Model().rowCount() == 1 && !tree->Reader()->Running(); }));
    QTreeView* view = tree->Tree();
    const QModelIndex root = view->model()->index(0, 0);
    EXPECT_EQ(view->model()->rowCount(root), 2);
    EXPECT_TRUE(view->isExpanded(root));
    EXPECT_EQ(tree->Summary()->text(),
              "1 blocking chain, 2 waiting sessions; deepest chain: 2 levels");

    // At tick 40 the simulator has formed a tree: a holder with three waiters, one of which
    // blocks a session that blocks another.
    instance->step(40);
    EXPECT_GE(std::stoi(one("select count(*) from \"v$session\" where blocking_session is not "
                            "null")),
              2);
    ASSERT_TRUE(RefreshAndRead());
    const auto& forest = tree->Model().Forest();
    ASSERT_EQ(forest.size(), 1u);
    EXPECT_EQ(monitor::ForestDepth(forest), 4);
    EXPECT_EQ(forest[0].waiters.size(), 3u);
    EXPECT_EQ(tree->Summary()->text(),
              "1 blocking chain, 5 waiting sessions; deepest chain: 4 levels");
    // Each session of the chain is listed once, expanded, with what a DBA needs in full view.
    const monitor::TBlockingNode* deepest = &forest[0];
    while (!deepest->waiters.empty()) {
        const monitor::TBlockingNode* next = &deepest->waiters.front();
        for (const auto& w : deepest->waiters)
            if (!w.waiters.empty())
                next = &w;
        deepest = next;
    }
    const std::string leafSid = deepest->session.sid; // the forest goes with the next read
    const QModelIndex leaf = TreeIndex(leafSid);
    ASSERT_TRUE(leaf.isValid());
    EXPECT_TRUE(view->isExpanded(leaf.parent()));
    EXPECT_EQ(deepest->session.event, "enq: TX - row lock contention");
    EXPECT_FALSE(deepest->session.object.empty());
    EXPECT_FALSE(deepest->session.sqlText.empty());
    view->scrollTo(leaf);
    const QFontMetrics metrics(view->font());
    for (int column :
         {monitor::TBlockingTreeModel::ColSid, monitor::TBlockingTreeModel::ColUser,
          monitor::TBlockingTreeModel::ColWait, monitor::TBlockingTreeModel::ColEvent,
          monitor::TBlockingTreeModel::ColObject, monitor::TBlockingTreeModel::ColSqlId}) {
        const QModelIndex cell = leaf.siblingAtColumn(column);
        EXPECT_GE(view->visualRect(cell).width(),
                  metrics.horizontalAdvance(view->model()->data(cell).toString()) + 6)
            << "cut: column " << column;
    }
    EXPECT_EQ(view->model()->data(leaf.siblingAtColumn(monitor::TBlockingTreeModel::ColWait),
                                  Qt::TextAlignmentRole),
              QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter)));
    view->selectionModel()->setCurrentIndex(leaf, QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
    shot(window.get(), QStringLiteral("blocking-tree"));

    // Ctrl+C copies the selected row under the headings; Export to File writes the whole tree,
    // each waiter indented under its blocker.
    QApplication::clipboard()->clear();
    view->setFocus();
    QAction* copy = view->findChild<QAction*>(QStringLiteral("BlockingTreeCopyRows"));
    ASSERT_NE(copy, nullptr);
    copy->trigger();
    const QStringList copied = QApplication::clipboard()->text().split(QLatin1Char('\n'));
    ASSERT_GE(copied.size(), 2);
    EXPECT_TRUE(copied[0].startsWith(QStringLiteral("SID\t")));
    EXPECT_TRUE(copied[1].startsWith(QString::fromStdString(leafSid) + QLatin1Char('\t')));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("tree.txt"));
    window->Exports()->FileNameProvider = [path] { return path; };
    tree->Popup()->popup(QPoint());
    tree->Popup()->hide();
    QAction* save = window->Exports()->Command("AcSaveBlockingTree");
    ASSERT_NE(save, nullptr);
    EXPECT_TRUE(window->Exports()->MenuItem("PMISaveBlockingTree")->isVisible());
    save->trigger();
    std::ifstream in(path.toStdString());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 3u + 6u); // heading, blank line, captions, six sessions
    EXPECT_EQ(lines[2].rfind("SID", 0), 0u);
    EXPECT_EQ(lines[3].rfind(forest[0].session.sid + " ", 0), 0u) << lines[3];
    int deepestLines = 0;
    for (const std::string& line : lines)
        deepestLines += line.rfind(std::string(6, ' ') + leafSid + " ", 0) == 0;
    EXPECT_EQ(deepestLines, 1) << "the session at the fourth level, indented three times";

    // A refresh keeps the selected session selected; at tick 50 the chains have cleared.
    ASSERT_TRUE(RefreshAndRead());
    ASSERT_NE(tree->Model().NodeAt(view->currentIndex()), nullptr);
    EXPECT_EQ(tree->Model().NodeAt(view->currentIndex())->session.sid, leafSid);
    instance->step(10);
    ASSERT_TRUE(RefreshAndRead());
    EXPECT_EQ(tree->Model().rowCount(), 0);
    EXPECT_EQ(tree->Summary()->text(), "No session waits for another session.");
}

TEST_F(SessionPages, CancelAndKillFromTheTreeAfterTheQuestion) {
    instance->step(40);
    window->blockingTreeAction->trigger();
    ASSERT_TRUE(waitFor([&] {
        return monitor::ForestDepth(tree->Model().Forest()) == 4 && !tree->Reader()->Running();
    }));
    const std::string root = tree->Model().Forest()[0].session.sid;
    // The waiter of the root that blocks others: cancelling its call leaves it holding its own
    // row lock, so that it becomes a root with its two levels below it.
    std::string middle;
    for (const auto& w : tree->Model().Forest()[0].waiters)
        if (!w.waiters.empty())
            middle = w.session.sid;
    ASSERT_FALSE(middle.empty());
    QTreeView* view = tree->Tree();
    view->selectionModel()->setCurrentIndex(TreeIndex(middle), QItemSelectionModel::ClearAndSelect |
                                                                   QItemSelectionModel::Rows);
    tree->UpdateItems();
    ASSERT_TRUE(tree->CancelItem()->isEnabled());
    QString question;
    ModalDriver driver({Answer("cancelSqlConfirmation", QMessageBox::Yes, question)});
    driver.Add(driver.Acknowledge());
    const int before = reads;
    tree->CancelItem()->trigger();
    ASSERT_TRUE(
        waitFor([&] { return driver.Done() && reads > before && !tree->Reader()->Running(); }));
    EXPECT_TRUE(question.startsWith(
        QStringLiteral("Cancel the running statement of this session?\n\n- SID ") +
        QString::fromStdString(middle)))
        << question.toStdString();
    ASSERT_EQ(driver.messages.size(), 1u);
    EXPECT_EQ(driver.messages[0],
              "The running statement has been cancelled; the session stays connected.");
    EXPECT_EQ(one("select status from \"v$session\" where sid=" + middle), "INACTIVE");
    const auto& forest = tree->Model().Forest();
    ASSERT_EQ(forest.size(), 2u);
    EXPECT_EQ(monitor::ForestDepth(forest), 3);
    EXPECT_EQ(tree->Model().NodeAt(TreeIndex(middle))->session.blocker, "");

    // Kill the root after a No, then after a Yes.
    view->selectionModel()->setCurrentIndex(TreeIndex(root), QItemSelectionModel::ClearAndSelect |
                                                                 QItemSelectionModel::Rows);
    tree->UpdateItems();
    ModalDriver no({Answer("killConfirmation", QMessageBox::No, question)});
    tree->KillItem()->trigger();
    ASSERT_TRUE(waitFor([&] { return no.Done(); }));
    EXPECT_NE(one("select status from \"v$session\" where sid=" + root), "KILLED");
    ModalDriver yes({Answer("killConfirmation", QMessageBox::Yes, question)});
    yes.Add(yes.Acknowledge());
    tree->KillItem()->trigger();
    ASSERT_TRUE(waitFor([&] { return yes.Done(); }));
    EXPECT_EQ(one("select status from \"v$session\" where sid=" + root), "KILLED");
}

TEST_F(SessionPages, CancelSqlFromTheSessionListAndOffBefore18c) {
    // A session waiting for a lock (the list's image 14).
    int row = -1;
    const auto& rows = window->SessionListModel().RowsCopy();
    for (std::size_t i = 0; i < rows.size() && row < 0; ++i)
        if (rows[i].image == 14)
            row = static_cast<int>(i);
    ASSERT_GE(row, 0);
    const std::string sid = rows[static_cast<std::size_t>(row)].caption;
    window->SessionList()->selectionModel()->select(window->SessionListModel().index(row, 0),
                                                    QItemSelectionModel::ClearAndSelect |
                                                        QItemSelectionModel::Rows);
    window->UpdateActions();
    ASSERT_TRUE(window->cancelSqlAction->isEnabled());
    EXPECT_EQ(window->cancelSqlAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Pause));
    QMenu* popup = window->SessionListPopup();
    QAction* item = popup->findChild<QAction*>(QStringLiteral("cancelSqlItem"));
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isEnabled());

    QString question;
    ModalDriver driver(
        {Answer("cancelSqlConfirmation", QMessageBox::Yes, question, "confirm-cancel-sql")});
    driver.Add(driver.Acknowledge());
    window->cancelSqlAction->trigger();
    ASSERT_TRUE(waitFor([&] { return driver.Done() && ListFetched(*window); }));
    EXPECT_EQ(one("select status from \"v$session\" where sid=" + sid), "INACTIVE");
    EXPECT_EQ(one("select count(*) from \"v$session\" where sid=" + sid), "1");
    EXPECT_TRUE(question.contains(QStringLiteral("- SID ") + QString::fromStdString(sid) +
                                  QStringLiteral(", serial# ")))
        << question.toStdString();

    // On an 11g instance the command is off, and says why.
    window->Monitor().InstanceVersion = "11.2.0.4.0";
    window->UpdateActions();
    EXPECT_FALSE(window->cancelSqlAction->isEnabled());
    EXPECT_EQ(window->cancelSqlAction->toolTip(),
              "Cancel SQL needs Oracle 18c or later; this instance is version 11.2.0.4.0. Kill "
              "the session instead.");
    EXPECT_FALSE(item->isEnabled());
    EXPECT_EQ(item->toolTip(), window->cancelSqlAction->toolTip());
    EXPECT_TRUE(window->killSessionAction->isEnabled());
    window->blockingTreeAction->trigger();
    ASSERT_TRUE(
        waitFor([&] { return tree->Model().rowCount() == 1 && !tree->Reader()->Running(); }));
    tree->Tree()->selectionModel()->setCurrentIndex(
        tree->Model().index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    tree->UpdateItems();
    EXPECT_TRUE(tree->KillItem()->isEnabled());
    EXPECT_FALSE(tree->CancelItem()->isEnabled());
    EXPECT_EQ(tree->CancelItem()->toolTip(), window->cancelSqlAction->toolTip());
}

TEST_F(SessionPages, TopSqlListsTheHeaviestStatementsWithTextSessionsAndExport) {
    window->topSqlAction->trigger();
    EXPECT_EQ(window->Pages()->currentIndex(), gui::TopSqlPage);
    monitor::TTextListModel& list = topSql->StatementModel();
    const int all = std::stoi(one("select count(*) from \"v$sqlarea\""));
    ASSERT_EQ(list.rowCount(), std::min(all, 50));
    EXPECT_EQ(list.Cell(0, 0),
              one("select sql_id from \"v$sqlarea\" order by elapsed_time desc limit 1"));
    EXPECT_EQ(list.data(list.index(0, 3), Qt::TextAlignmentRole),
              QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter)));

    // By executions, the top 10.
    topSql->OrderCombo()->setCurrentIndex(4);
    topSql->LimitSpin()->setValue(10);
    topSql->RefreshButton()->click();
    ASSERT_EQ(list.rowCount(), std::min(all, 10));
    EXPECT_EQ(one("select executions from \"v$sqlarea\" where sql_id='" + list.Cell(0, 0) + "'"),
              one("select max(executions) from \"v$sqlarea\""));

    // The statement that most sessions run now: its text with keywords in blue, its sessions.
    const auto running =
        instance->sqliteRows("select sql_id, count(*) from \"v$session\" where sql_id is not "
                             "null group by sql_id order by 2 desc, 1 limit 1");
    ASSERT_EQ(running.size(), 1u);
    topSql->OrderCombo()->setCurrentIndex(0);
    topSql->LimitSpin()->setValue(200);
    topSql->RefreshButton()->click();
    int at = -1;
    for (int r = 0; r < list.rowCount() && at < 0; ++r)
        if (list.Cell(r, 0) == running[0][0])
            at = r;
    ASSERT_GE(at, 0);
    topSql->LimitSpin()->setValue(50);
    topSql->StatementList()->SelectRow(at);
    EXPECT_EQ(std::to_string(topSql->SessionModel().rowCount()), running[0][1]);
    EXPECT_EQ(topSql->SessionsLabel()->text(), QStringLiteral("Sessions running %1 now: %2")
                                                   .arg(QString::fromStdString(running[0][0]),
                                                        QString::fromStdString(running[0][1])));
    const QString text = topSql->StatementBox()->toPlainText().simplified();
    EXPECT_FALSE(text.isEmpty());
    EXPECT_NE(topSql->StatementBox()->toHtml().indexOf(QStringLiteral("#0000ff")), -1)
        << "keywords in blue";
    shot(window.get(), QStringLiteral("top-sql"));
    // No heading is cut, nor a SQL id or a figure of the list or of the sessions.
    for (gui::TReportListView* view : {topSql->StatementList(), topSql->SessionList()}) {
        const QFontMetrics header(view->header()->font());
        const QFontMetrics cells(view->font());
        for (int c = 0; c + 1 < view->model()->columnCount(); ++c) {
            const QString caption = view->model()->headerData(c, Qt::Horizontal).toString();
            EXPECT_GE(view->columnWidth(c), header.horizontalAdvance(caption) + 12)
                << caption.toStdString();
            if (caption == QStringLiteral("SQL Text"))
                continue;
            for (int r = 0; r < view->model()->rowCount(); ++r)
                EXPECT_GE(view->columnWidth(c),
                          cells.horizontalAdvance(
                              view->model()->data(view->model()->index(r, c)).toString()) +
                              8)
                    << caption.toStdString() << " row " << r;
        }
    }

    // A reload keeps the selected statement.
    topSql->RefreshButton()->click();
    EXPECT_EQ(list.Cell(topSql->StatementList()->SelectedRow(), 0), running[0][0]);

    // Export to File writes the list as shown.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("top.txt"));
    window->Exports()->FileNameProvider = [path] { return path; };
    window->Exports()->UpdateVisibility();
    QAction* save = window->Exports()->Command("AcSaveTopSql");
    ASSERT_NE(save, nullptr);
    EXPECT_TRUE(save->isVisible());
    save->trigger();
    std::ifstream in(path.toStdString());
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_NE(content.str().find("Elapsed/Exec (ms)"), std::string::npos);
    EXPECT_NE(content.str().find(list.Cell(0, 0)), std::string::npos);
}

} // namespace
