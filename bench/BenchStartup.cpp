// quenby-bench startup: from the start of the quenby process to its first painted session list,
// logged in at start (--connect, the password in QUENBY_PASSWORD) to an in-memory sandbox
// instance, on the offscreen platform. The program writes the time itself (QUENBY_STARTUP_MARK)
// and closes; each run is a new process with the settings of a first-time user.
#include "Bench.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The program beside quenby-bench (installed, or both in one folder), else the one built with it.
QString programPath(const bench::Args& args) {
    const std::string given = bench::option(args, "program", "");
    if (!given.empty())
        return QString::fromStdString(given);
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/quenby");
    return QFileInfo(beside).isExecutable() ? beside : QStringLiteral(QUENBY_PROGRAM_PATH);
}

int startup(const bench::Args& args) {
    const int runs = std::max(1, bench::intOption(args, "runs", 5));
    const QString program = programPath(args);
    QTemporaryDir home;
    if (!home.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    std::vector<double> marks, ends;
    for (int run = 0; run < runs; ++run) {
        const QString mark = home.filePath(QStringLiteral("mark-%1").arg(run));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("QUENBY_PASSWORD"), QStringLiteral("lantern"));
        environment.insert(QStringLiteral("QUENBY_STARTUP_MARK"), mark);
        // A first-time user's settings, the same for every run.
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_STATE_HOME"),
                           home.filePath(QStringLiteral("state")));
        QProcess quenby;
        quenby.setProcessEnvironment(environment);
        const auto start = std::chrono::steady_clock::now();
        quenby.start(program, {QStringLiteral("--connect"),
                               QStringLiteral("system@sandbox::memory:bench-startup")});
        if (!quenby.waitForFinished(60000) || quenby.exitStatus() != QProcess::NormalExit ||
            quenby.exitCode() != 0) {
            std::fprintf(stderr, "%s did not start and close by itself (exit status %d)\n%s",
                         qPrintable(program), quenby.exitCode(),
                         quenby.readAllStandardError().constData());
            quenby.kill();
            quenby.waitForFinished(5000);
            return 1;
        }
        ends.push_back(bench::msSince(start));
        QFile file(mark);
        bool ok = file.open(QIODevice::ReadOnly);
        const double ms = ok ? file.readAll().trimmed().toDouble(&ok) : 0;
        if (!ok) {
            std::fprintf(stderr, "no start-up mark in %s\n", qPrintable(mark));
            return 1;
        }
        marks.push_back(ms);
    }
    bench::figure("runs", static_cast<long long>(runs));
    bench::figure("startup_ms", median(marks));
    bench::figure("startup_min_ms", *std::min_element(marks.begin(), marks.end()));
    bench::figure("startup_max_ms", *std::max_element(marks.begin(), marks.end()));
    bench::figure("process_ms", median(ends));
    return 0;
}

const bench::Registration registration("startup", startup, "[--runs N] [--program PATH]");

} // namespace
