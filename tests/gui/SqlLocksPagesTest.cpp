// The "Session SQL" and "Session Locks" pages of the main window, offscreen, against the sandbox:
// the keyword colours in the statement box, switching by a click on a cursor row, the popup's
// "Export to File", the indented lock chain, and pictures of both pages.
#include "gui/MainWindow.h"
#include "gui/ReadableColour.h"
#include "gui/pages/LocksPage.h"
#include "gui/pages/SqlPage.h"
#include "sandbox/SandboxInstance.h"
#include "support/ModalDriver.h"
#include "support/WindowRig.h"
#include "util/HandOver.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTreeView>

namespace {

using testing_support::ListFetched;
using testing_support::ModalDriver;
using testing_support::shot;
using testing_support::ShowAndLogin;
using testing_support::waitFor;

class SqlLocksPages : public testing_support::WindowTest {
protected:
    void SetUp() override {
        name = TestName();
        OpenInstanceAndWindow("sandbox::memory:pages_" + name);
        window->resize(1000, 640);
        ASSERT_TRUE(ShowAndLogin(*window, "sandbox::memory:pages_" + name));
        ASSERT_TRUE(waitFor([&] { return Idle(monitor::wkList); }));
    }
    bool Idle(monitor::TWorkerKind kind) {
        auto* t = window->Monitor().Thread(kind);
        return !window->Monitor().Running(kind) && (!t || !t->Started() || t->Finished());
    }
    std::string one(const std::string& sql) {
        const auto r = instance->sqliteRows(sql);
        return r.empty() ? std::string() : r[0][0];
    }
    // Selects the session and shows one of the two pages as the page-change logic does.
    void Open(const std::string& sid, gui::TPage page) {
        auto& m = window->Monitor();
        m.SelectedSid = sid;
        ASSERT_NE(m.LocateSelectedSession(), -1);
        window->ShowPage(page);
        if (page == gui::SessionSqlPage) {
            window->SqlPage()->FillHeader();
            window->SqlPage()->Observer()->SetActive(true);
        } else {
            window->LocksPage()->FillHeader();
            window->LocksPage()->Observer()->SetActive(true);
        }
        ASSERT_TRUE(waitFor([&] { return Idle(monitor::wkSql) && Idle(monitor::wkLocks); }));
        QCoreApplication::processEvents();
    }
};

TEST_F(SqlLocksPages, StatementBoxColoursKeywordsBlueAndTheRestInWindowText) {
    // A session that runs a statement with several pieces now.
    const std::string sid =
        one("select s.sid from \"v$session\" s where s.type = 'USER' and exists (select 1 from"
            " \"v$sqltext\" st where st.address = s.sql_address and st.piece >= 1) order by s.sid");
    ASSERT_FALSE(sid.empty());
    Open(sid, gui::SessionSqlPage);
    gui::TSqlPage* page = window->SqlPage();
    QTextEdit* box = page->StatementBox();
    ASSERT_EQ(box->objectName(), QStringLiteral("statementEdit"));
    EXPECT_TRUE(box->toPlainText().startsWith(QStringLiteral("[Current Sql Statement]\n")));
    const QColor windowText = box->palette().color(QPalette::WindowText);
    int blueWords = 0, plainWords = 0;
    for (QTextBlock b = box->document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const QString text = f.text().trimmed();
            if (text.isEmpty())
                continue;
            const QColor c = f.charFormat().foreground().color();
            const bool keyword = c == QColor(0, 0, 255);
            if (!keyword) {
                EXPECT_EQ(c, windowText) << text.toStdString();
            }
            blueWords += keyword;
            plainWords += !keyword;
            if (keyword) {
                EXPECT_FALSE(text.contains(QLatin1Char(' '))) << text.toStdString();
            }
        }
    EXPECT_GT(blueWords, 0);
    EXPECT_GT(plainWords, 0);
    // The header shows the session.
    auto* user = page->findChild<QLabel*>(QStringLiteral("sqlUsernameValue"));
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(
        user->text().toStdString(),
        window->Monitor().SelectedSession()->basic.fields[monitor::bfSchemaName].substr(0, 15));
    shot(window.get(), QStringLiteral("session_sql"));
}

TEST_F(SqlLocksPages, UnderADarkPaletteTheKeywordsStayABlueThatStandsOut) {
    const std::string sid =
        one("select s.sid from \"v$session\" s where s.type = 'USER' and exists (select 1 from"
            " \"v$sqltext\" st where st.address = s.sql_address and st.piece >= 1) order by s.sid");
    ASSERT_FALSE(sid.empty());
    const testing_support::PaletteScope dark(testing_support::DarkPalette());
    Open(sid, gui::SessionSqlPage);
    QTextEdit* box = window->SqlPage()->StatementBox();
    const QColor base = box->palette().color(QPalette::Base);
    const QColor text = box->palette().color(QPalette::Text);
    int keywords = 0;
    for (QTextBlock b = box->document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            if (it.fragment().text().trimmed().isEmpty())
                continue;
            const QColor c = it.fragment().charFormat().foreground().color();
            EXPECT_GE(gui::ContrastRatio(c, base), gui::kReadableContrast)
                << it.fragment().text().toStdString();
            if (c != text) {
                ++keywords;
                EXPECT_GT(c.blue(), c.red()); // still a blue
            }
        }
    EXPECT_GT(keywords, 0);
    shot(window.get(), QStringLiteral("session_sql-dark"));
}

TEST_F(SqlLocksPages, ClickingACursorRowShowsItsTextAndThePopupOffersExport) {
    const std::string sid =
        one("select sid from \"v$open_cursor\" group by sid having count(*) >= 3"
            " order by sid");
    ASSERT_FALSE(sid.empty());
    Open(sid, gui::SessionSqlPage);
    gui::TSqlPage* page = window->SqlPage();
    QTreeView* list = page->CursorList();
    ASSERT_GE(list->model()->rowCount(), 2);
    // The cursor with the most pieces, clicked in the list.
    const auto& cursors = window->Monitor().SelectedSession()->Sql().cursors;
    int row = 0;
    for (int i = 0; i < static_cast<int>(cursors.size()); ++i)
        if (cursors[static_cast<std::size_t>(i)].size() >
            cursors[static_cast<std::size_t>(row)].size())
            row = i;
    const QRect cell = list->visualRect(list->model()->index(row, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    const auto& cursor = cursors[static_cast<std::size_t>(row)];
    std::string full;
    for (const auto& p : cursor)
        full += p;
    QString expected;
    for (const auto& t : detail::TokenizeSql(full))
        expected += QString::fromStdString(t) + QLatin1Char(' ');
    QString shown = page->StatementBox()->toPlainText();
    shown.replace(QLatin1Char('\n'), QString());
    EXPECT_EQ(shown, expected);
    EXPECT_GT(page->Observer()->SelectTime, 0.0);
    shot(window.get(), QStringLiteral("session_sql_cursor"));
    page->updateSaveAction();
    EXPECT_TRUE(page->SaveAction()->isVisible());
    page->CursorModel().SetRows({});
    page->updateSaveAction();
    EXPECT_FALSE(page->SaveAction()->isVisible());
}

TEST_F(SqlLocksPages, SavingToAFileThatCannotBeWrittenSaysSo) {
    const std::string sid =
        one("select sid from \"v$open_cursor\" group by sid having count(*) >= 2 order by sid");
    ASSERT_FALSE(sid.empty());
    Open(sid, gui::SessionSqlPage);
    gui::TSqlPage* page = window->SqlPage();
    ASSERT_GE(page->CursorList()->model()->rowCount(), 1);
    const QString file = QStringLiteral("/nonexistent-quenby/statements.log");
    ModalDriver driver({});
    driver.Add(driver.Acknowledge());
    EXPECT_FALSE(page->SaveSelectedTo(file));
    ASSERT_TRUE(driver.Done());
    ASSERT_EQ(driver.messages.size(), 1u);
    EXPECT_EQ(driver.messages[0], QStringLiteral("The SQL statements could not be saved to "
                                                 "/nonexistent-quenby/statements.log: No such "
                                                 "file or directory."));
    // A file that can be written is saved without a word.
    QTemporaryDir dir;
    ModalDriver quiet({});
    EXPECT_TRUE(page->SaveSelectedTo(dir.filePath(QStringLiteral("statements.log"))));
    EXPECT_TRUE(quiet.messages.empty());
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("statements.log"))).size() > 0);

    // The save dialog starts under the user's home, never in the program's folder, and the next
    // one starts in the folder of the last save.
    QString startFolder;
    const QString typed = dir.filePath(QStringLiteral("chosen"));
    ModalDriver save({[&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->objectName(), QStringLiteral("saveSqlDialog"));
        startFolder = dialog->directory().absolutePath();
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        edit->setText(typed);
        static_cast<QDialog*>(dialog)->accept(); // as the Save button does
    }});
    page->SaveAction()->trigger();
    ASSERT_TRUE(waitFor([&] { return save.Done(); }));
    EXPECT_NE(startFolder, QDir(QCoreApplication::applicationDirPath()).absolutePath());
    EXPECT_TRUE(startFolder.startsWith(QDir::homePath())) << startFolder.toStdString();
    EXPECT_TRUE(QFileInfo(typed + QStringLiteral(".log")).size() > 0);
    QString nextFolder;
    ModalDriver cancel({[&](QWidget* w) {
        nextFolder = qobject_cast<QFileDialog*>(w)->directory().absolutePath();
        qobject_cast<QDialog*>(w)->reject();
    }});
    page->SaveAction()->trigger();
    ASSERT_TRUE(waitFor([&] { return cancel.Done(); }));
    EXPECT_EQ(nextFolder, QDir(dir.path()).absolutePath());
}

TEST_F(SqlLocksPages, LocksPageIndentsTheWaitersOfTheHoldersChain) {
    const std::string holder = one("select sid from \"v$lock\" where type = 'TX' and block = 1 and"
                                   " lmode = 6 order by rowid");
    ASSERT_FALSE(holder.empty());
    Open(holder, gui::SessionLocksPage);
    QTreeView* list = window->LocksPage()->LockList();
    ASSERT_EQ(list->objectName(), QStringLiteral("LVLocks"));
    QAbstractItemModel* model = list->model();
    ASSERT_EQ(model->columnCount(), 9);
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Lock Type"));
    // The columns take the width of their contents: no text of the list is cut.
    for (int c = 0; c + 1 < model->columnCount(); ++c)
        for (int r = 0; r < model->rowCount(); ++r) {
            const QString text = model->index(r, c).data().toString();
            EXPECT_GE(list->columnWidth(c), list->fontMetrics().horizontalAdvance(text))
                << text.toStdString();
        }
    int indented = 0;
    for (int r = 0; r < model->rowCount(); ++r)
        indented += model->index(r, 0).data().toString().startsWith(QStringLiteral("    "));
    EXPECT_EQ(indented, std::stoi(one("select count(*) from \"v$lock\" where request = 6 and id1 ="
                                      " (select id1 from \"v$lock\" where sid = " +
                                      holder + " and block = 1)")));
    EXPECT_GE(indented, 1);
    shot(window.get(), QStringLiteral("session_locks"));
}

TEST_F(SqlLocksPages, HeaderCutsLongValuesAndIsBlankWithoutASelectedSession) {
    const std::string sid = one("select sid from \"v$session\" where type = 'USER' order by sid");
    ASSERT_FALSE(sid.empty());
    instance->sqliteRows("update \"v$session\" set schemaname = 'SCHEMA_NAME_OF_26_LETTERS_', "
                         "machine = 'machine-name-that-is-30-chars-', program = "
                         "'program-name-of-24-char' where sid = " +
                         sid);
    window->Monitor().Refresh();
    ASSERT_TRUE(waitFor([&] { return Idle(monitor::wkList); }));
    Open(sid, gui::SessionLocksPage);
    auto label = [&](const char* name) {
        auto* l = window->LocksPage()->findChild<QLabel*>(QString::fromLatin1(name));
        return l ? l->text().toStdString() : std::string("<missing>");
    };
    EXPECT_EQ(label("locksUsernameValue"), "SCHEMA_NAME_OF_");
    EXPECT_EQ(label("locksMachineValue"), "machine-name-that-is-30-c");
    EXPECT_EQ(label("locksProgramValue"), "program-name-of-24-c");
    shot(window.get(), QStringLiteral("session_locks_header"));
    window->Monitor().SelectedIndex = -1;
    window->LocksPage()->FillHeader();
    EXPECT_EQ(label("locksUsernameValue"), "");
    EXPECT_EQ(label("locksMachineValue"), "");
    EXPECT_EQ(label("locksProgramValue"), "");
}

TEST_F(SqlLocksPages, CopyNeedsASelectionInTheFocusedStatementBox) {
    const std::string sid =
        one("select s.sid from \"v$session\" s where s.type = 'USER' and exists (select 1 from"
            " \"v$sqltext\" st where st.address = s.sql_address) order by s.sid");
    ASSERT_FALSE(sid.empty());
    Open(sid, gui::SessionSqlPage);
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(waitFor([&] { return window->isActiveWindow(); }));
    gui::TSqlPage* page = window->SqlPage();
    page->CursorList()->setFocus();
    ASSERT_TRUE(waitFor([&] { return page->CursorList()->hasFocus(); }));
    EXPECT_FALSE(page->CanSelectAll());
    EXPECT_FALSE(page->CanCopy());
    page->StatementBox()->setFocus();
    ASSERT_TRUE(waitFor([&] { return page->StatementBox()->hasFocus(); }));
    EXPECT_TRUE(page->CanSelectAll());
    EXPECT_FALSE(page->CanCopy());
    page->SelectAll();
    ASSERT_TRUE(page->CanCopy());
    QApplication::clipboard()->clear();
    page->Copy();
    EXPECT_EQ(QApplication::clipboard()->text(), page->StatementBox()->toPlainText());
    EXPECT_TRUE(
        QApplication::clipboard()->text().startsWith(QStringLiteral("[Current Sql Statement]")));
}

} // namespace
