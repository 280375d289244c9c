// Collector definitions: add, modify and delete against the sandbox table, loading at login,
// quotes in the texts, the identifier rule, and the texts built from a definition.
#include "CaptureSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using namespace testing_support;
using capture::TCollectorDefinition;

util::TDateTime at(int year, int month, int day, int hour, int minute, int second = 0, int ms = 0) {
    return util::encodeDateTime({year, month, day, hour, minute, second, ms});
}

struct Collectors : ::testing::Test {
    CaptureRig r;
    void SetUp() override {
        ASSERT_TRUE(r.Login());
        ASSERT_TRUE(r.Install());
    }
    std::vector<std::vector<std::string>> stored() {
        return rows(r.Session(), "select colid,colname,colsaddr,colsid,colusername,isschedule,"
                                 "scheduledate,schedulehour,scheduleminute,rtp,monitors,"
                                 "collogfilename,collogfiledir from public_qby_sqlcollector "
                                 "order by colid");
    }
};

TEST_F(Collectors, AddStoresEveryFieldAndAddsARowWithZeroCounters) {
    r.clock = at(2026, 12, 8, 10, 0, 0, 250);
    TCollectorDefinition d = r.Scheduled("scott", capture::fkUser, "scott");
    d.startDate = util::dayNumber(2004, 6, 15);
    d.startHour = 9;
    d.startMinute = 30;
    ASSERT_TRUE(r.capture.AddCollector(d));
    const auto s = stored();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0], (std::vector<std::string>{"36000250", "scott", "0", "1", "scott", "1", "731747",
                                              "9", "30", "7200", "5", "scott.sql", d.logDir}));
    ASSERT_EQ(r.capture.Rows().rowCount(), 1);
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(r.capture.Rows().Text(0, c),
                  (std::vector<std::string>{"scott", "User", "scott", "Y", "0", "0"}[c]));
    EXPECT_EQ(r.capture.Collectors().at(0)->identifier, 36000250);
}

TEST_F(Collectors, QuotesInNamesAndValuesAreStoredAndReadBack) {
    TCollectorDefinition d = r.Scheduled("o'brien", capture::fkProgram, "it's 'x'.exe");
    ASSERT_TRUE(r.capture.AddCollector(d)) << (r.messages.empty() ? "" : r.messages[0]);
    EXPECT_TRUE(r.messages.empty());
    d.value = "';delete from public_qby_sqlcollector--";
    d.name = "q''q";
    ASSERT_TRUE(r.capture.ModifyCollector(0, d));
    r.capture.NewList();
    r.capture.LoadCollectors();
    ASSERT_EQ(r.capture.Collectors().size(), 1u);
    EXPECT_EQ(r.capture.Collectors()[0]->def.name, "q''q");
    EXPECT_EQ(r.capture.Collectors()[0]->def.value, "';delete from public_qby_sqlcollector--");
    // The conditions match the value as written.
    EXPECT_EQ(capture::CaptureCondition(d),
              " s.program=''';delete from public_qby_sqlcollector--'");
    EXPECT_EQ(capture::FetchFilter(d), " fetchtime>:fetchtime  and tot.program=''';delete from "
                                       "public_qby_sqlcollector--'");
}

TEST_F(Collectors, SameTimeOfDayOnAnotherDayStepsToTheNextFreeIdentifier) {
    r.clock = at(2026, 12, 8, 10, 0, 0, 0);
    ASSERT_TRUE(r.capture.AddCollector(r.Scheduled("a", capture::fkUser, "A")));
    r.clock = at(2026, 12, 9, 10, 0, 0, 0);
    ASSERT_TRUE(r.capture.AddCollector(r.Scheduled("b", capture::fkUser, "B")));
    // Taken in the table only (another program instance added it): stepped past too.
    run(r.Session(), "insert into public_qby_sqlcollector(colid,colname) values(36000002,'c')");
    r.clock = at(2026, 12, 10, 10, 0, 0, 0);
    ASSERT_TRUE(r.capture.AddCollector(r.Scheduled("d", capture::fkUser, "D")));
    const auto s = stored();
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s[0][0], "36000000");
    EXPECT_EQ(s[1][0], "36000001");
    EXPECT_EQ(s[2][0], "36000002");
    EXPECT_EQ(s[3][0], "36000003");
    EXPECT_EQ(s[3][1], "d");
}

TEST_F(Collectors, LoadingListsCollectorsInIdentifierOrder) {
    r.clock = at(2026, 12, 8, 15, 0);
    ASSERT_TRUE(r.capture.AddCollector(r.Scheduled("late", capture::fkMachine, "m1")));
    r.clock = at(2026, 12, 8, 9, 0);
    ASSERT_TRUE(r.capture.AddCollector(r.Scheduled("early", capture::fkSession, "12")));
    r.capture.NewList();
    EXPECT_TRUE(r.capture.Collectors().empty());
    EXPECT_EQ(r.capture.Rows().rowCount(), 0);
    r.capture.LoadCollectors();
    ASSERT_EQ(r.capture.Collectors().size(), 2u);
    EXPECT_EQ(r.capture.Collectors()[0]->def.name, "early");
    EXPECT_EQ(r.capture.Collectors()[0]->def.kind, capture::fkSession);
    EXPECT_EQ(r.capture.Collectors()[1]->def.name, "late");
    EXPECT_EQ(r.capture.Collectors()[1]->def.runTimePeriod, 7200);
    // Loading does not fill the page's list; "&Capture Sql" does.
    EXPECT_EQ(r.capture.Rows().rowCount(), 0);
    r.capture.RebuildRows();
    EXPECT_EQ(r.capture.Rows().rowCount(), 2);
    EXPECT_EQ(r.capture.Rows().Text(0, 1), "Session");
}

TEST_F(Collectors, ModifyRewritesTheRowButKeepsTheCounters) {
    ASSERT_TRUE(r.capture.AddCollector(r.Scheduled("a", capture::fkUser, "A")));
    r.capture.Rows().SetText(0, capture::TSqlCollectorListModel::colSamples, "7");
    r.capture.Collectors()[0]->samples = 7;
    TCollectorDefinition d = r.Scheduled("b", capture::fkOsuser, "oracle");
    d.scheduled = 0;
    ASSERT_TRUE(r.capture.ModifyCollector(0, d));
    EXPECT_EQ(r.capture.Rows().Text(0, 0), "b");
    EXPECT_EQ(r.capture.Rows().Text(0, 1), "Osuser");
    EXPECT_EQ(r.capture.Rows().Text(0, 2), "oracle");
    EXPECT_EQ(r.capture.Rows().Text(0, 3), "N (never samples)");
    EXPECT_EQ(r.capture.Rows().Text(0, 4), "7");
    EXPECT_EQ(r.capture.Collectors()[0]->samples, 7);
    const auto s = stored();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0][1], "b");
    EXPECT_EQ(s[0][3], "2");
    EXPECT_EQ(s[0][5], "0");
}

TEST_F(Collectors, ANameOfAnotherCollectorIsRefusedAndNothingIsStored) {
    // Identifiers count the milliseconds of the day: away from midnight, a later collector gets
    // the greater one, whenever the test runs.
    r.clock = at(2026, 12, 8, 10, 0);
    ASSERT_TRUE(r.capture.AddCollector(r.Scheduled("night", capture::fkUser, "A")));
    r.clock += 0.001;
    ASSERT_TRUE(r.capture.AddCollector(r.Scheduled("day", capture::fkUser, "B")));
    // The same name, also in other case and with blanks around it, is refused on add ...
    EXPECT_FALSE(r.capture.AddCollector(r.Scheduled(" NIGHT ", capture::fkUser, "C")));
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0], "A collector named \" NIGHT \" exists already: choose another name.");
    EXPECT_EQ(stored().size(), 2u);
    EXPECT_EQ(r.capture.Rows().rowCount(), 2);
    // ... and on modify, while a collector keeps its own name.
    EXPECT_FALSE(r.capture.ModifyCollector(1, r.Scheduled("night", capture::fkUser, "B")));
    EXPECT_EQ(r.messages.size(), 2u);
    EXPECT_EQ(stored()[1][1], "day");
    EXPECT_EQ(r.capture.Rows().Text(1, 0), "day");
    EXPECT_TRUE(r.capture.ModifyCollector(1, r.Scheduled("day", capture::fkUser, "Z")));
    EXPECT_EQ(stored()[1][4], "Z");
    EXPECT_EQ(r.capture.OtherNames(0), (std::vector<std::string>{"day"}));
}

TEST(CollectorLogDir, AFolderMustExistAndTakeFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.path().toStdString();
    EXPECT_EQ(capture::LogDirProblem(path), "");
    EXPECT_EQ(capture::LogDirProblem(" "),
              "No log folder is given: choose the folder the SQL log file goes to.");
    EXPECT_EQ(capture::LogDirProblem(path + "/none"),
              "The log folder " + path + "/none does not exist: create it or choose another one.");
    QFile file(dir.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(capture::LogDirProblem(path + "/plain"),
              "The log folder " + path + "/plain is a file, not a folder: choose a folder.");
    // /proc refuses new files even to root, whose permission bits would all pass.
    const std::string proc = capture::LogDirProblem("/proc");
    EXPECT_EQ(proc.rfind("No file can be created in the log folder /proc (", 0), 0u) << proc;
    EXPECT_NE(proc.find("): choose a folder you may write to."), std::string::npos) << proc;
    // The test leaves nothing behind in a folder that passes.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("plain")});
}

TEST(CollectorLogDir, TheOfferedFolderIsUnderHomeAndTheLastOneUsedIsRemembered) {
    const QString offered = QString::fromStdString(capture::DefaultLogDir());
    EXPECT_TRUE(offered.startsWith(QDir::homePath())) << offered.toStdString();
    EXPECT_NE(offered, QCoreApplication::applicationDirPath());
    QTemporaryDir dir;
    capture::RememberLogDir(dir.path().toStdString());
    EXPECT_EQ(capture::DefaultLogDir(), dir.path().toStdString());
    // A remembered folder that is gone is not offered.
    capture::RememberLogDir(dir.path().toStdString() + "/gone");
    EXPECT_EQ(QString::fromStdString(capture::DefaultLogDir()), offered);
}

TEST_F(Collectors, DeleteRemovesRowCollectorAndTableRow) {
    // Identifiers count the milliseconds of the day: away from midnight, a later collector gets
    // the greater one, whenever the test runs.
    r.clock = at(2026, 12, 8, 10, 0);
    ASSERT_TRUE(r.capture.AddCollector(r.Scheduled("a", capture::fkUser, "A")));
    r.clock += 0.001;
    ASSERT_TRUE(r.capture.AddCollector(r.Scheduled("b", capture::fkUser, "B")));
    std::weak_ptr<capture::TSqlCollector> first = r.capture.Collectors()[0];
    ASSERT_TRUE(r.capture.DeleteCollector(0));
    EXPECT_TRUE(first.expired());
    ASSERT_EQ(r.capture.Rows().rowCount(), 1);
    EXPECT_EQ(r.capture.Rows().Text(0, 0), "b");
    ASSERT_EQ(stored().size(), 1u);
    EXPECT_EQ(stored()[0][1], "b");
}

TEST_F(Collectors, FailuresShowTheFixedTexts) {
    // Longer than colname's 20 characters.
    EXPECT_FALSE(r.capture.AddCollector(r.Scheduled("a-name-of-more-than-20", 1, "A")));
    ASSERT_TRUE(r.capture.AddCollector(r.Scheduled("a", capture::fkUser, "A")));
    run(r.Session(), "drop public synonym public_qby_sqlcollector");
    EXPECT_FALSE(r.capture.ModifyCollector(0, r.Scheduled("b", capture::fkUser, "B")));
    EXPECT_EQ(r.messages, (std::vector<std::string>{"Add Sql collector error!",
                                                    "Modify Sql collector error!"}));
    EXPECT_EQ(r.capture.Collectors().size(), 1u);
    EXPECT_EQ(r.capture.Rows().Text(0, 0), "a");
    // A failed delete is not reported, and the collector stays as its row in the table does.
    EXPECT_FALSE(r.capture.DeleteCollector(0));
    EXPECT_EQ(r.messages.size(), 2u);
    EXPECT_EQ(r.capture.Rows().rowCount(), 1);
}

TEST(CollectorLoad, WithoutTheComponentNothingLoadsAndTheFlagStaysCleared) {
    CaptureRig r;
    ASSERT_TRUE(r.Login());
    r.capture.Present = true;
    r.capture.LoadCollectors();
    EXPECT_FALSE(r.capture.Present);
    EXPECT_TRUE(r.capture.Collectors().empty());
}

TEST(CollectorTexts, ConditionsAndFiltersByKind) {
    TCollectorDefinition d;
    d.kind = capture::fkSession;
    d.value = "12";
    d.sessionAddress = "00000000ABCD0012";
    EXPECT_EQ(capture::CaptureCondition(d), " s.saddr='00000000ABCD0012' and s.sid=12");
    EXPECT_EQ(capture::FetchFilter(d),
              " fetchtime>:fetchtime  and saddr='00000000ABCD0012' and sid=12");
    d.value = "12 or 1=1"; // a session id is a number or nothing
    EXPECT_EQ(capture::CaptureCondition(d), "1<>1");
    EXPECT_EQ(capture::FetchFilter(d), "");
    d.kind = capture::fkUser;
    d.value = "scott_é";
    EXPECT_EQ(capture::CaptureCondition(d), " oc.user_name='SCOTT_é'");
    EXPECT_EQ(capture::FetchFilter(d), " fetchtime>:fetchtime  and tot.user_name='SCOTT_é'");
    d.kind = capture::fkClientInfo;
    d.value = "ci";
    EXPECT_EQ(capture::CaptureCondition(d), " s.client_info='ci'");
    EXPECT_EQ(capture::FetchFilter(d), " fetchtime>:fetchtime  and tot.client_info='ci'");
    d.kind = 9;
    EXPECT_EQ(capture::CaptureCondition(d), "1<>1");
    EXPECT_EQ(capture::FetchFilter(d), "");
    EXPECT_EQ(capture::KindCaption(8), "Client Info");
    EXPECT_EQ(capture::KindCaption(9), "");
}

TEST(CollectorTexts, PeriodsShowInTheLargestFittingUnit) {
    auto shown = [](int s) {
        const auto d = capture::PeriodDisplay(s);
        return std::make_pair(d.entry, d.unit);
    };
    EXPECT_EQ(shown(7200), std::make_pair(2, 2));
    EXPECT_EQ(shown(3600), std::make_pair(1, 2));
    EXPECT_EQ(shown(120), std::make_pair(2, 1));
    EXPECT_EQ(shown(45), std::make_pair(45, 0));
    EXPECT_EQ(shown(3540), std::make_pair(59, 1));
    EXPECT_EQ(capture::PeriodSeconds(2, 2), 7200);
    EXPECT_EQ(capture::PeriodSeconds(30, 1), 1800);
}

} // namespace
