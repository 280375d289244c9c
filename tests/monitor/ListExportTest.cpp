// List export layouts written byte for byte, against expected files.
#include "monitor/ListExport.h"

#include "monitor/SessionListModel.h"
#include "monitor/TextListModel.h"
#include "util/TextFileWriter.h"

#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

const std::string kHeading = "Created at: 12/8/2026 3:04:05 AM of sandbox::memory:PROD";

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string expected(const std::string& name) {
    return readFile(std::string(QUENBY_TEST_DATA) + "/" + name);
}

class ListExport : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        std::vector<monitor::TSessionListModel::Column> columns;
        for (const char* c :
             {"Sid", "Serial#", "Username", "session logical reads", "Status", "Machine", "OsUser",
              "program", "Logon_time", "SchemaName", "command"})
            columns.push_back({QString::fromLatin1(c), 0});
        sessions.SetColumns(columns);
        sessions.SetRows({{"12",
                           {"3401", "SCOTT", "1234", "ACTIVE", "WS-PC01", "scott", "sqlplus.exe",
                            "12/8/2026 3:04:05 AM", "SCOTT", "SELECT"}},
                          {"7",
                           {"22", "", "0", "INACTIVE", "dbprod01", "oracle",
                            "oracle@dbprod01 (PMON)", "12/5/2026 1:46:33 AM", "SYS", ""}}});
    }
    std::string Path(const char* name) {
        return dir.filePath(QString::fromLatin1(name)).toStdString();
    }
    std::string ExportSessions(std::vector<int> widths) {
        monitor::TExportSource source{"lvsessionlist", &sessions, std::move(widths), {}};
        const std::string path = Path("sessions.txt");
        monitor::WriteExport(source, monitor::ExportLayoutOf(source.name), path, kHeading);
        return readFile(path);
    }
    QTemporaryDir dir;
    monitor::TSessionListModel sessions;
    // The initial widths of the session list, "Serial#" hidden.
    const std::vector<int> initial{40, 0, 65, 70, 60, 70, 100, 100, 90, 65, 90};
};

TEST_F(ListExport, LayoutsFollowTheTargetNameInAnyCase) {
    using L = monitor::TExportLayout;
    EXPECT_EQ(monitor::ExportLayoutOf("lvsessionlist"), L::SessionList);
    for (const char* name : {"LvSystemparameter", "LvNlsParameter", "lvsystemevent", "LvMemory",
                             "lvCurrentWaitInformation", "LvSessionDetails", "lvstatistics",
                             "lvEvents", "lvAllsql", "LVLocks"})
        EXPECT_EQ(monitor::ExportLayoutOf(name), L::PlainList) << name;
    EXPECT_EQ(monitor::ExportLayoutOf("ReDatabaseInfo"), L::TextLines);
    EXPECT_EQ(monitor::ExportLayoutOf("RECurrentSql"), L::None);
    EXPECT_EQ(monitor::ExportLayoutOf(""), L::None);
}

TEST_F(ListExport, TheInitialSessionListWidthsGiveTheDocumentedCells) {
    std::vector<std::string> captions;
    for (const auto& c : sessions.Columns())
        captions.push_back(c.caption.toStdString());
    EXPECT_EQ(monitor::ExportCellWidths(monitor::TExportLayout::SessionList, captions, initial),
              (std::vector<int>{8, -1, 13, 23, 12, 24, 20, 20, 28, 13, 18}));
    EXPECT_EQ(ExportSessions(initial), expected("sesslist_initial.txt"));
}

TEST(ListExportColumns, TheSessionListCellsFollowTheCaptionsWhateverOptionalColumnsAreShown) {
    // No SERIAL#, SPID and EVENT after the fixed columns: the statistic still follows Username,
    // machine and logon time keep their extra room, an optional column follows the screen.
    const std::vector<std::string> captions = {
        "Sid",     "Username",   "physical reads", "Status",  "Machine", "OsUser",
        "program", "Logon_time", "SchemaName",     "command", "SPID",    "EVENT"};
    const std::vector<int> widths = {40, 65, 70, 60, 70, 100, 100, 90, 65, 90, 60, 0};
    EXPECT_EQ(monitor::ExportCellWidths(monitor::TExportLayout::SessionList, captions, widths),
              (std::vector<int>{8, 13, 16, 12, 24, 20, 20, 28, 13, 18, 12, -1}));
}

TEST_F(ListExport, AWidenedStatusColumnWidensItsCells) {
    std::vector<int> widths = initial;
    widths[4] = 100;
    EXPECT_EQ(ExportSessions(widths), expected("sesslist_status100.txt"));
}

TEST_F(ListExport, ALongMachineNamePushesTheRestOfItsLine) {
    auto rows = sessions.RowsCopy();
    rows[0].subItems[4] = "WORKGROUP\\A-VERY-LONG-MACHINE-NAME-0001";
    sessions.SetRows(rows);
    EXPECT_EQ(ExportSessions(initial), expected("sesslist_longmachine.txt"));
}

TEST_F(ListExport, APlainListWritesEveryColumnAtAFifthOfItsWidth) {
    monitor::TTextListModel list(
        {{QStringLiteral("Parameter"), 200}, {QStringLiteral("Value"), 200}});
    list.AddRow({"NLS_LANGUAGE", {"AMERICAN"}});
    list.AddRow({"NLS_CURRENCY", {""}});
    list.AddRow({"A_PARAMETER_NAME_LONGER_THAN_FORTY_CHARACTERS", {"X"}});
    const std::string path = Path("nls.txt");
    monitor::WriteExport({"LvNlsParameter", &list, {200, 200}, {}},
                         monitor::TExportLayout::PlainList, path, kHeading);
    EXPECT_EQ(readFile(path), expected("plain_list.txt"));
}

TEST_F(ListExport, AShortRowStopsTheExportAndKeepsTheLinesBeforeIt) {
    monitor::TTextListModel list(
        {{QStringLiteral("Parameter"), 200}, {QStringLiteral("Value"), 200}});
    list.AddRow({"NLS_LANGUAGE", {"AMERICAN"}});
    list.AddRow({"Get v$nls_parameter error", {}});
    const std::string path = Path("short.txt");
    try {
        monitor::WriteExport({"LvNlsParameter", &list, {200, 200}, {}},
                             monitor::TExportLayout::PlainList, path, kHeading);
        ADD_FAILURE() << "no error for the short row";
    } catch (const monitor::EExportRow& e) {
        EXPECT_EQ(e.Row, 1);
    }
    EXPECT_EQ(readFile(path), expected("plain_list_short.txt"));
}

TEST_F(ListExport, TheReportIsWrittenLineByLineWithoutHeading) {
    const std::vector<std::string> lines{
        "VERSION",
        std::string(11, ' ') + "Oracle9i Enterprise Edition Release 9.2.0.4.0 - 64bit Production",
        "SGA",
        std::string(11, ' ') + "Fixed Size" + std::string(20, ' ') + "      1,234,567 bytes"};
    const std::string path = Path("report.txt");
    monitor::WriteExport({"ReDatabaseInfo", nullptr, {}, lines}, monitor::TExportLayout::TextLines,
                         path, kHeading);
    EXPECT_EQ(readFile(path), expected("report.txt"));
}

TEST_F(ListExport, TheExportAsksForAFileOnlyForAKnownTargetAndStopsWhenCancelled) {
    monitor::TPvConnection monitor;
    int asked = 0;
    auto describe = [&](QObject*) {
        return monitor::TExportSource{"lvsessionlist", &sessions, initial, {}};
    };
    auto cancel = [&] {
        ++asked;
        return std::string();
    };
    EXPECT_EQ(monitor::Export(monitor, "txt", describe, cancel), "");
    EXPECT_EQ(asked, 0); // no target
    QObject target;
    monitor.ExportTarget = &target;
    EXPECT_EQ(monitor::Export(monitor, "csv", describe, cancel), "");
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(monitor::Export(monitor, "txt", describe, cancel), "");
    EXPECT_EQ(asked, 1);
    auto unknown = [&](QObject*) { return monitor::TExportSource{"lvother", &sessions, {}, {}}; };
    EXPECT_EQ(monitor::Export(monitor, "txt", unknown, cancel), "");
    EXPECT_EQ(asked, 1);
    const std::string path = Path("via_export.txt");
    EXPECT_EQ(monitor::Export(monitor, "txt", describe, [&] { return path; }), path);
    const std::string text = readFile(path);
    // Heading, then the same lines as the layout writes.
    EXPECT_EQ(text.rfind("Created at: ", 0), 0u);
    EXPECT_EQ(text.substr(text.find("\r\n\r\n") + 4),
              expected("sesslist_initial.txt").substr(kHeading.size() + 4));
}

} // namespace
