#include "monitor/SessionRecords.h"

#include "util/DateTimeText.h"

#include <gtest/gtest.h>
#include <utility>

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
    original.basic.fields.Set(bfSid, "12");
    // The detail records are made when first written; reading them before gives empty ones.
    EXPECT_FALSE(original.HasParts());
    EXPECT_TRUE(std::as_const(original).Locks().groups.empty());
    EXPECT_FALSE(original.HasParts());
    original.Locks().groups.push_back({TLocksFieldType{"SCOTT"}});
    original.Sql().cursors.push_back({"select * ", "from emp"});
    TRSession copy = original;
    original.Locks().groups[0][0][lfUsername] = "0";
    original.Sql().cursors[0].push_back("where 1=1");
    EXPECT_EQ(copy.Locks().groups[0][0][lfUsername], "SCOTT");
    EXPECT_EQ(copy.Sql().cursors[0].size(), 2u);
    EXPECT_EQ(copy.Key(), "12");
    // Made on first use, they read as older than any list: a detail page reads them again.
    TRSession fresh;
    EXPECT_LT(fresh.Statistics().fetchTime, util::now() - 1.0);
    EXPECT_EQ(fresh.Statistics().fetchGeneration, 0u);
}

// The fields assigned from their texts written back to back, as the list worker writes a row.
TBasicFields joinedFields(const TBasicFieldArray& texts) {
    std::string joined;
    std::array<std::size_t, bfCount> ends{};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        joined += texts[i];
        ends[i] = joined.size();
    }
    TBasicFields fields;
    fields.Assign(joined, ends);
    return fields;
}

TEST(Records, FieldsChangeOneAtATimeAndTheOthersKeepTheirTexts) {
    TBasicFieldArray texts;
    texts[bfSid] = "12";
    texts[bfMachine] = "CORP\\PC-ÅSA";
    texts[bfProgram] = "sqlplus@db1 (TNS V1-V3)";
    texts[bfSortField] = "4996308";
    TBasicFields fields = TBasicFields::FromArray(texts);
    EXPECT_EQ(fields.ToArray(), texts);
    const auto change = [&](int field, const std::string& text) {
        fields.Set(static_cast<std::size_t>(field), text);
        texts[static_cast<std::size_t>(field)] = text;
        EXPECT_EQ(fields.ToArray(), texts) << field;
    };
    change(bfUsername, "SCOTT");           // an empty field in the middle grows
    change(bfProgram, "");                 // one shrinks to nothing
    change(bfSid, "1234567");              // the first
    change(bfSortField, "12345678901234"); // the last
    change(bfMachine, "db01");
    // Written back to back with where each ends, as the list worker writes a row.
    EXPECT_EQ(joinedFields(texts).ToArray(), texts);
}

TEST(Records, ARowOfMoreThan64KiBOfTextIsCutAtTheEndNotMixedUp) {
    TBasicFieldArray texts;
    texts[bfSid] = "7";
    texts[bfClientInfo] = std::string(40000, 'a');
    texts[bfModule] = std::string(40000, 'b');
    texts[bfSortField] = "99";
    const TBasicFields fields = TBasicFields::FromArray(texts);
    EXPECT_EQ(fields[bfSid], "7");
    EXPECT_EQ(fields[bfClientInfo], texts[bfClientInfo]);
    // The module gets what room is left; the fields after it get none.
    EXPECT_EQ(fields[bfModule], std::string(65535 - 40001, 'b'));
    EXPECT_EQ(fields[bfSortField], "");
    EXPECT_EQ(joinedFields(texts).ToArray(), fields.ToArray());
    // Growing a field of a full row cuts the new text to the room its old text leaves, not
    // its neighbours.
    TBasicFields full = fields;
    full.Set(bfSid, "123456");
    EXPECT_EQ(full[bfSid], "1");
    EXPECT_EQ(full[bfClientInfo], texts[bfClientInfo]);
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
