// What the main-window tests share: waiting for an event while the test thread keeps serving
// the workers' hand-over calls, pictures of a widget on demand, and the login through the form
// the window opens when it is shown.
#pragma once

#include "ModalDriver.h"
#include "gui/MainWindow.h"
#include "gui/views/SessionListView.h"
#include "monitor/Monitor.h"
#include "oradb/OraConnectDialog.h"
#include "sandbox/SandboxInstance.h"
#include "util/HandOver.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPalette>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace testing_support {

// Runs the event loop and the hand-over calls until `done` holds; false after `ms` milliseconds.
inline bool waitFor(const std::function<bool()>& done, int ms = 20000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        util::HandOver::instance().runPending();
    }
    return true;
}

// Saves a picture of `w` as `name`.png when QUENBY_SHOTS names a folder.
inline void shot(QWidget* w, const QString& name) {
    const QByteArray dir = qgetenv("QUENBY_SHOTS");
    if (dir.isEmpty())
        return;
    QDir().mkpath(QString::fromLocal8Bit(dir));
    w->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + name + ".png");
}

// A palette as dark desktops give it: light texts on dark grounds.
inline QPalette DarkPalette() {
    QPalette p;
    p.setColor(QPalette::Window, QColor(53, 53, 53));
    p.setColor(QPalette::WindowText, QColor(230, 230, 230));
    p.setColor(QPalette::Base, QColor(35, 35, 35));
    p.setColor(QPalette::AlternateBase, QColor(50, 50, 50));
    p.setColor(QPalette::Text, QColor(230, 230, 230));
    p.setColor(QPalette::Button, QColor(53, 53, 53));
    p.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    p.setColor(QPalette::ToolTipBase, QColor(53, 53, 53));
    p.setColor(QPalette::ToolTipText, QColor(230, 230, 230));
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, QColor(0, 0, 0));
    p.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
    return p;
}

// The application's palette replaced for the lifetime of the object, also when a test stops early.
class PaletteScope {
public:
    explicit PaletteScope(const QPalette& palette) { QApplication::setPalette(palette); }
    ~PaletteScope() { QApplication::setPalette(saved_); }
    PaletteScope(const PaletteScope&) = delete;
    PaletteScope& operator=(const PaletteScope&) = delete;

private:
    QPalette saved_ = QApplication::palette();
};

// Shows `window` and logs in to `server` as system through the login form that the showing
// opens; true once the monitor is connected.
inline bool ShowAndLogin(gui::TFrmMain& window, const std::string& server) {
    ModalDriver driver({ModalDriver::Login("system", "lantern", server)});
    window.show();
    return waitFor([&] { return window.Monitor().Connected(); });
}

// True when the last session list fetch has ended and brought rows.
inline bool ListFetched(gui::TFrmMain& window) {
    auto* t = window.Monitor().Thread(monitor::wkList);
    return !window.Monitor().Running(monitor::wkList) && t && t->Finished() &&
           !window.SessionListModel().RowsCopy().empty();
}

// Forgets what earlier windows remembered (options, place, page, folders, lists), so that each test
// starts as a user who has not run Quenby before; the login is kept.
inline void ForgetRememberedSettings() {
    const auto settings = oradb::connectSettings();
    for (const char* group : {"Display", "Window", "Folders", "Lists"})
        settings->remove(QString::fromLatin1(group));
}

// A test of the main window over a sandbox instance of its own, from a user who has nothing
// remembered; the window is disconnected and closed after each test.
class WindowTest : public ::testing::Test {
protected:
    static std::string TestName() {
        return ::testing::UnitTest::GetInstance()->current_test_info()->name();
    }
    // Opens the in-memory instance `server` without automatic ticks (with `sessions` sessions
    // when positive) and makes the window, not shown yet.
    void OpenInstanceAndWindow(const std::string& server, int sessions = 0) {
        oradb::sandbox::InstanceOptions options;
        options.autoTick = false;
        if (sessions > 0)
            options.sessions = sessions;
        instance = oradb::sandbox::Instance::open(server, options);
        ForgetRememberedSettings();
        window = std::make_unique<gui::TFrmMain>();
    }
    void TearDown() override {
        if (window && window->Monitor().Connected())
            window->DisconnectSequence(false);
        window.reset();
        ForgetRememberedSettings();
    }

    std::string name;
    std::shared_ptr<oradb::sandbox::Instance> instance;
    std::unique_ptr<gui::TFrmMain> window;
};

} // namespace testing_support
