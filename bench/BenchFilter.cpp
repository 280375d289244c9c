// quenby-bench filter: the session filter of the main window over a large sandbox instance, one
// keystroke at a time, from the typed character to the repainted list.
#include "Bench.h"
#include "gui/MainWindow.h"
#include "gui/views/SessionListView.h"
#include "monitor/Monitor.h"
#include "monitor/SessionListFetch.h"
#include "sandbox/SandboxInstance.h"
#include "util/HandOver.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <algorithm>

namespace {

// One key pressed and released in `target`, as the keyboard delivers it.
void press(QWidget* target, int key, const QString& text) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &down);
    QCoreApplication::sendEvent(target, &up);
}

int filter(const bench::Args& args) {
    const int sessions = bench::intOption(args, "sessions", 10000);
    const std::string server = "sandbox::memory:bench-filter";
    oradb::sandbox::InstanceOptions options;
    options.sessions = sessions;
    options.autoTick = false;
    const auto instance = oradb::sandbox::Instance::open(server, options);

    gui::TFrmMain window;
    monitor::TPvConnection& monitor = window.Monitor();
    if (!bench::DirectConnect(monitor, server))
        return 1;
    monitor.CacheLoad();
    monitor.Notify(monitor::ncRebuildListColumns);
    window.Pages()->show();
    window.resize(1280, 900);
    window.show();
    monitor.Refresh();
    if (!util::HandOver::instance().waitUntil(
            [&] {
                auto* t = monitor.Thread(monitor::wkList);
                return !monitor.Running(monitor::wkList) && t && t->Finished();
            },
            std::chrono::seconds(60)))
        return 1;
    QApplication::processEvents();

    // Typing a user name letter by letter, then deleting it again: each keystroke filters the
    // whole list and the view repaints before the next one.
    QLineEdit* edit = window.SessionFilterEdit();
    const QString typed = QStringLiteral("appuser");
    std::vector<double> keystrokes;
    for (int round = 0; round < 3; ++round) {
        for (const QChar c : typed) {
            const auto t = std::chrono::steady_clock::now();
            press(edit, Qt::Key_A + (c.unicode() - 'a'), QString(c));
            window.SessionList()->viewport()->repaint();
            QApplication::processEvents();
            keystrokes.push_back(bench::msSince(t));
        }
        for (qsizetype i = 0; i < typed.size(); ++i) {
            const auto t = std::chrono::steady_clock::now();
            press(edit, Qt::Key_Backspace, QString());
            window.SessionList()->viewport()->repaint();
            QApplication::processEvents();
            keystrokes.push_back(bench::msSince(t));
        }
    }
    // Header clicks: by the machine both ways, by the SID, and back to the statistic, each from
    // the click to the repainted list.
    QHeaderView* header = window.SessionList()->header();
    const auto columnOf = [&](const QString& caption) {
        for (int c = 0; c < header->count(); ++c)
            if (header->model()->headerData(c, Qt::Horizontal).toString() == caption)
                return c;
        return -1;
    };
    const int machine = columnOf(QStringLiteral("Machine"));
    const int statistic = window.SessionListModel().StatisticColumn();
    std::vector<double> clicks;
    for (const auto& [column, order] :
         std::vector<std::pair<int, Qt::SortOrder>>{{machine, Qt::AscendingOrder},
                                                    {machine, Qt::DescendingOrder},
                                                    {0, Qt::AscendingOrder},
                                                    {statistic, Qt::DescendingOrder}}) {
        if (column < 0)
            return 1;
        const auto t = std::chrono::steady_clock::now();
        header->setSortIndicator(column, order);
        window.SessionList()->viewport()->repaint();
        QApplication::processEvents();
        clicks.push_back(bench::msSince(t));
    }
    std::sort(keystrokes.begin(), keystrokes.end());
    double sum = 0;
    for (double k : keystrokes)
        sum += k;
    bench::figure("sessions", static_cast<long long>(monitor.Sessions.size()));
    bench::figure("keystroke_ms", sum / static_cast<double>(keystrokes.size()));
    bench::figure("keystroke_max_ms", keystrokes.back());
    bench::figure("sort_click_max_ms", *std::max_element(clicks.begin(), clicks.end()));
    bench::figure("sort_back_to_statistic_ms", clicks.back());
    monitor.Disconnect();
    return 0;
}

const bench::Registration registration("filter", filter, "[--sessions N]");

} // namespace
