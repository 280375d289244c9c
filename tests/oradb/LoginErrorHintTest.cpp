// The hints the login dialog shows under logon errors, and Oracle 23's help line split from the
// message.
#include "oradb/LoginErrorHint.h"

#include <gtest/gtest.h>

namespace {

TEST(LoginErrorHint, NamesWhatToCheckForTheLogonErrorsOfADba) {
    EXPECT_EQ(oradb::loginErrorHint(12154),
              "Check the connect identifier: a tnsnames.ora alias (TNS_ADMIN) or "
              "host:port/service.");
    EXPECT_NE(oradb::loginErrorHint(12514).find("lsnrctl status"), std::string::npos);
    EXPECT_NE(oradb::loginErrorHint(12541).find("No listener"), std::string::npos);
    EXPECT_NE(oradb::loginErrorHint(28000).find("Ask a DBA to unlock"), std::string::npos);
    EXPECT_NE(oradb::loginErrorHint(28001).find("Change the expired password"), std::string::npos);
    EXPECT_NE(oradb::loginErrorHint(28009).find("SYSDBA"), std::string::npos);
    // One line each, and none for the errors that explain themselves.
    for (int code : {12154, 12514, 12541, 28000, 28001, 28009})
        EXPECT_EQ(oradb::loginErrorHint(code).find('\n'), std::string::npos) << code;
    EXPECT_EQ(oradb::loginErrorHint(1017), "");
    EXPECT_EQ(oradb::loginErrorHint(0), "");
}

TEST(LoginErrorHint, SplitsOracle23sHelpLineFromTheMessage) {
    const auto help = oradb::splitHelpLink(
        "ORA-12514: Cannot connect to database. Service X is not registered with the listener "
        "at host h port 1521.\nHelp: https://docs.oracle.com/error-help/db/ora-12514/\n");
    EXPECT_EQ(help.message, "ORA-12514: Cannot connect to database. Service X is not registered "
                            "with the listener at host h port 1521.");
    EXPECT_EQ(help.helpUrl, "https://docs.oracle.com/error-help/db/ora-12514/");

    // A message of several lines keeps them all but the help line.
    const auto two = oradb::splitHelpLink(
        "ORA-00604: error occurred at recursive SQL level 1\nORA-01013: user requested cancel\n"
        "Help: https://docs.oracle.com/error-help/db/ora-00604/");
    EXPECT_EQ(
        two.message,
        "ORA-00604: error occurred at recursive SQL level 1\nORA-01013: user requested cancel");
    EXPECT_EQ(two.helpUrl, "https://docs.oracle.com/error-help/db/ora-00604/");
}

TEST(LoginErrorHint, LeavesMessagesWithoutAHelpLineAsTheyAre) {
    for (const std::string m : {"ORA-01017: invalid username/password; logon denied", "",
                                "ORA-20001: Help: https://example.com/ in the text",
                                "x\nHelp: not a link", "x\nHelp: https://a b/"}) {
        const auto help = oradb::splitHelpLink(m);
        EXPECT_EQ(help.message, m);
        EXPECT_EQ(help.helpUrl, "");
    }
}

} // namespace
