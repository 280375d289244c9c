// The fault matrix: every worker of the main window (the session list, the five detail sheets,
// the memory probe, the waiting-block lookup, the capture's open-cursor block and fetch) and the
// loads of the database pages, each hit through the sandbox's fault hooks by a lost connection
// (ORA-03113), a failure after some rows, and a statement slower than the refresh interval.
// Each case must give one clear error and no more, keep the window responsive, and, after a lost
// connection, let the user disconnect and log in again in the same process.
#include "CaptureSupport.h"
#include "capture/ServerComponent.h"
#include "gui/MainWindow.h"
#include "gui/pages/CapturePage.h"
#include "gui/pages/DatabasePages.h"
#include "gui/pages/DetailPages.h"
#include "support/WindowRig.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace testing_support;

enum class Worker {
    SessionList,
    Details,
    Statistics,
    Waits,
    Sql,
    Locks,
    MemoryProbe,
    WaitingBlock,
    CaptureBlock,
    CaptureFetch,
    DatabaseInfo,
    NlsParameters,
    SystemParameters,
    SystemEvents,
};

enum class FaultKind { LostConnection, FailAfterRows, Slow };

// How a worker is hit: the statement its fault matches, the rows that statement delivers before
// it fails, and how many statements the worker has started once the faulted one runs.
struct WorkerCase {
    Worker worker;
    const char* name;
    const char* fragment;
    int rowsBeforeFailure;
    int statementsUntilFaulted;
};

const WorkerCase kWorkers[] = {
    {Worker::SessionList, "SessionList", "from v$session s,v$sesstat st", 3, 1},
    // The single-row statements fail at their first fetch: the row is all they read.
    {Worker::Details, "Details", "from v$session where sid=", 0, 1},
    {Worker::Statistics, "Statistics", "statistic# statistic from v$sesstat", 2, 1},
    {Worker::Waits, "Waits", "from v$session_event", 1, 1},
    // The SQL sheet keeps the rows read before a read failure and logs the failure; its open
    // failure is the one it reports.
    {Worker::Sql, "Sql", "v$sqltext st,v$open_cursor", 0, 1},
    {Worker::Locks, "Locks", "from v$lock l,v$session s", 1, 1},
    {Worker::MemoryProbe, "MemoryProbe", "from v$sysstat where name in", 1, 3},
    {Worker::WaitingBlock, "WaitingBlock", "from dba_extents e,dba_data_files f", 0, 1},
    {Worker::CaptureBlock, "CaptureOpenCursorBlock", "from v$session s,v$open_cursor oc", 0, 2},
    {Worker::CaptureFetch, "CaptureFetch", "from public_qby_capturesql tot,v$sqltext", 1, 2},
    {Worker::DatabaseInfo, "DatabaseInfoPage", "from v$version", 1, 1},
    {Worker::NlsParameters, "NlsParameterPage", "from v$nls_parameters", 2, 1},
    {Worker::SystemParameters, "SystemParameterPage", "from v$system_parameter", 2, 1},
    {Worker::SystemEvents, "SystemEventPage", "from v$system_event", 2, 1},
};

const char* FaultName(FaultKind f) {
    switch (f) {
    case FaultKind::LostConnection:
        return "LostConnection";
    case FaultKind::FailAfterRows:
        return "FailAfterRows";
    case FaultKind::Slow:
        return "SlowerThanRefresh";
    }
    return "";
}

bool IsDatabasePage(Worker w) {
    return w == Worker::DatabaseInfo || w == Worker::NlsParameters ||
           w == Worker::SystemParameters || w == Worker::SystemEvents;
}

constexpr int kSlowDelayMs = 600000; // far beyond every deadline below
constexpr int kDeadlineMs = 60000;   // the longest any awaited event may take
constexpr int kWatchdogMs = 150000;  // then the sandbox's delays are released
// A frozen window waits out the slow statement (or the watchdog): far longer than these bounds,
// which leave room for a loaded machine and the sanitizers.
constexpr qint64 kResponsiveGapMs = 10000; // the longest the UI thread may go without its timer
constexpr qint64 kDisconnectMs = 30000;    // a disconnect during the slow statement

// Plays the user at the modal windows: closes each message box, counting those that report an
// error; answers the disconnect question with Yes; fills in the login form.
class User : public QObject {
public:
    User() {
        timer_.setInterval(2);
        connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
        timer_.start();
    }
    std::vector<QString> errors; // texts of the error boxes closed
    int questions = 0;
    std::string server;
    QString shotName; // the picture of the first error box, when pictures are asked for

private:
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == last_.data())
            return;
        last_ = modal;
        QPointer<QWidget> target(modal);
        // Answer outside the timer's slot, as a click would come.
        QTimer::singleShot(0, this, [this, target] {
            if (!target)
                return;
            if (auto* box = qobject_cast<QMessageBox*>(target.data())) {
                if (QAbstractButton* yes = box->button(QMessageBox::Yes)) {
                    ++questions;
                    yes->click();
                } else {
                    errors.push_back(box->text());
                    // The first error box of a case, as the user sees it.
                    if (errors.size() == 1 && !shotName.isEmpty())
                        shot(box, shotName);
                    box->accept();
                }
            } else if (auto* form = qobject_cast<oradb::TConnectForm*>(target.data())) {
                form->usernameEdit->setText(QStringLiteral("system"));
                form->passwordEdit->setText(QStringLiteral("lantern"));
                form->serverCombo->setEditText(QString::fromStdString(server));
                form->connectButton->click();
            } else {
                ADD_FAILURE() << "an unexpected modal window: "
                              << target->metaObject()->className();
                target->close();
            }
        });
    }
    QTimer timer_;
    QPointer<QWidget> last_;
};

// Releases the sandbox's delays when a case outlives its deadline, so that a statement whose
// cancel went missing ends and the case fails instead of waiting ten minutes.
class Watchdog {
public:
    explicit Watchdog(std::shared_ptr<oradb::sandbox::Instance> instance)
        : instance_(std::move(instance)), thread_([this] { run(); }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    bool Fired() const { return fired_.load(); }

private:
    void run() {
        std::unique_lock lock(mutex_);
        if (!wake_.wait_for(lock, std::chrono::milliseconds(kWatchdogMs),
                            [this] { return stop_; })) {
            fired_ = true;
            instance_->releaseDelays();
        }
    }
    std::shared_ptr<oradb::sandbox::Instance> instance_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::atomic<bool> fired_{false};
    std::thread thread_;
};

void PrintTo(const WorkerCase& c, std::ostream* os) {
    *os << c.name;
}
void PrintTo(FaultKind f, std::ostream* os) {
    *os << FaultName(f);
}

using Param = std::tuple<WorkerCase, FaultKind>;

class FaultMatrix : public ::testing::TestWithParam<Param> {
protected:
    void SetUp() override {
        wc = std::get<0>(GetParam());
        fault = std::get<1>(GetParam());
        server = std::string("sandbox::memory:FaultMatrix_") + wc.name + "_" + FaultName(fault);
        oradb::sandbox::InstanceOptions options;
        options.autoTick = false;
        instance = oradb::sandbox::Instance::open(server, options);
        watchdog = std::make_unique<Watchdog>(instance);
        window = std::make_unique<gui::TFrmMain>();
        window->resize(1000, 600);
        user = std::make_unique<User>();
        user->server = server;
        user->shotName = QString::fromLatin1("fault-") + QString::fromLatin1(wc.name) +
                         QLatin1Char('-') + QString::fromLatin1(FaultName(fault));
        window->show();
        ASSERT_TRUE(waitFor([&] { return window->Monitor().Connected(); }, kDeadlineMs))
            << "awaited: the login";
        ASSERT_TRUE(waitFor([&] { return ListFetched(*window); }, kDeadlineMs))
            << "awaited: the first session list";
        ASSERT_TRUE(user->errors.empty());
    }
    void TearDown() override {
        if (window) {
            window->CapturePage()->Capture().Stop();
            if (window->Monitor().Connected())
                window->DisconnectSequence(false);
        }
        window.reset();
        user.reset();
        EXPECT_FALSE(watchdog->Fired())
            << "the case outlived its deadline: a statement had to be released";
        watchdog.reset();
        instance->clearFaults();
    }

    monitor::TPvConnection& Monitor() { return window->Monitor(); }
    capture::TCaptureSql& Capture() { return window->CapturePage()->Capture(); }
    gui::TDetailPages& Pages() { return *window->DetailPages(); }
    gui::TDatabasePages& DbPages() { return *window->DatabasePages(); }

    std::vector<std::vector<std::string>> Rows(const std::string& sql) {
        return rows(Monitor().Session(), sql);
    }

    // Selects the session list row of `sid`.
    bool SelectSid(const std::string& sid) {
        const auto& listRows = window->SessionListModel().RowsCopy();
        for (std::size_t i = 0; i < listRows.size(); ++i)
            if (listRows[i].caption == sid) {
                window->SessionList()->SelectRow(static_cast<int>(i));
                window->UpdateActions();
                return true;
            }
        return false;
    }
    // A user session the worker's statement finds rows for.
    std::string SessionFor(Worker w) {
        std::string sql;
        switch (w) {
        case Worker::Locks:
            sql = "select s.sid from v$lock l,v$session s where l.sid=s.sid and s.type='USER'";
            break;
        case Worker::Sql:
            sql = "select s.sid from v$open_cursor oc,v$session s where s.saddr=oc.saddr and "
                  "s.type='USER'";
            break;
        default:
            sql = "select s.sid from v$session_event e,v$session s where e.sid=s.sid and "
                  "s.type='USER' and s.username is not null";
            break;
        }
        const auto found = Rows(sql);
        return found.empty() ? std::string() : found[0][0];
    }

    // Brings the window to where the worker can be started.
    void Prepare() {
        switch (wc.worker) {
        case Worker::Details:
        case Worker::Statistics:
        case Worker::Waits:
        case Worker::Sql:
        case Worker::Locks: {
            const std::string sid = SessionFor(wc.worker);
            ASSERT_FALSE(sid.empty()) << "the sandbox has no user session for " << wc.name;
            ASSERT_TRUE(SelectSid(sid)) << "session " << sid << " is not in the list";
            break;
        }
        case Worker::WaitingBlock: {
            const auto extent = Rows("select file_id,block_id from dba_extents");
            ASSERT_FALSE(extent.empty());
            window->findObjectAction->trigger();
            Pages().fileIdEdit->setText(QString::fromStdString(extent[0][0]));
            Pages().blockIdEdit->setText(QString::fromStdString(extent[0][1]));
            ASSERT_TRUE(Pages().searchButton->isEnabled());
            break;
        }
        case Worker::CaptureBlock:
        case Worker::CaptureFetch: {
            capture::TServerComponent component;
            ASSERT_TRUE(component.Install(Monitor().Session(), "", Capture().Present));
            const auto users =
                Rows("select s.username from v$open_cursor oc,v$session s where "
                     "s.saddr=oc.saddr and s.type='USER' and s.username is not null");
            ASSERT_FALSE(users.empty());
            clock = util::now();
            Capture().Now = [this] { return clock; };
            std::string user = users[0][0];
            for (char& ch : user)
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            const capture::TCollectorDefinition d = ScheduledCollector(
                "matrix", capture::fkUser, user, logDir.path().toStdString(), clock);
            ASSERT_TRUE(Capture().AddCollector(d));
            ASSERT_TRUE(Capture().ToggleCapture());
            // A first capture without faults fills the capture table.
            Capture().Tick();
            ASSERT_TRUE(waitFor([&] { return CaptureIdle(); }, kDeadlineMs))
                << "awaited: the first capture's threads";
            ASSERT_FALSE(Rows("select sid from public_qby_capturesql").empty());
            // The next fetch reads the whole window again, so that it has rows to fail after.
            for (const auto& c : Capture().Collectors())
                c->lastFetchTime = 0;
            break;
        }
        default:
            break;
        }
    }

    // Starts the worker as the user does.
    void Trigger() {
        window->UpdateActions(); // the enabling rules, as the idle window runs them
        switch (wc.worker) {
        case Worker::SessionList:
            window->refreshAction->trigger();
            break;
        case Worker::Details:
            window->showDetailsAction->trigger();
            break;
        case Worker::Statistics:
            window->showStatisticsAction->trigger();
            break;
        case Worker::Waits:
            window->showWaitsAction->trigger();
            break;
        case Worker::Sql:
            window->showSqlAction->trigger();
            break;
        case Worker::Locks:
            window->showLocksAction->trigger();
            break;
        case Worker::MemoryProbe:
            window->tuneMemoryAction->trigger();
            break;
        case Worker::WaitingBlock:
            Pages().searchButton->click();
            break;
        case Worker::CaptureBlock:
        case Worker::CaptureFetch:
            clock += 10.0 / 86400;
            Capture().Tick();
            break;
        case Worker::DatabaseInfo:
            window->databaseInfoAction->trigger();
            break;
        case Worker::NlsParameters:
            window->nlsParameterAction->trigger();
            break;
        case Worker::SystemParameters:
            window->systemParameterAction->trigger();
            break;
        case Worker::SystemEvents:
            window->systemEventAction->trigger();
            break;
        }
    }

    bool CaptureIdle() {
        return Capture().ThreadsFinished() && !Capture().OpencursorRunning() &&
               Capture().FetchesRunning() == 0;
    }
    // No worker runs, no modal window is open and nothing waits in the hand-over queue.
    bool Settled() {
        util::HandOver::instance().runPending();
        for (int k = monitor::wkList; k < monitor::wkCount; ++k) {
            const auto kind = static_cast<monitor::TWorkerKind>(k);
            const monitor::TWorkerThread* t = Monitor().Thread(kind);
            if (Monitor().Running(kind) || (t && t->Started() && !t->Finished()))
                return false;
        }
        if (wc.worker == Worker::WaitingBlock && !Pages().searchButton->isEnabled())
            return false;
        if (!CaptureIdle())
            return false;
        return QApplication::activeModalWidget() == nullptr;
    }

    // The error text a database page shows after a failed load, empty when it shows none.
    std::string PageError() {
        auto rowError = [](const monitor::TTextListModel& m) {
            for (int r = 0; r < m.rowCount(); ++r)
                if (m.Cell(r, 0).find(" error") != std::string::npos)
                    return m.Cell(r, 0);
            return std::string();
        };
        switch (wc.worker) {
        case Worker::DatabaseInfo: {
            const QString text = DbPages().databaseInfoText->toPlainText();
            const qsizetype at = text.indexOf(QStringLiteral("Get v$"));
            return at < 0 ? std::string() : text.mid(at, 40).toStdString();
        }
        case Worker::NlsParameters:
            return rowError(DbPages().NlsModel());
        case Worker::SystemParameters:
            return rowError(DbPages().SystemParameterModel());
        case Worker::SystemEvents:
            return rowError(DbPages().SystemEventModel());
        default:
            return {};
        }
    }

    std::string ErrorsText() const {
        std::string all;
        for (const QString& e : user->errors)
            all += "[" + e.toStdString() + "] ";
        return all;
    }

    // The fault hits: one error comes, naming one of `codes`, and no second one once everything
    // has settled.
    void ExpectOneError(const std::vector<std::string>& codes) {
        if (IsDatabasePage(wc.worker)) {
            ASSERT_TRUE(waitFor([&] { return !PageError().empty(); }, kDeadlineMs))
                << "awaited: the page's error text after " << FaultName(fault);
            ASSERT_TRUE(waitFor([&] { return Settled(); }, kDeadlineMs))
                << "awaited: the window to settle";
            EXPECT_TRUE(user->errors.empty())
                << "a page load failure also opened message boxes: " << ErrorsText();
            return;
        }
        ASSERT_TRUE(waitFor([&] { return !user->errors.empty(); }, kDeadlineMs))
            << "awaited: the error message of " << wc.name << " after " << FaultName(fault);
        ASSERT_TRUE(waitFor([&] { return Settled(); }, kDeadlineMs))
            << "awaited: the window to settle";
        ASSERT_TRUE(waitFor([&] { return Settled(); }, kDeadlineMs));
        EXPECT_EQ(user->errors.size(), 1u) << "a cascade of message boxes: " << ErrorsText();
        const std::string shown = user->errors[0].toStdString();
        EXPECT_TRUE(std::any_of(
            codes.begin(), codes.end(),
            [&](const std::string& code) { return shown.find(code) != std::string::npos; }))
            << "the message does not name " << codes.front()
            << " or what follows it: " << ErrorsText();
    }

    // After the lost connection: the user disconnects and logs in again; the list refreshes.
    void DisconnectAndLogInAgain() {
        const std::size_t errorsBefore = user->errors.size();
        window->disconnectAction->trigger();
        ASSERT_TRUE(waitFor([&] { return !Monitor().Connected(); }, kDeadlineMs))
            << "awaited: the disconnect after the lost connection";
        EXPECT_EQ(user->questions, 1);
        instance->clearFaults();
        ASSERT_TRUE(window->connectAction->isEnabled());
        window->connectAction->trigger();
        ASSERT_TRUE(waitFor([&] { return Monitor().Connected(); }, kDeadlineMs))
            << "awaited: the second login";
        ASSERT_TRUE(waitFor([&] { return ListFetched(*window); }, kDeadlineMs))
            << "awaited: the session list after the second login";
        ASSERT_TRUE(waitFor([&] { return Settled(); }, kDeadlineMs));
        EXPECT_EQ(user->errors.size(), errorsBefore)
            << "disconnecting or logging in again showed errors: " << ErrorsText();
        EXPECT_FALSE(window->SessionListModel().RowsCopy().empty());
    }

    // The slow statement runs: the window keeps handling events, the refresh timer ticks, the
    // user switches pages and disconnects, and the disconnect does not wait the statement out.
    // Every step runs from a timer, so the steps go on also inside a load that the UI thread
    // waits for in a nested event loop.
    void SlowStatementScenario() {
        const std::uint64_t before = instance->statementCount();
        QElapsedTimer sinceTick;
        qint64 longestGap = 0;
        int step = 0;
        bool triggerReturned = false, disconnected = false;
        int refreshTicks = 0;
        qint64 disconnectMs = -1;
        std::string failure;
        QElapsedTimer stepClock;
        QObject::connect(&Monitor().RefreshTimer(), &QTimer::timeout, window.get(),
                         [&] { ++refreshTicks; });
        QTimer ticker;
        ticker.setInterval(5);
        auto fail = [&](const std::string& what) {
            failure = what;
            step = 100;
        };
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            if (sinceTick.isValid())
                longestGap = std::max(longestGap, sinceTick.elapsed());
            sinceTick.start();
            switch (step) {
            case 0:
                QTimer::singleShot(0, window.get(), [&] {
                    Trigger();
                    triggerReturned = true;
                });
                stepClock.start();
                step = 1;
                break;
            case 1: // the slow statement has reached the instance
                if (instance->statementCount() >=
                    before + static_cast<std::uint64_t>(wc.statementsUntilFaulted)) {
                    Monitor().SetRefreshInterval(3);
                    Monitor().SetAutoRefresh(true);
                    // The shortest interval the user can set is 3 s; the timer itself is made
                    // to tick sooner, so that the case does not wait seconds for the tick.
                    Monitor().RefreshTimer().start(100);
                    refreshTicks = 0;
                    stepClock.start();
                    step = 2;
                } else if (stepClock.elapsed() > kDeadlineMs) {
                    fail("awaited: the slow statement to start");
                }
                break;
            case 2: // the refresh interval passes during the statement
                if (refreshTicks >= 1) {
                    stepClock.start();
                    step = 3;
                    // The user switches pages.
                    QTimer::singleShot(0, window.get(), [&] {
                        if (wc.worker == Worker::SessionList) {
                            const std::string sid = SessionFor(Worker::Details);
                            if (!sid.empty() && SelectSid(sid))
                                window->showDetailsAction->trigger();
                        } else {
                            window->Pages()->setCurrentIndex(gui::SessionListPage);
                        }
                        step = 4;
                    });
                } else if (stepClock.elapsed() > kDeadlineMs) {
                    fail("awaited: a tick of the refresh timer during the slow statement");
                }
                break;
            case 3:
                if (stepClock.elapsed() > kDeadlineMs)
                    fail("awaited: the page switch during the slow statement");
                break;
            case 4: // the user disconnects
                step = 5;
                stepClock.start();
                QTimer::singleShot(0, window.get(), [&] {
                    QElapsedTimer t;
                    t.start();
                    window->DisconnectSequence(false);
                    disconnectMs = t.elapsed();
                    disconnected = true;
                });
                break;
            case 5:
                if (disconnected && triggerReturned)
                    step = 6;
                else if (stepClock.elapsed() > kDeadlineMs)
                    fail(disconnected ? "awaited: the started command to return after the "
                                        "disconnect"
                                      : "awaited: the disconnect during the slow statement");
                break;
            default:
                break;
            }
        });
        ticker.start();
        const bool ended = waitFor([&] { return step >= 6; }, 4 * kDeadlineMs);
        ticker.stop();
        ASSERT_TRUE(failure.empty()) << failure;
        ASSERT_TRUE(ended) << "awaited: the slow statement scenario (at step " << step << ")";
        EXPECT_LT(longestGap, kResponsiveGapMs)
            << "the window did not handle its events for " << longestGap << " ms";
        EXPECT_GE(disconnectMs, 0);
        EXPECT_LT(disconnectMs, kDisconnectMs)
            << "the disconnect waited " << disconnectMs << " ms for the slow statement";
        EXPECT_FALSE(Monitor().Connected());
        ASSERT_TRUE(waitFor([&] { return Settled(); }, kDeadlineMs))
            << "awaited: the window to settle after the disconnect";
        EXPECT_TRUE(user->errors.empty())
            << "a statement cut short by the user's disconnect showed errors: " << ErrorsText();
    }

    WorkerCase wc{};
    FaultKind fault{};
    std::string server;
    std::shared_ptr<oradb::sandbox::Instance> instance;
    std::unique_ptr<Watchdog> watchdog;
    std::unique_ptr<gui::TFrmMain> window;
    std::unique_ptr<User> user;
    util::TDateTime clock = 0;
    QTemporaryDir logDir;
};

TEST_P(FaultMatrix, OneClearErrorAResponsiveWindowAndAWayBack) {
    ASSERT_NO_FATAL_FAILURE(Prepare());
    oradb::sandbox::Fault f;
    f.fragment = wc.fragment;
    switch (fault) {
    case FaultKind::LostConnection:
        instance->loseConnections();
        QTimer::singleShot(0, window.get(), [this] { Trigger(); });
        // The statement that meets the lost connection first gets ORA-03113 and those after it
        // ORA-01012; when two capture threads fail together, either may report first.
        ASSERT_NO_FATAL_FAILURE(ExpectOneError({"ORA-03113", "ORA-01012"}));
        ASSERT_NO_FATAL_FAILURE(DisconnectAndLogInAgain());
        break;
    case FaultKind::FailAfterRows:
        f.failAfterRows = wc.rowsBeforeFailure;
        instance->addFault(f);
        QTimer::singleShot(0, window.get(), [this] { Trigger(); });
        ASSERT_NO_FATAL_FAILURE(ExpectOneError({"ORA-00600"}));
        // The window still works: the list refreshes.
        instance->clearFaults();
        if (Monitor().AutoRefresh())
            Monitor().SetAutoRefresh(false);
        window->Pages()->setCurrentIndex(gui::SessionListPage);
        window->UpdateActions();
        window->refreshAction->trigger();
        ASSERT_TRUE(waitFor([&] { return ListFetched(*window) && Settled(); }, kDeadlineMs))
            << "awaited: a refresh after the failure";
        EXPECT_EQ(user->errors.size(), IsDatabasePage(wc.worker) ? 0u : 1u) << ErrorsText();
        break;
    case FaultKind::Slow:
        f.delayMs = kSlowDelayMs;
        instance->addFault(f);
        ASSERT_NO_FATAL_FAILURE(SlowStatementScenario());
        break;
    }
}

std::string CaseName(const ::testing::TestParamInfo<Param>& info) {
    return std::string(std::get<0>(info.param).name) + "_" + FaultName(std::get<1>(info.param));
}

INSTANTIATE_TEST_SUITE_P(Workers, FaultMatrix,
                         ::testing::Combine(::testing::ValuesIn(kWorkers),
                                            ::testing::Values(FaultKind::LostConnection,
                                                              FaultKind::FailAfterRows,
                                                              FaultKind::Slow)),
                         CaseName);

} // namespace
