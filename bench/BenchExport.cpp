// quenby-bench export: a session list of N rows written in the session list layout through
// the temporary file, timing the whole write (the window is blocked for that long).
#include "Bench.h"
#include "monitor/ListExport.h"
#include "monitor/SessionListModel.h"

#include <QTemporaryDir>
#include <filesystem>
#include <stdexcept>

namespace {

int exportList(const bench::Args& args) {
    const int rows = bench::intOption(args, "rows", 10000);
    if (rows < 1)
        throw std::invalid_argument("--rows must be at least 1");
    monitor::TSessionListModel list;
    std::vector<monitor::TSessionListModel::Column> columns;
    for (const char* c : {"Sid", "Serial#", "Username", "session logical reads", "Status",
                          "Machine", "OsUser", "program", "Logon_time", "SchemaName", "command"})
        columns.push_back({QString::fromLatin1(c), 0});
    list.SetColumns(columns);
    std::vector<monitor::TSessionListModel::Row> data;
    for (int i = 0; i < rows; ++i)
        data.push_back({std::to_string(i + 1),
                        {std::to_string(1000 + i), "APP_USER", std::to_string(i * 37),
                         i % 3 ? "INACTIVE" : "ACTIVE", "WORKGROUP\\PC" + std::to_string(i),
                         "user" + std::to_string(i % 50), "app.exe", "12/8/2026 3:04:05 AM",
                         "APP_USER", "SELECT"}});
    list.SetRows(std::move(data));
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("sessions.log")).toStdString();
    const auto start = std::chrono::steady_clock::now();
    monitor::WriteExport(
        {"lvsessionlist", &list, {40, 0, 65, 70, 60, 70, 100, 100, 90, 65, 90}, {}},
        monitor::TExportLayout::SessionList, path, "Created at: bench");
    const double ms = bench::msSince(start);
    bench::figure("rows", static_cast<long long>(rows));
    bench::figure("bytes", static_cast<long long>(std::filesystem::file_size(path)));
    bench::figure("export_ms", ms);
    return 0;
}

const bench::Registration registration("export", exportList, "[--rows N]");

} // namespace
