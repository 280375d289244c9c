// The server-side component: install and uninstall on a sandbox, their statements and the
// presence flag, and the setup dialog as a user drives it.
#include "CaptureSupport.h"
#include "gui/dialogs/ServerComponentDialog.h"

#include <QComboBox>
#include <QPushButton>

namespace {

using namespace testing_support;

bool objectUsable(oradb::TOraSession* s, const std::string& name) {
    try {
        rows(s, "select * from " + name);
        return true;
    } catch (const oradb::EOraError&) {
        return false;
    }
}

TEST(ServerComponent, InstallTwiceReplacesBothTablesWithEmptyOnes) {
    CaptureRig r;
    ASSERT_TRUE(r.Login());
    EXPECT_FALSE(r.capture.Present) << "nothing is installed in a new sandbox";
    ASSERT_TRUE(r.Install());
    EXPECT_TRUE(r.capture.Present);
    run(r.Session(), "insert into public_qby_sqlcollector(colid,colname) values(1,'a')");
    ASSERT_EQ(rows(r.Session(), "select colid from public_qby_sqlcollector").size(), 1u);
    ASSERT_TRUE(r.Install());
    EXPECT_TRUE(r.capture.Present);
    EXPECT_TRUE(rows(r.Session(), "select colid from public_qby_sqlcollector").empty());
    EXPECT_TRUE(rows(r.Session(), "select * from public_qby_capturesql").empty());
    // The constraint exists: a second equal capture row is refused with ORA-00001.
    run(r.Session(), "insert into public_qby_capturesql(saddr,sid,address,hash_value) "
                     "values('AB',1,'CD','7')");
    try {
        run(r.Session(), "insert into public_qby_capturesql(saddr,sid,address,hash_value) "
                         "values('AB',1,'CD','7')");
        FAIL() << "op_uniq123 did not refuse a duplicate";
    } catch (const oradb::EOraError& e) {
        EXPECT_EQ(e.ErrorCode(), 1);
    }
}

TEST(ServerComponent, UninstallSucceedsWithNothingPresentAndClearsTheFlag) {
    CaptureRig r;
    ASSERT_TRUE(r.Login());
    capture::TServerComponent component;
    bool present = true;
    component.Uninstall(r.Session(), present); // nothing exists: every drop fails quietly
    EXPECT_FALSE(present);
    ASSERT_TRUE(r.Install());
    component.Uninstall(r.Session(), r.capture.Present);
    EXPECT_FALSE(r.capture.Present);
    for (const char* name : {"public_qby_capturesql", "public_qby_sqlcollector",
                             "system.qby_capturesql", "system.qby_sqlcollector"})
        EXPECT_FALSE(objectUsable(r.Session(), name)) << name;
}

TEST(ServerComponent, FailingThirdCreateLeavesTheFirstObjectsAndTheFlagCleared) {
    CaptureRig r;
    ASSERT_TRUE(r.Login());
    oradb::sandbox::Fault fault;
    fault.fragment = "create table system.qby_sqlcollector";
    fault.failAfterRows = 0;
    fault.code = 1031;
    fault.text = "insufficient privileges";
    r.instance->addFault(fault);
    capture::TServerComponent component;
    std::vector<std::string> shown;
    component.ShowError = [&](const std::string& t) { shown.push_back(t); };
    r.capture.Present = true;
    EXPECT_FALSE(component.Install(r.Session(), "", r.capture.Present));
    r.instance->clearFaults();
    EXPECT_FALSE(r.capture.Present);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "ORA-01031: insufficient privileges");
    EXPECT_TRUE(objectUsable(r.Session(), "public_qby_capturesql"));
    EXPECT_FALSE(objectUsable(r.Session(), "system.qby_sqlcollector"));
    EXPECT_FALSE(objectUsable(r.Session(), "public_qby_sqlcollector"));
    // A login probes the capture table only, so the component counts as present again.
    r.capture.LoadCollectors();
    EXPECT_TRUE(r.capture.Present);
    EXPECT_TRUE(r.capture.Collectors().empty());
}

TEST(ServerComponent, StatementsCarryTheStorageClause) {
    EXPECT_EQ(capture::StorageClause(""), "system NOLOGGING storage (pctincrease 0)");
    const auto creates = capture::CreateStatements(capture::StorageClause("USERS"));
    ASSERT_EQ(creates.size(), 4u);
    const std::string suffix = ") tablespace USERS NOLOGGING storage (pctincrease 0)";
    EXPECT_EQ(creates[0].substr(creates[0].size() - suffix.size()), suffix);
    EXPECT_EQ(creates[2].substr(creates[2].size() - suffix.size()), suffix);
    EXPECT_NE(creates[2].find("(colid  number,colname varchar2(20),coldesc  varchar2(50),"),
              std::string::npos);
}

TEST(ServerComponent, DialogListsTablespacesInstallsAndUninstalls) {
    CaptureRig r;
    ASSERT_TRUE(r.Login());
    capture::TFrmServersidesetup dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Setup Server side Component"));
    ModalDriver driver({[](QWidget* w) {
        auto* d = qobject_cast<capture::TFrmServersidesetup*>(w);
        ASSERT_NE(d, nullptr);
        d->installButton->click();
    }});
    driver.Add(driver.Acknowledge());
    driver.Add([](QWidget* w) {
        auto* d = qobject_cast<capture::TFrmServersidesetup*>(w);
        ASSERT_NE(d, nullptr);
        d->uninstallButton->click();
    });
    driver.Add(driver.Acknowledge());
    driver.Add([](QWidget* w) {
        auto* d = qobject_cast<capture::TFrmServersidesetup*>(w);
        ASSERT_NE(d, nullptr);
        d->exitButton->click();
    });
    EXPECT_EQ(dialog.Execute(r.Session(), r.capture.Present), QDialog::Rejected);
    ASSERT_TRUE(driver.Done());
    ASSERT_EQ(driver.messages.size(), 2u);
    EXPECT_EQ(driver.messages[0], QStringLiteral("Successfully create Server side component"));
    EXPECT_EQ(driver.messages[1], QStringLiteral("Successfully Delete Server side component"));
    EXPECT_FALSE(r.capture.Present);
    const auto tablespaces = rows(r.Session(), "select tablespace_name from dba_tablespaces");
    ASSERT_EQ(dialog.tablespaceCombo->count(), static_cast<int>(tablespaces.size()));
    for (std::size_t i = 0; i < tablespaces.size(); ++i)
        EXPECT_EQ(dialog.tablespaceCombo->itemText(static_cast<int>(i)).toStdString(),
                  tablespaces[i][0]);
}

TEST(ServerComponent, DialogReportsAFailedInstallWithBothBoxes) {
    CaptureRig r;
    ASSERT_TRUE(r.Login());
    oradb::sandbox::Fault fault;
    fault.fragment = "create public synonym public_qby_capturesql";
    fault.failAfterRows = 0;
    fault.code = 1031;
    fault.text = "insufficient privileges";
    r.instance->addFault(fault);
    capture::TFrmServersidesetup dialog;
    ModalDriver driver({[](QWidget* w) {
        auto* d = qobject_cast<capture::TFrmServersidesetup*>(w);
        ASSERT_NE(d, nullptr);
        d->installButton->click();
    }});
    driver.Add(driver.Acknowledge());
    driver.Add(driver.Acknowledge());
    driver.Add([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    dialog.Execute(r.Session(), r.capture.Present);
    r.instance->clearFaults();
    ASSERT_EQ(driver.messages.size(), 2u);
    EXPECT_EQ(driver.messages[0], QStringLiteral("ORA-01031: insufficient privileges"));
    EXPECT_EQ(driver.messages[1], QStringLiteral("Failed to create Server side component\n"
                                                 "please login as system and create it again"));
    EXPECT_FALSE(r.capture.Present);
}

} // namespace
