#include "monitor/SessionRecords.h"

#include <gtest/gtest.h>

namespace {

using namespace monitor;

TEST(NameValueList, LooksUpTheFirstMatchIgnoringCase) {
    TNameValueList list;
    list.Add("session logical reads", "9");
    list.Add("Session Logical Reads", "12");
    list.Add("SQL", "64");
    EXPECT_EQ(list.Value("SESSION LOGICAL READS"), "9");
    EXPECT_EQ(list.Value("sql"), "64");
    EXPECT_EQ(list.Value("missing"), "");
    EXPECT_EQ(list.IndexOfName("missing"), -1);
    EXPECT_EQ(list.Name(2), "SQL");
    EXPECT_EQ(list.Line(0), "session logical reads=9");
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(NameValueList, AValueMayHoldEqualsSignsAndANameMayBeAPrefixOfAnother) {
    TNameValueList list;
    list.Add("User", "1");
    list.Add("Users", "a=b");
    EXPECT_EQ(list.Value("Users"), "a=b");
    EXPECT_EQ(list.Value("User"), "1");
    EXPECT_EQ(list.Value("Use"), "");
}

TEST(Records, CopiesAreIndependentValues) {
    TRSession original;
    original.Key() = "12";
    original.basic.fields.Set(bfSid, "12");
    original.Locks().groups.push_back({TLocksFieldType{"SCOTT"}});
    original.Sql().cursors.push_back({"select * ", "from emp"});
    TRSession copy = original;
    original.Locks().groups[0][0][lfUsername] = "0";
    original.Sql().cursors[0].push_back("where 1=1");
    EXPECT_EQ(copy.Locks().groups[0][0][lfUsername], "SCOTT");
    EXPECT_EQ(copy.Sql().cursors[0].size(), 2u);
}

TEST(Records, SessionListTableShowsTenFixedColumnsAndSerialAsAnOptionalOne) {
    int shown = 0;
    for (const auto& f : kSessionListFields)
        shown += f.shown;
    EXPECT_EQ(shown, 9); // the sort column makes the tenth; Serial# is an optional column
    EXPECT_FALSE(kSessionListFields[bfSerial].shown);
    EXPECT_GT(kSessionListFields[bfSerial].width, 0);
    EXPECT_EQ(kSessionListFields[bfRowWaitObj].name, "row_wait_obj#");
    int bits = 0;
    for (const auto& c : kStatisticClasses)
        bits |= c.code;
    EXPECT_EQ(bits, 255);
}

} // namespace
