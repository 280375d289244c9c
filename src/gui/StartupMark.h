// TStartupMark: notes when the main window has first painted a filled session list, for
// measuring the program's start-up (QUENBY_STARTUP_MARK). User-interface thread only.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QAbstractItemView;

namespace gui {

class TStartupMark final : public QObject {
public:
    // Watches `list`: after its first paint with rows, writes the milliseconds since the process
    // started to `file` (one line) and calls `done`.
    TStartupMark(QAbstractItemView* list, QString file, std::function<void()> done);

    // Milliseconds since this process started, by the kernel's record of its start (in steps of
    // the clock tick, 10 ms on most systems).
    static double ProcessAgeMs();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Write();

    QAbstractItemView* list_;
    QString file_;
    std::function<void()> done_;
    bool marked_ = false;
};

} // namespace gui
