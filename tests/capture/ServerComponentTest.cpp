// The server-side component: install and uninstall on a sandbox, their statements and the
// presence flag, and the setup dialog as a user drives it.
#include "CaptureSupport.h"
#include "gui/dialogs/ServerComponentDialog.h"
#include "support/WindowRig.h"

#include <QComboBox>
#include <QMessageBox>
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

TEST(ServerComponent, TheTablespacesOfferedAreThePermanentOnesAndTempIsRefused) {
    CaptureRig r;
    ASSERT_TRUE(r.Login());
    const auto permanent =
        rows(r.Session(), "select tablespace_name from dba_tablespaces where contents='PERMANENT'");
    const auto all = rows(r.Session(), "select tablespace_name from dba_tablespaces");
    ASSERT_FALSE(permanent.empty());
    ASSERT_GT(all.size(), permanent.size()) << "the sandbox has temporary and undo tablespaces";
    const std::vector<std::string> offered = capture::ListTablespaces(r.Session());
    ASSERT_EQ(offered.size(), permanent.size());
    for (std::size_t i = 0; i < offered.size(); ++i)
        EXPECT_EQ(offered[i], permanent[i][0]);
    for (const char* name : {"TEMP", "UNDOTBS1"})
        EXPECT_EQ(std::find(offered.begin(), offered.end(), name), offered.end()) << name;

    capture::TServerComponent component;
    std::vector<std::string> shown;
    component.ShowError = [&](const std::string& t) { shown.push_back(t); };
    EXPECT_FALSE(component.Install(r.Session(), "TEMP", r.capture.Present));
    EXPECT_FALSE(r.capture.Present);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "TEMP is not a permanent tablespace: the capture tables need one that "
                        "keeps tables, such as USERS.");
    EXPECT_FALSE(objectUsable(r.Session(), "system.qby_capturesql")) << "nothing was created";
    EXPECT_TRUE(component.Install(r.Session(), "USERS", r.capture.Present));
    EXPECT_TRUE(r.capture.Present);
}

TEST(ServerComponent, TheInventoryNamesTablesSynonymsCollectorsAndCapturedRows) {
    CaptureRig r;
    ASSERT_TRUE(r.Login());
    EXPECT_FALSE(capture::ComponentInventory(r.Session()).Installed());
    ASSERT_TRUE(r.Install());
    run(r.Session(), "insert into public_qby_sqlcollector(colid,colname) values(1,'a')");
    run(r.Session(), "insert into public_qby_sqlcollector(colid,colname) values(2,'b')");
    run(r.Session(), "insert into public_qby_capturesql(saddr,sid,address,hash_value) "
                     "values('AB',1,'CD','7')");
    const capture::TComponentInventory inventory = capture::ComponentInventory(r.Session());
    EXPECT_TRUE(inventory.Installed());
    EXPECT_EQ(inventory.tables,
              (std::vector<std::string>{"SYSTEM.QBY_CAPTURESQL", "SYSTEM.QBY_SQLCOLLECTOR"}));
    EXPECT_EQ(inventory.synonyms,
              (std::vector<std::string>{"PUBLIC_QBY_CAPTURESQL", "PUBLIC_QBY_SQLCOLLECTOR"}));
    EXPECT_EQ(inventory.collectors, 2);
    EXPECT_EQ(inventory.capturedRows, 1);
    EXPECT_EQ(capture::UninstallQuestion(inventory),
              "Remove the server component of the SQL capture?\n\nThese will be dropped:\n"
              "- tables: SYSTEM.QBY_CAPTURESQL, SYSTEM.QBY_SQLCOLLECTOR\n"
              "- public synonyms: PUBLIC_QBY_CAPTURESQL, PUBLIC_QBY_SQLCOLLECTOR\n"
              "- 2 collectors and 1 captured row\n\nThis cannot be undone.");
    capture::TServerComponent component;
    component.Uninstall(r.Session(), r.capture.Present);
    EXPECT_FALSE(capture::ComponentInventory(r.Session()).Installed());
}

TEST(ServerComponent, DialogListsTablespacesInstallsAndUninstallsOnlyAfterYes) {
    CaptureRig r;
    ASSERT_TRUE(r.Login());
    capture::TFrmServersidesetup dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Setup Server side Component"));
    auto click = [](QPushButton* capture::TFrmServersidesetup::*button) {
        return [button](QWidget* w) {
            auto* d = qobject_cast<capture::TFrmServersidesetup*>(w);
            ASSERT_NE(d, nullptr);
            (d->*button)->click();
        };
    };
    std::vector<QString> questions;
    auto answer = [&questions](QMessageBox::StandardButton button, bool picture) {
        return [&questions, button, picture](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->objectName(), QStringLiteral("uninstallConfirmation"));
            EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No)) << "No is the default";
            questions.push_back(box->text());
            if (picture)
                shot(box, QStringLiteral("confirm-uninstall"));
            box->button(button)->click();
        };
    };
    bool tablesAfterNo = false;
    ModalDriver driver({click(&capture::TFrmServersidesetup::installButton)});
    driver.Add(driver.Acknowledge());
    driver.Add([&](QWidget* w) {
        // A collector, so that the question counts one.
        run(r.Session(), "insert into public_qby_sqlcollector(colid,colname) values(1,'a')");
        click (&capture::TFrmServersidesetup::uninstallButton)(w);
    });
    driver.Add(answer(QMessageBox::No, true));
    driver.Add([&](QWidget* w) {
        tablesAfterNo = objectUsable(r.Session(), "public_qby_capturesql") &&
                        objectUsable(r.Session(), "public_qby_sqlcollector");
        click (&capture::TFrmServersidesetup::uninstallButton)(w);
    });
    driver.Add(answer(QMessageBox::Yes, false));
    driver.Add(driver.Acknowledge());
    driver.Add(click(&capture::TFrmServersidesetup::uninstallButton));
    driver.Add(driver.Acknowledge());
    driver.Add(click(&capture::TFrmServersidesetup::exitButton));
    EXPECT_EQ(dialog.Execute(r.Session(), r.capture.Present), QDialog::Rejected);
    ASSERT_TRUE(driver.Done());
    EXPECT_TRUE(tablesAfterNo) << "No dropped nothing";
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_TRUE(questions[0].contains(QStringLiteral("SYSTEM.QBY_CAPTURESQL")));
    EXPECT_TRUE(questions[0].contains(QStringLiteral("PUBLIC_QBY_SQLCOLLECTOR")));
    EXPECT_TRUE(questions[0].contains(QStringLiteral("1 collector and 0 captured rows")));
    ASSERT_EQ(driver.messages.size(), 3u);
    EXPECT_EQ(driver.messages[0], QStringLiteral("Successfully create Server side component"));
    EXPECT_EQ(driver.messages[1], QStringLiteral("The server component was removed."));
    EXPECT_EQ(driver.messages[2],
              QStringLiteral("The server component is not installed: there is nothing to remove."));
    EXPECT_FALSE(r.capture.Present);
    for (const char* name : {"public_qby_capturesql", "system.qby_sqlcollector"})
        EXPECT_FALSE(objectUsable(r.Session(), name)) << name;
    const auto tablespaces =
        rows(r.Session(), "select tablespace_name from dba_tablespaces where contents='PERMANENT'");
    ASSERT_EQ(dialog.tablespaceCombo->count(), static_cast<int>(tablespaces.size()));
    for (std::size_t i = 0; i < tablespaces.size(); ++i)
        EXPECT_EQ(dialog.tablespaceCombo->itemText(static_cast<int>(i)).toStdString(),
                  tablespaces[i][0]);
    EXPECT_EQ(dialog.tablespaceCombo->findText(QStringLiteral("TEMP")), -1);
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
