#include "gui/StartupMark.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QFile>
#include <QSaveFile>
#include <QTimer>
#include <ctime>
#include <unistd.h>

namespace gui {

TStartupMark::TStartupMark(QAbstractItemView* list, QString file, std::function<void()> done)
    : QObject(list), list_(list), file_(std::move(file)), done_(std::move(done)) {
    list_->viewport()->installEventFilter(this);
}

double TStartupMark::ProcessAgeMs() {
    // Field 22 of /proc/self/stat, after the command name in parentheses: the start time in
    // clock ticks since boot, the clock that CLOCK_BOOTTIME reads.
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20)
        return -1;
    const double startMs =
        fields[19].toDouble() * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6 -
           startMs;
}

bool TStartupMark::eventFilter(QObject* watched, QEvent* event) {
    // The list is painted when the paint event has been handled: the mark comes right after.
    if (!marked_ && event->type() == QEvent::Paint && list_->model() &&
        list_->model()->rowCount() > 0) {
        marked_ = true;
        QTimer::singleShot(0, this, [this] { Write(); });
    }
    return QObject::eventFilter(watched, event);
}

void TStartupMark::Write() {
    list_->viewport()->removeEventFilter(this);
    QSaveFile out(file_);
    if (out.open(QIODevice::WriteOnly)) {
        out.write(QByteArray::number(ProcessAgeMs(), 'f', 1) + '\n');
        out.commit();
    }
    if (done_)
        done_();
}

} // namespace gui
