// The main window as a user drives it, offscreen, against the sandbox instance.
#include "gui/MainWindow.h"

#include "gui/dialogs/KillProcessDialog.h"
#include "gui/dialogs/ManualViewer.h"
#include "gui/dialogs/SendMessageDialog.h"
#include "gui/views/SessionListView.h"
#include "monitor/SessionControl.h"
#include "sandbox/SandboxInstance.h"
#include "support/ModalDriver.h"
#include "support/WindowRig.h"
#include "util/HandOver.h"
#include "util/ManualLocation.h"
#include "util/MessengerSend.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using testing_support::ListFetched;
using testing_support::ModalDriver;
using testing_support::shot;
using testing_support::ShowAndLogin;
using testing_support::waitFor;

// Counts the session list fetches that reached the observers.
struct FetchCounter final : monitor::IPvObserver {
    int fetched = 0;
    void Update(monitor::TPvConnection&, int code) override {
        fetched += code == monitor::ncListFetched;
    }
};

class MainWindow : public testing_support::WindowTest {
protected:
    void SetUp() override {
        name = TestName();
        OpenInstanceAndWindow("sandbox::memory:" + name);
        window->Monitor().Attach(counter);
    }
    std::string server() const { return "sandbox::memory:" + name; }
    // Shows the window and logs in through the login form that its showing opens.
    void ShowAndLogin() {
        ASSERT_TRUE(testing_support::ShowAndLogin(*window, server()));
        ASSERT_TRUE(WaitForList());
        // Keys go to the active window.
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(waitFor([&] { return window->isActiveWindow(); }));
    }
    bool WaitForList() {
        return waitFor([&] { return ListFetched(*window); });
    }
    // The texts of column `c` in the order the list shows them.
    std::vector<std::string> Column(int c) {
        std::vector<std::string> out;
        const QAbstractItemModel* shown = window->SessionList()->model();
        for (int r = 0; r < shown->rowCount(); ++r)
            out.push_back(shown->index(r, c).data().toString().toStdString());
        return out;
    }
    void SelectRows(const std::vector<int>& rows) {
        auto* view = window->SessionList();
        view->selectionModel()->clear();
        for (int r : rows)
            view->selectionModel()->select(view->model()->index(r, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        view->selectionModel()->setCurrentIndex(view->model()->index(rows.back(), 0),
                                                QItemSelectionModel::NoUpdate);
        window->UpdateActions();
    }
    std::shared_ptr<FetchCounter> counter = std::make_shared<FetchCounter>();
};

TEST_F(MainWindow, ACancelledLoginLeavesOnlyConnectExitAndHelp) {
    ModalDriver driver({ModalDriver::Cancel()});
    window->show();
    ASSERT_TRUE(waitFor([&] { return driver.Done(); }));
    QCoreApplication::processEvents();
    window->UpdateActions();
    EXPECT_FALSE(window->Pages()->isVisible());
    EXPECT_TRUE(window->connectAction->isEnabled());
    EXPECT_TRUE(window->exitAction->isEnabled());
    for (QAction* a : {window->contentsAction, window->oracleClientAction, window->aboutAction})
        EXPECT_TRUE(a->isEnabled());
    for (QAction* a : {window->disconnectAction, window->refreshAction, window->refreshModeAction,
                       window->killSessionAction, window->optionsAction, window->databaseInfoAction,
                       window->showDetailsAction, window->sendMessageAction})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_EQ(window->windowTitle().toStdString(), "Quenby Ver1.7.0");
    EXPECT_TRUE(window->NotConnectedHint()->isVisible());
    shot(window.get(), "main-notconnected");
}

TEST_F(MainWindow, AfterThreeFailedLoginsTheWindowSaysHowToConnectAgain) {
    ModalDriver driver({});
    for (int attempt = 0; attempt < 3; ++attempt) {
        driver.Add(ModalDriver::Login("system", "wrong", server()));
        driver.Add(driver.Acknowledge());
    }
    window->show();
    ASSERT_TRUE(waitFor([&] { return driver.Done() && !QApplication::activeModalWidget(); }));
    QCoreApplication::processEvents();
    ASSERT_EQ(driver.messages.size(), 3u);
    EXPECT_FALSE(window->Monitor().Connected());
    EXPECT_FALSE(window->Pages()->isVisible());
    QLabel* hint = window->NotConnectedHint();
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->text(),
              QString::fromUtf8("Not connected. Use Database \u2192 Connect to log in."));
    // The menu and command the hint names are there and enabled.
    EXPECT_EQ(window->menuBar()->actions().at(0)->text(), QStringLiteral("&Database"));
    EXPECT_TRUE(
        window->menuBar()->actions().at(0)->menu()->actions().contains(window->connectAction));
    EXPECT_TRUE(window->connectAction->isEnabled());
    shot(window.get(), "main-failed-logins-hint");
    // Once connected the hint gives way to the pages.
    ModalDriver again({ModalDriver::Login("system", "lantern", server())});
    window->connectAction->trigger();
    ASSERT_TRUE(waitFor([&] { return window->Monitor().Connected(); }));
    window->UpdateActions();
    EXPECT_FALSE(hint->isVisible());
    EXPECT_TRUE(window->Pages()->isVisible());
}

TEST_F(MainWindow, ALoginWithoutTheCatalogRoleIsToldTheRoleAndItsGrant) {
    ModalDriver driver({ModalDriver::Login("scott", "tiger", server())});
    driver.Add(driver.Acknowledge());
    window->show();
    ASSERT_TRUE(waitFor([&] { return driver.Done() && !QApplication::activeModalWidget(); }));
    ASSERT_EQ(driver.messages.size(), 1u);
    EXPECT_EQ(driver.messages[0].toStdString(),
              "Not enough privilege: the user SCOTT lacks SELECT_CATALOG_ROLE. Grant it with: "
              "grant select_catalog_role to scott;");
    EXPECT_FALSE(window->Monitor().Connected());
    window->UpdateActions();
    EXPECT_TRUE(window->NotConnectedHint()->isVisible());
    // A holder of the role gets in.
    ModalDriver again({ModalDriver::Login("dbsnmp", "dbsnmp", server())});
    window->connectAction->trigger();
    ASSERT_TRUE(waitFor([&] { return window->Monitor().Connected(); }));
    EXPECT_TRUE(again.messages.empty());
}

TEST_F(MainWindow, TheCaptionIsTheApplicationTitleAlone) {
    EXPECT_EQ(window->windowTitle().toStdString(), "Quenby Ver1.7.0");
    // Linux desktops append the application display name to every caption ("... — Quenby")
    // when one is set: none is, so the display name follows the application name.
    const QString name = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("caption-probe"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("caption-probe"));
    QCoreApplication::setApplicationName(name);
}

TEST_F(MainWindow, ContentsOpensTheManualInTheDesktopOrElseInAViewerOfItsOwn) {
    QTemporaryDir dir;
    // A missing file: the message names it and the cause.
    window->ManualPath = dir.filePath(QStringLiteral("manual.htm"));
    int desktopCalls = 0;
    bool desktopOpens = false;
    QUrl opened;
    window->OpenWithDesktop = [&](const QUrl& url) {
        ++desktopCalls;
        opened = url;
        return desktopOpens;
    };
    {
        ModalDriver driver({});
        driver.Add(driver.Acknowledge());
        window->contentsAction->trigger();
        ASSERT_TRUE(driver.Done());
        ASSERT_EQ(driver.messages.size(), 1u);
        EXPECT_EQ(driver.messages[0], QStringLiteral("The manual file ") + window->ManualPath +
                                          QStringLiteral(" cannot be opened: No such file or "
                                                         "directory."));
        EXPECT_EQ(desktopCalls, 0);
        EXPECT_EQ(window->ManualViewer(), nullptr);
    }
    QFile manual(window->ManualPath);
    ASSERT_TRUE(manual.open(QIODevice::WriteOnly));
    manual.write("<html><body><h1>Quenby</h1><p>The manual's first page.</p></body></html>");
    manual.close();
    // The desktop opens it: nothing of ours opens.
    desktopOpens = true;
    window->contentsAction->trigger();
    EXPECT_EQ(desktopCalls, 1);
    EXPECT_EQ(opened, QUrl::fromLocalFile(window->ManualPath));
    EXPECT_EQ(window->ManualViewer(), nullptr);
    // No handler for HTML: the viewer inside Quenby shows it.
    desktopOpens = false;
    window->contentsAction->trigger();
    EXPECT_EQ(desktopCalls, 2);
    gui::TManualViewer* viewer = window->ManualViewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Quenby Manual"));
    EXPECT_TRUE(
        viewer->browser->toPlainText().contains(QStringLiteral("The manual's first page.")));
    shot(viewer, "manual-viewer");
    // The program's own manual is the one util::FindManual finds from the program's folder, and
    // it is there.
    const QString own = gui::TFrmMain().ManualPath;
    EXPECT_EQ(own, util::FindManual(QCoreApplication::applicationDirPath()));
    EXPECT_TRUE(QFileInfo(own).isFile()) << own.toStdString();
}

TEST_F(MainWindow, ConnectingShowsTheSessionListUnderTheServiceName) {
    ShowAndLogin();
    QTabWidget* pages = window->Pages();
    EXPECT_TRUE(pages->isVisible());
    EXPECT_EQ(pages->currentIndex(), gui::SessionListPage);
    EXPECT_EQ(pages->tabText(0).toStdString(), server());
    for (int i = 1; i < gui::PageCount; ++i)
        EXPECT_FALSE(pages->isTabVisible(i));
    EXPECT_EQ(window->windowTitle().toStdString(), "Quenby Ver1.7.0(system@" + server() + ")");
    EXPECT_EQ(window->StatusPanel(1)->text().left(14), "Refreshed at: ");
    EXPECT_EQ(window->StatusPanel(2)->text().toStdString(),
              std::to_string(window->SessionListModel().RowsCopy().size()) + " sessions");
    EXPECT_FALSE(window->connectAction->isEnabled());
    EXPECT_TRUE(window->disconnectAction->isEnabled());
    EXPECT_FALSE(window->SessionList()->isColumnHidden(1)); // SERIAL#, shown by default
    window->UpdateActions();
    // At the width a DBA works at: the columns show their texts whole.
    window->resize(1280, 900);
    QCoreApplication::processEvents();
    shot(window.get(), "main-sessionlist");
}

TEST_F(MainWindow, RefreshByCommandF5AndAutoMode) {
    ShowAndLogin();
    int before = counter->fetched;
    window->refreshAction->trigger();
    ASSERT_TRUE(waitFor([&] { return counter->fetched == before + 1; }));
    QTest::keyClick(window.get(), Qt::Key_F5);
    ASSERT_TRUE(waitFor([&] { return counter->fetched == before + 2; }));

    window->refreshModeAction->trigger();
    EXPECT_TRUE(window->Monitor().AutoRefresh());
    EXPECT_TRUE(window->refreshModeAction->isChecked());
    EXPECT_FALSE(window->refreshAction->isEnabled());
    // F5 still refreshes in auto mode.
    QTest::keyClick(window.get(), Qt::Key_F5);
    ASSERT_TRUE(waitFor([&] { return counter->fetched == before + 3; }));
    // The timer's tick refreshes: wait for a fetch the test did not ask for.
    window->Monitor().SetRefreshInterval(3);
    window->Monitor().SetAutoRefresh(true);
    ASSERT_TRUE(waitFor([&] { return counter->fetched == before + 4; }, 10000));
    window->refreshModeAction->trigger();
    EXPECT_FALSE(window->Monitor().AutoRefresh());
    EXPECT_TRUE(window->refreshAction->isEnabled());
}

TEST_F(MainWindow, AFailingFetchInAutoModeShowsOneErrorAndTurnsAutoOff) {
    ShowAndLogin();
    window->Monitor().SetAutoRefresh(true);
    oradb::sandbox::Fault fault;
    fault.fragment = "from v$session s,v$sesstat st";
    fault.failAfterRows = 0;
    fault.code = 3113;
    fault.text = "end-of-file on communication channel";
    instance->addFault(fault);
    ModalDriver driver({});
    driver.Add(driver.Acknowledge());
    QTest::keyClick(window.get(), Qt::Key_F5);
    ASSERT_TRUE(waitFor([&] { return driver.Done(); }));
    EXPECT_EQ(driver.messages.size(), 1u);
    EXPECT_EQ(driver.messages[0].toStdString(), "ORA-03113: end-of-file on communication channel");
    EXPECT_FALSE(window->Monitor().AutoRefresh());
    window->UpdateActions();
    EXPECT_FALSE(window->refreshModeAction->isChecked());
}

TEST_F(MainWindow, DisconnectAsksAndNoChangesNothing) {
    ShowAndLogin();
    ModalDriver no({[](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text().toStdString().rfind("Disconnect from sandbox::memory:", 0), 0u);
        box->button(QMessageBox::No)->click();
    }});
    window->disconnectAction->trigger();
    EXPECT_TRUE(window->Monitor().Connected());
    ModalDriver yes(
        {[](QWidget* w) { qobject_cast<QMessageBox*>(w)->button(QMessageBox::Yes)->click(); }});
    window->disconnectAction->trigger();
    EXPECT_FALSE(window->Monitor().Connected());
    EXPECT_FALSE(window->Pages()->isVisible());
    EXPECT_EQ(window->windowTitle().toStdString(), "Quenby Ver1.7.0");
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(window->StatusPanel(i)->text().isEmpty());
    EXPECT_TRUE(window->connectAction->isEnabled());
}

TEST_F(MainWindow, ColumnClicksSortBySidNumericallyAndFlipTheDirection) {
    ShowAndLogin();
    QHeaderView* header = window->SessionList()->header();
    Q_EMIT header->sectionClicked(0);
    std::vector<std::string> sids = Column(0);
    for (std::size_t i = 1; i < sids.size(); ++i)
        EXPECT_LT(std::stoi(sids[i - 1]), std::stoi(sids[i]));
    Q_EMIT header->sectionClicked(0);
    sids = Column(0);
    for (std::size_t i = 1; i < sids.size(); ++i)
        EXPECT_GT(std::stoi(sids[i - 1]), std::stoi(sids[i]));
    // The selection follows its row.
    const std::string selected = window->Monitor().SelectedSid;
    const auto rows = window->SessionList()->SelectedRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(window->SessionListModel().RowsCopy()[static_cast<std::size_t>(rows[0])].caption,
              selected);
    Q_EMIT header->sectionClicked(8); // Logon_time, as date-times
    const auto times = Column(8);
    for (std::size_t i = 1; i < times.size(); ++i)
        EXPECT_LE(monitor::DateTimeTextCompare(times[i - 1], times[i]), 0);
}

TEST_F(MainWindow, KillThreeSessionsAfterAQuestionNamingThemThenTheListShowsThemKilled) {
    ShowAndLogin();
    std::vector<int> rows;
    const auto& all = window->SessionListModel().RowsCopy();
    for (std::size_t i = 0; i < all.size() && rows.size() < 3; ++i)
        if (!all[i].subItems[1].empty() && all[i].image == -1 &&
            all[i].subItems[6].rfind("quenby", 0) != 0)
            rows.push_back(static_cast<int>(i));
    ASSERT_EQ(rows.size(), 3u);
    std::vector<std::string> sids;
    for (int r : rows)
        sids.push_back(all[static_cast<std::size_t>(r)].caption);
    SelectRows(rows);
    EXPECT_TRUE(window->killSessionAction->isEnabled());
    QString question;
    ModalDriver driver({[&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        question = box->text();
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No)) << "No is the default";
        shot(box, QStringLiteral("confirm-kill"));
        box->button(QMessageBox::Yes)->click();
    }});
    driver.Add(driver.Acknowledge());
    const int fetchesBefore = counter->fetched;
    window->killSessionAction->trigger();
    ASSERT_EQ(driver.messages.size(), 1u);
    EXPECT_EQ(driver.messages[0].toStdString(), "Session has been killed Successfully");
    EXPECT_TRUE(question.startsWith(QStringLiteral("Kill these 3 sessions?")));
    for (const auto& s : window->Monitor().SelectedSessions)
        EXPECT_TRUE(question.contains(QString::fromStdString(
            "SID " + s[monitor::bfSid] + ", serial# " + s[monitor::bfSerial] + ", user " +
            s[monitor::bfUsername] + ", machine " + s[monitor::bfMachine] + ", program " +
            s[monitor::bfProgram])))
            << question.toStdString();
    // The list refreshes by itself after the kill.
    ASSERT_TRUE(waitFor([&] { return counter->fetched > fetchesBefore && ListFetched(*window); }));
    for (const auto& sid : sids) {
        bool shown = false;
        for (const auto& r : window->SessionListModel().RowsCopy())
            if (r.caption == sid)
                shown = r.image == 9;
        EXPECT_TRUE(shown) << sid;
    }
}

TEST_F(MainWindow, KillImmediatelyOrDisconnectThenAKilledSessionOffersItsProcessToEnd) {
    ShowAndLogin();
    // Two workload sessions, neither ours nor waiting.
    auto workloadRow = [&](std::size_t skip) {
        const auto& all = window->SessionListModel().RowsCopy();
        for (std::size_t i = 0; i < all.size(); ++i)
            if (!all[i].subItems[1].empty() && all[i].image == -1 && !all[i].own &&
                all[i].subItems[6].rfind("quenby", 0) != 0 && skip-- == 0)
                return static_cast<int>(i);
        return -1;
    };
    auto statusOf = [&](const std::string& sid) {
        const auto rows = instance->sqliteRows("select status from \"v$session\" where sid=" + sid);
        return rows.empty() ? std::string() : rows[0][0];
    };
    auto rowOf = [&](const std::string& sid) {
        const auto& all = window->SessionListModel().RowsCopy();
        for (std::size_t i = 0; i < all.size(); ++i)
            if (all[i].caption == sid)
                return static_cast<int>(i);
        return -1;
    };
    const std::vector<std::pair<QAction*, QString>> kinds = {
        {window->killImmediateAction, QStringLiteral("Kill this session immediately?\n")},
        {window->disconnectSessionAction,
         QStringLiteral("Disconnect this session immediately?\n")}};
    std::vector<std::string> ended;
    for (const auto& [action, question] : kinds) {
        const int row = workloadRow(0);
        ASSERT_GE(row, 0);
        const std::string sid =
            window->SessionListModel().RowsCopy()[static_cast<std::size_t>(row)].caption;
        SelectRows({row});
        EXPECT_TRUE(action->isEnabled());
        QString asked;
        ModalDriver driver({[&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            asked = box->text();
            EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
            box->button(QMessageBox::Yes)->click();
        }});
        driver.Add(driver.Acknowledge());
        const int fetchesBefore = counter->fetched;
        action->trigger();
        ASSERT_TRUE(driver.Done());
        EXPECT_TRUE(asked.startsWith(question)) << asked.toStdString();
        EXPECT_TRUE(asked.contains(QString::fromStdString("SID " + sid + ",")));
        ASSERT_EQ(driver.messages.size(), 1u);
        EXPECT_EQ(driver.messages[0], action == window->killImmediateAction
                                          ? QStringLiteral("Session has been killed Successfully")
                                          : QStringLiteral("Session has been disconnected"));
        EXPECT_EQ(statusOf(sid), "KILLED");
        ASSERT_TRUE(
            waitFor([&] { return counter->fetched > fetchesBefore && ListFetched(*window); }));
        ended.push_back(sid);
    }
    // Killing a session that is marked KILLED already shows the command that ends its server
    // process, to copy; no statement runs and no question is asked.
    const int killedRow = rowOf(ended[0]);
    ASSERT_GE(killedRow, 0);
    SelectRows({killedRow});
    const auto process = instance->sqliteRows(
        "select p.spid from \"v$process\" p, \"v$session\" s where p.addr = s.paddr and s.sid = " +
        ended[0]);
    ASSERT_EQ(process.size(), 1u);
    QString command, clipboard, label;
    ModalDriver driver({[&](QWidget* w) {
        auto* dialog = qobject_cast<gui::TFrmKillProcess*>(w);
        ASSERT_NE(dialog, nullptr);
        label = dialog->messageLabel->text();
        command = dialog->commandEdit->text();
        EXPECT_TRUE(dialog->commandEdit->isReadOnly());
        dialog->copyButton->click();
        clipboard = QApplication::clipboard()->text();
        shot(dialog, QStringLiteral("kill-session"));
        dialog->closeButton->click();
    }});
    window->killSessionAction->trigger();
    ASSERT_TRUE(driver.Done());
    EXPECT_TRUE(driver.messages.empty());
    EXPECT_EQ(command.toStdString(), "kill -9 " + process[0][0]);
    EXPECT_EQ(clipboard, command);
    EXPECT_TRUE(label.startsWith(QString::fromStdString("Session " + ended[0] + " (serial# ")))
        << label.toStdString();
    EXPECT_TRUE(label.contains(QStringLiteral("is marked KILLED but has not ended")));
}

TEST_F(MainWindow, NoToTheKillQuestionKillsNothingAndAutoRefreshWaitsWhileItIsOpen) {
    ShowAndLogin();
    int row = -1;
    const auto& all = window->SessionListModel().RowsCopy();
    for (std::size_t i = 0; i < all.size() && row < 0; ++i)
        if (!all[i].subItems[1].empty() && all[i].image == -1 &&
            all[i].subItems[6].rfind("quenby", 0) != 0)
            row = static_cast<int>(i);
    ASSERT_GE(row, 0);
    const std::string sid = all[static_cast<std::size_t>(row)].caption;
    SelectRows({row});
    window->refreshModeAction->trigger();
    ASSERT_TRUE(window->Monitor().AutoRefresh());
    ASSERT_TRUE(window->Monitor().RefreshTimer().isActive());
    bool timerWhileOpen = true;
    int fetchesWhileOpen = -1;
    ModalDriver driver({[&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->text().startsWith(QStringLiteral("Kill this session?\n\n- SID ") +
                                           QString::fromStdString(sid) + QLatin1Char(',')));
        timerWhileOpen = window->Monitor().RefreshTimer().isActive();
        fetchesWhileOpen = counter->fetched;
        box->button(QMessageBox::No)->click();
    }});
    const int fetchesBefore = counter->fetched;
    window->killSessionAction->trigger();
    ASSERT_TRUE(driver.Done());
    EXPECT_FALSE(timerWhileOpen) << "the automatic refresh waits while the question is open";
    EXPECT_EQ(fetchesWhileOpen, fetchesBefore);
    EXPECT_TRUE(window->Monitor().RefreshTimer().isActive()) << "and resumes afterwards";
    EXPECT_TRUE(driver.messages.empty());
    window->refreshModeAction->trigger();
    window->refreshAction->trigger();
    ASSERT_TRUE(waitFor([&] { return counter->fetched > fetchesBefore && ListFetched(*window); }));
    bool alive = false;
    for (const auto& r : window->SessionListModel().RowsCopy())
        if (r.caption == sid)
            alive = r.image != 9 && r.subItems[3] != "KILLED";
    EXPECT_TRUE(alive) << "No kills nothing: " << sid;
}

TEST_F(MainWindow, ALockWaiterOffersItsWaitingObject) {
    ShowAndLogin();
    const auto& all = window->SessionListModel().RowsCopy();
    int waiter = -1, plain = -1;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].image == 14 && waiter < 0)
            waiter = static_cast<int>(i);
        if (all[i].image == -1 && plain < 0)
            plain = static_cast<int>(i);
    }
    ASSERT_GE(waiter, 0);
    SelectRows({waiter});
    EXPECT_TRUE(window->WaitingObjectItem()->isVisible());
    ModalDriver driver({});
    driver.Add(driver.Acknowledge());
    window->WaitingObjectItem()->trigger();
    ASSERT_EQ(driver.messages.size(), 1u);
    EXPECT_TRUE(driver.messages[0].startsWith("Owner: "));
    EXPECT_FALSE(driver.messages[0].contains("not found"));
    SelectRows({plain});
    EXPECT_FALSE(window->WaitingObjectItem()->isVisible());
}

TEST_F(MainWindow, SendMessageGoesOnceToEachMachine) {
    // A receiver on loopback stands for the client machine's messenger.
    const int sock = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    socklen_t len = sizeof addr;
    ::getsockname(sock, reinterpret_cast<sockaddr*>(&addr), &len);
    util::TSendOptions options = util::DefaultSendOptions();
    options.port = ntohs(addr.sin_port);
    util::SetDefaultSendOptions(options);

    ShowAndLogin();
    // Three sessions on the machines DOM\localhost, dom\LOCALHOST and none.
    const auto& all = window->SessionListModel().RowsCopy();
    std::vector<int> rows;
    for (std::size_t i = 0; i < all.size() && rows.size() < 3; ++i)
        if (!all[i].subItems[1].empty() && all[i].subItems[6].rfind("quenby", 0) != 0)
            rows.push_back(static_cast<int>(i));
    ASSERT_EQ(rows.size(), 3u);
    const char* machines[] = {"DOM\\localhost", "dom\\LOCALHOST", ""};
    for (int k = 0; k < 3; ++k)
        instance->sqliteRows("update \"v$session\" set machine='" + std::string(machines[k]) +
                             "' where sid=" + all[static_cast<std::size_t>(rows[k])].caption);
    const std::vector<std::string> sids = {all[static_cast<std::size_t>(rows[0])].caption,
                                           all[static_cast<std::size_t>(rows[1])].caption,
                                           all[static_cast<std::size_t>(rows[2])].caption};
    window->refreshAction->trigger();
    ASSERT_TRUE(WaitForList());
    std::vector<int> again;
    for (std::size_t i = 0; i < window->SessionListModel().RowsCopy().size(); ++i)
        for (const auto& sid : sids)
            if (window->SessionListModel().RowsCopy()[i].caption == sid)
                again.push_back(static_cast<int>(i));
    ASSERT_EQ(again.size(), 3u);
    SelectRows(again);

    QStringList shownMachines;
    ModalDriver driver({[&](QWidget* w) {
        auto* dialog = qobject_cast<util::TFrmSendMsg*>(w);
        ASSERT_NE(dialog, nullptr);
        shownMachines = dialog->Machines();
        dialog->SetMessage("Hello");
        shot(dialog, "dialog-sendmsg-main");
        dialog->accept();
    }});
    driver.Add(driver.Acknowledge());
    window->sendMessageAction->trigger();
    ASSERT_TRUE(driver.Done());
    EXPECT_EQ(shownMachines, QStringList({"DOM\\localhost"}));
    EXPECT_EQ(driver.messages.back().toStdString(),
              "The message has been sent to DOM\\localhost. Delivery is not confirmed.");
    pollfd pfd{sock, POLLIN, 0};
    ASSERT_EQ(::poll(&pfd, 1, 5000), 1);
    char buf[1024];
    const auto n = ::recv(sock, buf, sizeof buf, 0);
    const std::string datagram(buf, static_cast<std::size_t>(n));
    const std::string message = util::MessengerMessage("QBY", "Oracle Client", "Hello");
    EXPECT_EQ(message.size(), 25u);
    EXPECT_EQ(datagram.substr(datagram.size() - message.size()), message);
    EXPECT_EQ(::poll(&pfd, 1, 200), 0); // one message only
    ::close(sock);
}

} // namespace
