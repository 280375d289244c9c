// The database pages, the parameter editor, the export commands, copy and select-all, as a user
// drives them in the main window, offscreen, against the sandbox instance.
#include "gui/pages/DatabasePages.h"

#include "gui/ExportCommands.h"
#include "gui/MainWindow.h"
#include "gui/views/SessionListView.h"
#include "monitor/DatabaseInfo.h"
#include "sandbox/SandboxInstance.h"
#include "support/ModalDriver.h"
#include "support/WindowRig.h"
#include "util/HandOver.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <fstream>
#include <regex>
#include <sstream>

namespace {

using testing_support::ListFetched;
using testing_support::ModalDriver;
using testing_support::shot;
using testing_support::ShowAndLogin;
using testing_support::waitFor;

std::string readFile(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class DatabasePages : public testing_support::WindowTest {
protected:
    void SetUp() override {
        name = "dbp_" + TestName();
        OpenInstanceAndWindow("sandbox::memory:" + name, 12);
        ASSERT_TRUE(ShowAndLogin(*window, "sandbox::memory:" + name));
        ASSERT_TRUE(waitFor([&] { return ListFetched(*window); }));
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(waitFor([&] { return window->isActiveWindow(); }));
        db = window->DatabasePages();
        exports = window->Exports();
        ASSERT_TRUE(dir.isValid());
    }
    // Exports go to this file instead of asking.
    QString ExportTo(const char* file) {
        const QString path = dir.filePath(QString::fromLatin1(file));
        exports->FileNameProvider = [path] { return path; };
        return path;
    }
    int RowOf(monitor::TTextListModel& model, const std::string& caption) {
        for (int i = 0; i < model.rowCount(); ++i)
            if (model.Cell(i, 0) == caption)
                return i;
        return -1;
    }
    void SelectParameter(const std::string& parameter) {
        const int row = RowOf(db->SystemParameterModel(), parameter);
        ASSERT_GE(row, 0) << parameter;
        db->systemParameterList->SelectRow(row);
        window->UpdateActions();
    }
    std::string ListValue(const std::string& parameter) {
        return db->SystemParameterModel().Cell(RowOf(db->SystemParameterModel(), parameter), 1);
    }
    // Clicks Modify; a confirmation is answered with `answer` (its text kept in `question`), the
    // message box that follows is acknowledged and its text returned.
    std::string Modify(QMessageBox::StandardButton answer = QMessageBox::Yes,
                       const QString& picture = QString()) {
        question.clear();
        ModalDriver driver({});
        driver.Add([&, answer, picture](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            if (box->objectName() != QStringLiteral("parameterConfirmation")) {
                driver.messages.push_back(box->text());
                box->accept();
                return;
            }
            question = box->text();
            EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No)) << "No is the default";
            if (!picture.isEmpty())
                shot(box, picture);
            if (answer == QMessageBox::Yes)
                driver.Add(driver.Acknowledge());
            box->button(answer)->click();
        });
        db->modifyButton->click();
        EXPECT_TRUE(waitFor([&] { return driver.Done(); }));
        return driver.messages.empty() ? std::string() : driver.messages[0].toStdString();
    }
    std::string SystemValue(const std::string& parameter) {
        return instance->sqliteRows("select value from \"v$system_parameter\" where name='" +
                                    parameter + "'")[0][0];
    }
    QString question; // the text of the last confirmation
    std::vector<std::string> VisibleItems(QMenu* menu) {
        std::vector<std::string> items;
        for (QAction* a : menu->actions())
            if (a->isVisible() && !a->isSeparator())
                items.push_back(a->objectName().toStdString());
        return items;
    }
    gui::TDatabasePages* db = nullptr;
    gui::TExportCommands* exports = nullptr;
    QTemporaryDir dir;
};

TEST_F(DatabasePages, EachCommandLoadsItsPageShowsItAndTheCloseButton) {
    window->databaseInfoAction->trigger();
    EXPECT_EQ(window->Pages()->currentIndex(), gui::DatabaseInfoPage);
    EXPECT_TRUE(window->Pages()->isTabVisible(gui::DatabaseInfoPage));
    EXPECT_TRUE(window->CloseButton()->isVisible());
    const QString text = db->databaseInfoText->toPlainText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("VERSION\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nLICENSE\n")));
    // Headings in blue, the rest in the window-text colour.
    QTextCursor cursor(db->databaseInfoText->document());
    cursor.setPosition(1);
    EXPECT_EQ(cursor.charFormat().foreground().color(), QColor(Qt::blue));
    cursor.setPosition(text.indexOf(QStringLiteral("\n")) + 5);
    EXPECT_NE(cursor.charFormat().foreground().color(), QColor(Qt::blue));
    shot(window.get(), "database-info");

    window->nlsParameterAction->trigger();
    EXPECT_EQ(window->Pages()->currentIndex(), gui::NlsParameterPage);
    EXPECT_EQ(db->NlsModel().rowCount(), 19);
    window->systemEventAction->trigger();
    EXPECT_EQ(window->Pages()->currentIndex(), gui::SystemEventPage);
    EXPECT_GT(db->SystemEventModel().rowCount(), 5);
    window->systemParameterAction->trigger();
    EXPECT_EQ(window->Pages()->currentIndex(), gui::SystemParameterPage);
    EXPECT_EQ(db->SystemParameterModel().rowCount(),
              static_cast<int>(window->Monitor().SystemParameters.size()));
    // Running a command again reloads: a changed value shows.
    instance->sqliteRows(
        "update \"v$nls_parameters\" set value='GERMAN' where parameter='NLS_LANGUAGE'");
    window->nlsParameterAction->trigger();
    EXPECT_EQ(db->NlsModel().Cell(0, 1), "GERMAN");
}

TEST_F(DatabasePages, ASelectedRowFillsTheEditAndUnchecksTheCheckBox) {
    window->systemParameterAction->trigger();
    db->sessionOnlyCheck->setChecked(true);
    SelectParameter("timed_statistics");
    EXPECT_EQ(db->newValueEdit->text().toStdString(), ListValue("timed_statistics"));
    EXPECT_FALSE(db->sessionOnlyCheck->isChecked());
    EXPECT_TRUE(db->modifyButton->isEnabled());
    EXPECT_FALSE(db->sessionOnlyCheck->isHidden());
    EXPECT_FALSE(db->newValueEdit->isHidden());
    shot(window.get(), "system-parameter-both");
}

TEST_F(DatabasePages, BothLevelsRunAlterSystemUncheckedAndAlterSessionChecked) {
    window->systemParameterAction->trigger();
    SelectParameter("timed_statistics");
    db->newValueEdit->setText(QStringLiteral("false"));
    EXPECT_EQ(Modify(), "New Value apply to all existing and future sessions");
    // Entering false for a boolean shows FALSE; the instance has it.
    EXPECT_EQ(ListValue("timed_statistics"), "FALSE");
    EXPECT_EQ(instance->sqliteRows("select value from \"v$system_parameter\" where "
                                   "name='timed_statistics'")[0][0],
              "FALSE");
    db->sessionOnlyCheck->setChecked(true);
    db->newValueEdit->setText(QStringLiteral("true"));
    EXPECT_EQ(Modify(), "New Value only apply to this session!");
    EXPECT_EQ(ListValue("timed_statistics"), "TRUE");
    EXPECT_EQ(instance->sqliteRows("select value from \"v$system_parameter\" where "
                                   "name='timed_statistics'")[0][0],
              "FALSE");
}

TEST_F(DatabasePages, SessionOnlyDeferredAndNeitherLevelBehaveAsTheirModifiability) {
    window->systemParameterAction->trigger();
    SelectParameter("tracefile_identifier");
    EXPECT_TRUE(db->sessionOnlyCheck->isHidden());
    db->newValueEdit->setText(QStringLiteral("it's"));
    EXPECT_EQ(Modify(), "New Value only apply to this session!");
    EXPECT_EQ(ListValue("tracefile_identifier"), "it's");

    SelectParameter("backup_tape_io_slaves");
    db->newValueEdit->setText(QStringLiteral("true"));
    EXPECT_EQ(Modify(), "New Value only apply to future sessions");
    EXPECT_EQ(instance->sqliteRows("select value from \"v$system_parameter\" where "
                                   "name='backup_tape_io_slaves'")[0][0],
              "TRUE");

    SelectParameter("processes");
    EXPECT_FALSE(db->modifyButton->isEnabled());
    EXPECT_FALSE(db->modifyParameterAction->isEnabled());
    EXPECT_TRUE(db->newValueLabel->isHidden());
    EXPECT_TRUE(db->newValueEdit->isHidden());
    EXPECT_TRUE(db->sessionOnlyCheck->isHidden());
    shot(window.get(), "system-parameter-neither");
}

TEST_F(DatabasePages, BlanksAskForAValueAndARefusedValueShowsTheInstancesMessage) {
    window->systemParameterAction->trigger();
    SelectParameter("cursor_sharing");
    db->newValueEdit->setText(QStringLiteral("   "));
    EXPECT_EQ(Modify(), "Please enter new value!");
    db->newValueEdit->setText(QStringLiteral("BOGUS"));
    EXPECT_EQ(Modify(), "ORA-00096: invalid value BOGUS for parameter cursor_sharing, must be "
                        "from among SIMILAR, EXACT, FORCE");
    // The list keeps the old value.
    EXPECT_EQ(ListValue("cursor_sharing"), "EXACT");
}

TEST_F(DatabasePages, EnterInTheEditRunsModify) {
    window->systemParameterAction->trigger();
    SelectParameter("timed_statistics");
    db->newValueEdit->setText(QStringLiteral("false"));
    db->newValueEdit->setFocus();
    ModalDriver driver({[](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        box->button(QMessageBox::Yes)->click();
    }});
    driver.Add(driver.Acknowledge());
    QTest::keyClick(db->newValueEdit, Qt::Key_Return);
    ASSERT_TRUE(waitFor([&] { return driver.Done(); }));
    ASSERT_EQ(driver.messages.size(), 1u);
    EXPECT_EQ(driver.messages[0].toStdString(),
              "New Value apply to all existing and future sessions");
}

TEST_F(DatabasePages, ModifyShowsTheStatementAndItsScopeAndNoRunsNothing) {
    window->systemParameterAction->trigger();
    SelectParameter("timed_statistics");
    const std::string before = SystemValue("timed_statistics");
    ASSERT_EQ(before, "TRUE");
    db->newValueEdit->setText(QStringLiteral("false"));
    EXPECT_EQ(Modify(QMessageBox::No, QStringLiteral("confirm-parameter")), "");
    EXPECT_EQ(question.toStdString(),
              "Change timed_statistics from TRUE to false?\n\nStatement:\nalter system set "
              "timed_statistics=false\n\nScope: the whole instance: all existing and future "
              "sessions (alter system)");
    EXPECT_EQ(SystemValue("timed_statistics"), before) << "No ran nothing";
    EXPECT_EQ(ListValue("timed_statistics"), before);

    db->sessionOnlyCheck->setChecked(true);
    EXPECT_EQ(Modify(QMessageBox::No), "");
    EXPECT_TRUE(question.contains(QStringLiteral("alter session set timed_statistics=false")));
    EXPECT_TRUE(question.contains(QStringLiteral("Scope: this session only")));
    db->sessionOnlyCheck->setChecked(false);
    EXPECT_EQ(Modify(QMessageBox::Yes), "New Value apply to all existing and future sessions");
    EXPECT_EQ(SystemValue("timed_statistics"), "FALSE");
}

TEST_F(DatabasePages, AnUnchangedValueIsSaidSoAndRunsNothing) {
    window->systemParameterAction->trigger();
    SelectParameter("cursor_sharing");
    EXPECT_EQ(db->newValueEdit->text(), QStringLiteral("EXACT"));
    // A statement that ran would fail: the instance has been told to refuse it.
    oradb::sandbox::Fault fault;
    fault.fragment = "alter system set cursor_sharing";
    fault.failAfterRows = 0;
    instance->addFault(fault);
    EXPECT_EQ(Modify(), "cursor_sharing is already EXACT: nothing was changed.");
    EXPECT_TRUE(question.isEmpty()) << "nothing to confirm";
    instance->clearFaults();
    // After a change, the new value is the current one.
    SelectParameter("timed_statistics");
    db->newValueEdit->setText(QStringLiteral("false"));
    EXPECT_EQ(Modify(), "New Value apply to all existing and future sessions");
    EXPECT_EQ(Modify(), "timed_statistics is already FALSE: nothing was changed.");
}

TEST_F(DatabasePages, TheErrorRowOfAFailedLoadKeepsTheEditorDisabled) {
    oradb::sandbox::Fault fault;
    fault.fragment = "v$system_parameter";
    fault.failAfterRows = 10;
    instance->addFault(fault);
    window->systemParameterAction->trigger();
    ASSERT_EQ(db->SystemParameterModel().rowCount(), 11);
    db->systemParameterList->SelectRow(10);
    window->UpdateActions();
    EXPECT_FALSE(db->modifyButton->isEnabled());
    db->systemParameterList->SelectRow(0);
    window->UpdateActions();
    EXPECT_EQ(db->modifyButton->isEnabled(),
              monitor::ParameterEditorState(&window->Monitor().SystemParameters[0]).modifyEnabled);
}

TEST_F(DatabasePages, TheFirstClickOnANumberSortsUpAndOnEventSortsZToA) {
    window->systemEventAction->trigger();
    auto& model = db->SystemEventModel();
    db->systemEventList->header()->sectionClicked(1);
    shot(window.get(), "system-event-sorted");
    for (int i = 1; i < model.rowCount(); ++i)
        EXPECT_LE(std::stod(model.Cell(i - 1, 1)), std::stod(model.Cell(i, 1)));
    // A fresh window: its first click is on EVENT.
    window->SortAscending = false;
    db->systemEventList->header()->sectionClicked(0);
    EXPECT_TRUE(window->SortAscending);
    for (int i = 1; i < model.rowCount(); ++i)
        EXPECT_GE(QString::fromStdString(model.Cell(i - 1, 0))
                      .compare(QString::fromStdString(model.Cell(i, 0)), Qt::CaseInsensitive),
                  0);
}

TEST_F(DatabasePages, EachPageOffersOnlyItsOwnExportItem) {
    window->databaseInfoAction->trigger();
    exports->UpdateVisibility();
    EXPECT_EQ(VisibleItems(exports->exportMenu), std::vector<std::string>{"PMISaveDbinfo"});
    window->systemParameterAction->trigger();
    exports->UpdateVisibility();
    EXPECT_EQ(VisibleItems(exports->exportMenu), std::vector<std::string>{"PMISaveSystemP"});
    EXPECT_TRUE(exports->Command("AcSaveSystemP")->isVisible());
    EXPECT_FALSE(exports->Command("AcSaveDbinfo")->isVisible());
    window->nlsParameterAction->trigger();
    exports->UpdateVisibility();
    EXPECT_EQ(VisibleItems(exports->exportMenu), std::vector<std::string>{"PMISaveNlsp"});
    window->systemEventAction->trigger();
    exports->UpdateVisibility();
    EXPECT_EQ(VisibleItems(exports->exportMenu), std::vector<std::string>{"PMISaveSysteme"});
    window->Pages()->setCurrentIndex(gui::SessionListPage);
    exports->UpdateVisibility();
    EXPECT_TRUE(VisibleItems(exports->exportMenu).empty());
    EXPECT_TRUE(exports->MenuItem("PMISavesesslist")->isVisible());
    EXPECT_EQ(window->SessionListPopup()->actions().last(), exports->MenuItem("PMISavesesslist"));
    // Right-clicking the report opens exportMenu with its one item.
    window->databaseInfoAction->trigger();
    const QPoint at = db->databaseInfoText->viewport()->rect().center();
    QContextMenuEvent press(QContextMenuEvent::Mouse, at,
                            db->databaseInfoText->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(db->databaseInfoText->viewport(), &press);
    ASSERT_TRUE(waitFor([&] { return exports->exportMenu->isVisible(); }));
    EXPECT_EQ(VisibleItems(exports->exportMenu), std::vector<std::string>{"PMISaveDbinfo"});
    exports->exportMenu->hide();
}

// Gives the columns of `view` the widths its model proposes, as a user dragging them there would:
// the export writes the widths on the screen, whatever the list sized itself to.
static void UseModelWidths(QTreeView* view) {
    for (int c = 0; c < view->model()->columnCount(); ++c) {
        const int width = view->model()->headerData(c, Qt::Horizontal, Qt::UserRole).toInt();
        if (width > 0)
            view->header()->resizeSection(c, width);
    }
}

TEST_F(DatabasePages, TheNlsListIsExportedByteForByteAfterItsHeading) {
    window->nlsParameterAction->trigger();
    UseModelWidths(db->nlsParameterList);
    const QString path = ExportTo("nls.txt");
    exports->Command("AcSaveNlsP")->trigger();
    const std::string text = readFile(path);
    const std::size_t firstBreak = text.find("\r\n");
    ASSERT_NE(firstBreak, std::string::npos);
    EXPECT_TRUE(
        std::regex_match(text.substr(0, firstBreak),
                         std::regex("Created at: \\d+/\\d+/\\d+ \\d+:\\d\\d:\\d\\d [AP]M of "
                                    "sandbox::memory:" +
                                    name)))
        << text.substr(0, firstBreak);
    EXPECT_EQ(text.substr(firstBreak + 2),
              readFile(QStringLiteral(QUENBY_TEST_DATA "/nls_after_heading.txt")));
}

TEST_F(DatabasePages, TheReportIsExportedAsItsLinesWithoutHeading) {
    window->databaseInfoAction->trigger();
    const QString path = ExportTo("report.txt");
    exports->Command("AcSaveDbinfo")->trigger();
    std::string expected;
    for (const QString& line : db->databaseInfoText->toPlainText().split(QLatin1Char('\n')))
        expected += line.toStdString() + "\r\n";
    const std::string text = readFile(path);
    EXPECT_EQ(text, expected);
    EXPECT_EQ(text.rfind("VERSION\r\n           Oracle Database 19c Enterprise Edition", 0), 0u);
}

TEST_F(DatabasePages, TheSessionListExportFollowsTheScreenWidthsAndPushesLongMachines) {
    // SERIAL# the only optional column.
    window->Monitor().ListColumns = monitor::ColumnBit(monitor::ocSerial);
    window->Monitor().Notify(monitor::ncRebuildListColumns);
    instance->sqliteRows(
        "update \"v$session\" set machine='WORKGROUP\\A-VERY-LONG-MACHINE-NAME-0001' "
        "where sid=(select min(sid) from \"v$session\" where type='USER')");
    window->refreshAction->trigger();
    ASSERT_TRUE(waitFor([&] {
        for (const auto& r : window->SessionListModel().RowsCopy())
            if (r.subItems[4] == "WORKGROUP\\A-VERY-LONG-MACHINE-NAME-0001")
                return !window->Monitor().Running(monitor::wkList);
        return false;
    }));
    UseModelWidths(window->SessionList());
    window->SessionList()->header()->resizeSection(4, 100); // "Status"
    const QString path = ExportTo("sessions.txt");
    exports->Command("AcSaveSesslist")->trigger();
    const std::string text = readFile(path);
    std::vector<std::string> lines;
    for (std::size_t from = 0, to; (to = text.find("\r\n", from)) != std::string::npos;
         from = to + 2)
        lines.push_back(text.substr(from, to - from));
    ASSERT_EQ(lines.size(), window->SessionListModel().RowsCopy().size() + 3);
    EXPECT_EQ(lines[1], "");
    const std::string stat = window->Monitor().SortStatisticName;
    // The last column stretches with the window: its cells follow its width on the screen.
    const int commandCell = window->SessionList()->columnWidth(10) / 5;
    ASSERT_GE(commandCell, 18);
    const std::string header = "Sid     SERIAL#     Username     " + stat +
                               "  Status              " +
                               "Machine                 OsUser              program             " +
                               "Logon_time                  SchemaName   command" +
                               std::string(static_cast<std::size_t>(commandCell) - 7, ' ');
    EXPECT_EQ(lines[2], header);
    for (std::size_t i = 0; i < window->SessionListModel().RowsCopy().size(); ++i) {
        const auto row = window->SessionListModel().RowAt(i);
        if (row.subItems[4] != "WORKGROUP\\A-VERY-LONG-MACHINE-NAME-0001")
            continue;
        // The machine name is written whole and OsUser follows it directly.
        const std::string machineOn = row.subItems[4] + row.subItems[5];
        EXPECT_NE(lines[i + 3].find(machineOn), std::string::npos) << lines[i + 3];
        EXPECT_EQ(lines[i + 3].find(row.subItems[4]), 8u + 12u + 13u + stat.size() + 2u + 20u);
    }
}

TEST_F(DatabasePages, AShortRowAndAnUnwritableFileEndInAnErrorBox) {
    oradb::sandbox::Fault fault;
    fault.fragment = "v$nls_parameters";
    fault.failAfterRows = 2;
    instance->addFault(fault);
    window->nlsParameterAction->trigger();
    ASSERT_EQ(db->NlsModel().rowCount(), 3);
    const QString path = ExportTo("short.txt");
    ModalDriver driver({});
    driver.Add(driver.Acknowledge());
    exports->Command("AcSaveNlsP")->trigger();
    ASSERT_TRUE(waitFor([&] { return driver.Done(); }));
    EXPECT_TRUE(driver.messages[0].startsWith(QStringLiteral("Row 3 ")));
    std::string text = readFile(path);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5); // heading, empty, header, 2 rows

    const QString missing = dir.filePath(QStringLiteral("no/such/folder/x.txt"));
    exports->FileNameProvider = [missing] { return missing; };
    ModalDriver second({});
    second.Add(second.Acknowledge());
    exports->Command("AcSaveNlsP")->trigger();
    ASSERT_TRUE(waitFor([&] { return second.Done(); }));
    EXPECT_EQ(second.messages[0].toStdString(),
              "Cannot create file \"" + missing.toStdString() + "\". No such file or directory");
}

TEST_F(DatabasePages, TypingReportInTheSaveDialogCreatesReportLog) {
    window->databaseInfoAction->trigger();
    const QString typed = dir.filePath(QStringLiteral("report"));
    QString startFolder;
    ModalDriver driver({[&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->objectName(), QStringLiteral("exportFileDialog"));
        EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("log"));
        EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("Text files (*.txt)")});
        startFolder = dialog->directory().absolutePath();
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        edit->setText(typed);
        static_cast<QDialog*>(dialog)->accept(); // as the Save button does
    }});
    exports->Command("AcSaveDbinfo")->trigger();
    ASSERT_TRUE(waitFor([&] { return driver.Done(); }));
    // The first export starts under the user's home (the documents folder when there is one),
    // never in the program's folder.
    EXPECT_NE(startFolder, QDir(QCoreApplication::applicationDirPath()).absolutePath());
    EXPECT_TRUE(startFolder.startsWith(QDir::homePath())) << startFolder.toStdString();
    EXPECT_TRUE(QFile::exists(typed + QStringLiteral(".log")));
    EXPECT_FALSE(QFile::exists(typed));
    // The next one starts in the folder of the last; cancelling writes nothing.
    QString nextFolder;
    ModalDriver cancel({[&](QWidget* w) {
        nextFolder = qobject_cast<QFileDialog*>(w)->directory().absolutePath();
        qobject_cast<QDialog*>(w)->reject();
    }});
    const auto before = QDir(dir.path()).entryList(QDir::Files);
    exports->Command("AcSaveDbinfo")->trigger();
    ASSERT_TRUE(waitFor([&] { return cancel.Done(); }));
    EXPECT_EQ(nextFolder, QDir(dir.path()).absolutePath());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), before);
}

TEST_F(DatabasePages, CopyAndSelectAllActOnTheReportWithTheFocusInIt) {
    window->databaseInfoAction->trigger();
    db->databaseInfoText->setFocus();
    ASSERT_TRUE(waitFor([&] { return db->databaseInfoText->hasFocus(); }));
    window->UpdateActions();
    EXPECT_FALSE(window->copyAction->isEnabled());
    EXPECT_TRUE(window->selectAllAction->isEnabled());
    window->selectAllAction->trigger();
    window->UpdateActions();
    EXPECT_TRUE(window->copyAction->isEnabled());
    QApplication::clipboard()->clear();
    window->copyAction->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(),
              db->databaseInfoText->textCursor().selectedText().replace(QChar::ParagraphSeparator,
                                                                        QLatin1Char('\n')));
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith(QStringLiteral("VERSION")));
    // The focus elsewhere, or another page: neither command.
    window->systemParameterAction->trigger();
    db->systemParameterList->setFocus();
    window->UpdateActions();
    EXPECT_FALSE(window->copyAction->isEnabled());
    EXPECT_FALSE(window->selectAllAction->isEnabled());
    window->Pages()->setCurrentIndex(gui::SessionListPage);
    window->SessionList()->setFocus();
    window->UpdateActions();
    EXPECT_FALSE(window->copyAction->isEnabled());
    EXPECT_FALSE(window->selectAllAction->isEnabled());
}

} // namespace
