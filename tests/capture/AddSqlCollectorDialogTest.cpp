// The collector dialog: its lists from the sandbox, add and modify modes, the checks of "&Ok"
// with their messages, and the definition it hands back.
#include "gui/dialogs/AddSqlCollectorDialog.h"

#include "CaptureSupport.h"
#include "support/WindowRig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

using namespace testing_support;

struct AddDialog : ::testing::Test {
    CaptureRig r;
    capture::TFrmAddSqlcollector dialog;
    void SetUp() override {
        ASSERT_TRUE(r.Login());
        dialog.Now = [this] { return r.clock; };
    }
    // Presses "&Ok" and answers the error box it may show; returns its text (empty: none).
    QString pressOk() {
        ModalDriver driver({});
        driver.Add(driver.Acknowledge());
        dialog.setResult(QDialog::Rejected);
        dialog.okButton->click();
        return driver.messages.empty() ? QString() : driver.messages[0];
    }
    // Presses "&Ok" and answers the question it shows with `answer`; returns the question's
    // text and default button, and saves a picture of it as `picture` when one is named.
    std::pair<QString, QMessageBox::StandardButton>
    pressOkAnswering(QMessageBox::StandardButton answer, const QString& picture = {}) {
        std::pair<QString, QMessageBox::StandardButton> seen{{}, QMessageBox::NoButton};
        ModalDriver driver({ModalDriver::Step([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            seen.first = box->text();
            seen.second = box->standardButton(box->defaultButton());
            if (!picture.isEmpty())
                shot(box, picture);
            box->button(answer)->click();
        })});
        dialog.setResult(QDialog::Rejected);
        dialog.okButton->click();
        EXPECT_TRUE(driver.Done());
        return seen;
    }
    void fillValid() {
        dialog.nameEdit->setText(QStringLiteral("c1"));
        dialog.logDirEdit->setText(QString::fromStdString(r.dir.path().toStdString()));
        dialog.filterKindCombo->setCurrentIndex(capture::fkUser);
        dialog.filterValueCombo->setEditable(true);
        dialog.filterValueCombo->setEditText(QStringLiteral("scott"));
        dialog.scheduleCheck->setChecked(true);
    }
    void period(int runEntry, int runUnit, int sampleEntry, int sampleUnit) {
        dialog.runTimeCombo->setCurrentIndex(runEntry - 1);
        dialog.runTimeUnitCombo->setCurrentIndex(runUnit);
        dialog.samplingCombo->setCurrentIndex(sampleEntry - 1);
        dialog.samplingUnitCombo->setCurrentIndex(sampleUnit);
    }
};

TEST_F(AddDialog, AddModeStartsFromTheServerTimeAndTheDefaults) {
    dialog.PrepareAdd(r.Session());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Sql collector"));
    EXPECT_TRUE(dialog.nameEdit->text().isEmpty());
    EXPECT_TRUE(dialog.logFileNameEdit->text().isEmpty());
    EXPECT_FALSE(dialog.okButton->isEnabled());
    // The folder offered lies under the user's home, never in the program's folder.
    EXPECT_EQ(dialog.logDirEdit->text().toStdString(), capture::DefaultLogDir());
    EXPECT_TRUE(dialog.logDirEdit->text().startsWith(QDir::homePath()));
    EXPECT_NE(dialog.logDirEdit->text(), QCoreApplication::applicationDirPath());
    EXPECT_EQ(dialog.filterKindCombo->count(), 9);
    EXPECT_EQ(dialog.filterKindCombo->currentText(), QStringLiteral("Session"));
    EXPECT_FALSE(dialog.filterValueCombo->isEditable());
    EXPECT_EQ(dialog.filterValueCombo->currentIndex(), -1);
    const auto sessions = rows(r.Session(), "select sid,username,program from v$session where "
                                            "type <>'BACKGROUND' order by sid");
    ASSERT_EQ(dialog.filterValueCombo->count(), static_cast<int>(sessions.size()));
    EXPECT_EQ(dialog.filterValueCombo->itemText(0).toStdString(),
              sessions[0][0] + "/" + sessions[0][1] + "/" + sessions[0][2]);
    EXPECT_FALSE(dialog.scheduleCheck->isChecked());
    EXPECT_FALSE(dialog.monthEdit->isEnabled());
    EXPECT_FALSE(dialog.samplingUnitCombo->isEnabled());
    EXPECT_EQ(dialog.runTimeCombo->currentText(), QStringLiteral("30"));
    EXPECT_EQ(dialog.runTimeUnitCombo->currentText(), QStringLiteral("Minutes"));
    EXPECT_EQ(dialog.samplingCombo->currentText(), QStringLiteral("5"));
    EXPECT_EQ(dialog.samplingUnitCombo->currentText(), QStringLiteral("Seconds"));
    EXPECT_EQ(dialog.runTimeCombo->count(), 59);
    const util::DateTimeParts server = util::decodeDateTime(dialog.ServerTime());
    EXPECT_EQ(dialog.monthEdit->text().toInt(), server.month);
    EXPECT_EQ(dialog.dayEdit->text().toInt(), server.day);
    EXPECT_EQ(dialog.yearEdit->text().toInt(), server.year);
    EXPECT_EQ(dialog.hourCombo->currentIndex(), server.hour);

    // The name proposes the file name and enables "&Ok"; a typed file name stays.
    dialog.nameEdit->setText(QStringLiteral("night"));
    EXPECT_TRUE(dialog.okButton->isEnabled());
    EXPECT_EQ(dialog.logFileNameEdit->text(), QStringLiteral("night.sql"));
    dialog.logFileNameEdit->setText(QStringLiteral("other.log"));
    EXPECT_EQ(dialog.logFileNameEdit->text(), QStringLiteral("other.log"));
    dialog.scheduleCheck->setChecked(true);
    EXPECT_TRUE(dialog.monthEdit->isEnabled());
    EXPECT_TRUE(dialog.samplingUnitCombo->isEnabled());
    // Changing the kind lists that kind's values, editable.
    dialog.filterKindCombo->setCurrentIndex(capture::fkUser);
    Q_EMIT dialog.filterKindCombo->activated(capture::fkUser);
    EXPECT_TRUE(dialog.filterValueCombo->isEditable());
    EXPECT_EQ(dialog.filterValueCombo->currentIndex(), 0);
    EXPECT_EQ(dialog.filterValueCombo->count(),
              static_cast<int>(rows(r.Session(), "select username from dba_users").size()));
}

TEST_F(AddDialog, OkChecksDateSamplingDirectoryAndValueInOrder) {
    dialog.PrepareAdd(r.Session());
    fillValid();
    dialog.monthEdit->setText(QStringLiteral("x"));
    EXPECT_EQ(pressOk(), QStringLiteral("'x' is not a valid integer value"));
    dialog.monthEdit->setText(QStringLiteral(" 2 "));
    dialog.dayEdit->setText(QStringLiteral("30"));
    dialog.yearEdit->setText(QStringLiteral("2036"));
    EXPECT_EQ(pressOk(), QStringLiteral("Error Date!"));
    dialog.dayEdit->setText(QStringLiteral("28"));
    period(30, 0, 1, 1); // 30 seconds against 1 minute
    EXPECT_EQ(pressOk(), QStringLiteral("Monitor sampling must be less than run time period"));
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    period(1, 1, 59, 0); // 1 minute against 59 seconds
    EXPECT_TRUE(pressOk().isEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    period(5, 1, 5, 1); // equal
    EXPECT_TRUE(pressOk().isEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    dialog.logDirEdit->setText(QString::fromStdString(r.dir.path().toStdString() + "/none"));
    EXPECT_EQ(pressOk().toStdString(),
              "The log folder " + r.dir.path().toStdString() +
                  "/none does not exist: create it or choose another one.");
    dialog.logDirEdit->setText(QString::fromStdString(r.dir.path().toStdString()) +
                               QStringLiteral("  "));
    dialog.filterValueCombo->setEditText(QStringLiteral("   "));
    EXPECT_EQ(pressOk(), QStringLiteral("Please specify a value!"));
    dialog.filterValueCombo->setEditText(QStringLiteral(" scott "));
    EXPECT_TRUE(pressOk().isEmpty());

    const capture::TCollectorDefinition d = dialog.Definition();
    EXPECT_EQ(d.name, "c1");
    EXPECT_EQ(d.logDir, r.dir.path().toStdString());
    EXPECT_EQ(d.logFileName, "c1.sql");
    EXPECT_EQ(d.kind, capture::fkUser);
    EXPECT_EQ(d.value, " scott "); // kept as typed; only the emptiness test trims
    EXPECT_EQ(d.sessionAddress, "0");
    EXPECT_EQ(d.scheduled, 1);
    EXPECT_EQ(d.startDate, util::dayNumber(2036, 2, 28));
    EXPECT_EQ(d.runTimePeriod, 300);
    EXPECT_EQ(d.monitorSampling, 300);
}

TEST_F(AddDialog, UnscheduledDefinitionUsesTodayAndTheFixedPeriods) {
    r.clock = util::encodeDateTime({2004, 6, 15, 23, 59, 0, 0});
    dialog.PrepareAdd(r.Session());
    dialog.nameEdit->setText(QStringLiteral("s"));
    dialog.logDirEdit->setText(QString::fromStdString(r.dir.path().toStdString()));
    dialog.filterValueCombo->setCurrentIndex(1);
    ASSERT_TRUE(pressOk().isEmpty());
    const capture::TCollectorDefinition d = dialog.Definition();
    const auto sessions = rows(r.Session(), "select sid,rawtohex(saddr) from v$session where "
                                            "type <>'BACKGROUND' order by sid");
    EXPECT_EQ(d.kind, capture::fkSession);
    EXPECT_EQ(d.value, sessions[1][0]);
    EXPECT_EQ(d.sessionAddress, sessions[1][1]);
    EXPECT_EQ(d.scheduled, 0);
    EXPECT_EQ(d.startDate, 731747);
    EXPECT_EQ(d.runTimePeriod, 1800);
    EXPECT_EQ(d.monitorSampling, 5);
    ASSERT_TRUE(r.Install());
    ASSERT_TRUE(r.capture.AddCollector(d));
    EXPECT_EQ(rows(r.Session(), "select isschedule,scheduledate,rtp,monitors,colsaddr from "
                                "public_qby_sqlcollector")[0],
              (std::vector<std::string>{"0", "731747", "1800", "5", sessions[1][1]}));
}

TEST_F(AddDialog, ModifyModeShowsStoredPeriodsInTheirUnits) {
    capture::TSqlCollector c;
    c.def.name = "m";
    c.def.logFileName = "kept.log";
    c.def.logDir = "/var/tmp";
    c.def.kind = capture::fkProgram;
    c.def.value = "not-in-the-list.exe";
    c.def.scheduled = 1;
    c.def.startDate = util::dayNumber(2004, 6, 15);
    c.def.startHour = 7;
    c.def.startMinute = 45;
    const std::pair<int, std::pair<QString, QString>> cases[] = {
        {7200, {QStringLiteral("2"), QStringLiteral("Hours")}},
        {3600, {QStringLiteral("1"), QStringLiteral("Hours")}},
        {120, {QStringLiteral("2"), QStringLiteral("Minutes")}},
        {45, {QStringLiteral("45"), QStringLiteral("Seconds")}}};
    for (const auto& [seconds, shown] : cases) {
        c.def.runTimePeriod = seconds;
        c.def.monitorSampling = seconds;
        dialog.PrepareModify(r.Session(), c);
        EXPECT_EQ(dialog.runTimeCombo->currentText(), shown.first) << seconds;
        EXPECT_EQ(dialog.runTimeUnitCombo->currentText(), shown.second) << seconds;
        EXPECT_EQ(dialog.samplingCombo->currentText(), shown.first) << seconds;
        EXPECT_EQ(dialog.samplingUnitCombo->currentText(), shown.second) << seconds;
    }
    EXPECT_EQ(dialog.nameEdit->text(), QStringLiteral("m"));
    EXPECT_EQ(dialog.logFileNameEdit->text(), QStringLiteral("kept.log"));
    EXPECT_EQ(dialog.logDirEdit->text(), QStringLiteral("/var/tmp"));
    EXPECT_TRUE(dialog.okButton->isEnabled());
    EXPECT_EQ(dialog.monthEdit->text(), QStringLiteral("6"));
    EXPECT_EQ(dialog.dayEdit->text(), QStringLiteral("15"));
    EXPECT_EQ(dialog.yearEdit->text(), QStringLiteral("2004"));
    EXPECT_EQ(dialog.hourCombo->currentText(), QStringLiteral("7"));
    EXPECT_EQ(dialog.minuteCombo->currentText(), QStringLiteral("45"));
    EXPECT_TRUE(dialog.filterValueCombo->isEditable());
    EXPECT_EQ(dialog.filterValueCombo->currentText(), QStringLiteral("not-in-the-list.exe"));
}

TEST_F(AddDialog, ASessionCollectorWhoseSessionEndedReopensEmpty) {
    capture::TSqlCollector c;
    c.def.name = "gone";
    c.def.logDir = r.dir.path().toStdString();
    c.def.kind = capture::fkSession;
    c.def.value = "99999";
    c.def.startDate = util::dayNumber(2026, 1, 1);
    dialog.PrepareModify(r.Session(), c);
    EXPECT_FALSE(dialog.filterValueCombo->isEditable());
    EXPECT_EQ(dialog.filterValueCombo->currentIndex(), -1);
    EXPECT_EQ(pressOk(), QStringLiteral("Please specify a value!"));
    const auto sessions = rows(r.Session(), "select sid from v$session where type <>'BACKGROUND' "
                                            "order by sid");
    c.def.value = sessions[2][0];
    dialog.PrepareModify(r.Session(), c);
    EXPECT_EQ(dialog.filterValueCombo->currentIndex(), 2);
}

TEST_F(AddDialog, ANameOfAnotherCollectorIsRefusedWithTheClashNamed) {
    dialog.PrepareAdd(r.Session());
    dialog.TakenNames = {"night", "day"};
    fillValid();
    dialog.nameEdit->setText(QStringLiteral(" Night "));
    EXPECT_EQ(pressOk(), QStringLiteral("A collector named \"Night\" exists already: choose "
                                        "another name."));
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    dialog.nameEdit->setText(QStringLiteral("evening"));
    EXPECT_TRUE(pressOk().isEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(AddDialog, AStartInThePastIsWarnedAndTheUserMayGoOnOrCorrectIt) {
    r.clock = util::encodeDateTime({2030, 6, 15, 12, 0, 30, 0});
    dialog.PrepareAdd(r.Session());
    fillValid();
    dialog.monthEdit->setText(QStringLiteral("6"));
    dialog.dayEdit->setText(QStringLiteral("15"));
    dialog.yearEdit->setText(QStringLiteral("2030"));
    dialog.hourCombo->setCurrentIndex(11);
    dialog.minuteCombo->setCurrentIndex(59);
    // "No" (the default) leaves the dialog open to correct the start.
    const auto [text, defaultButton] =
        pressOkAnswering(QMessageBox::No, QStringLiteral("collector-past-start"));
    EXPECT_TRUE(text.startsWith(QStringLiteral("The start time 6/15/2030 11:59")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("it is now 6/15/2030 12:00"))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("Keep this start time?"))) << text.toStdString();
    EXPECT_EQ(defaultButton, QMessageBox::No);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    // "Yes" keeps it.
    EXPECT_FALSE(pressOkAnswering(QMessageBox::Yes).first.isEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Definition().startHour, 11);
    // The current minute and later pass without a question; an unscheduled collector too.
    dialog.hourCombo->setCurrentIndex(12);
    dialog.minuteCombo->setCurrentIndex(0);
    EXPECT_TRUE(pressOk().isEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    dialog.yearEdit->setText(QStringLiteral("2029"));
    dialog.scheduleCheck->setChecked(false);
    EXPECT_TRUE(pressOk().isEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(AddDialog, AFolderThatTakesNoFilesIsRefusedWithFolderAndCause) {
    dialog.PrepareAdd(r.Session());
    fillValid();
    dialog.logDirEdit->setText(QStringLiteral("/proc"));
    ModalDriver driver({ModalDriver::Step([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        driver.messages.push_back(box->text());
        shot(box, QStringLiteral("collector-logdir-refused"));
        box->accept();
    })});
    dialog.setResult(QDialog::Rejected);
    dialog.okButton->click();
    ASSERT_EQ(driver.messages.size(), 1u);
    EXPECT_TRUE(driver.messages[0].startsWith(
        QStringLiteral("No file can be created in the log folder /proc (")))
        << driver.messages[0].toStdString();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(AddDialog, TheLastFolderUsedIsOfferedNextTime) {
    dialog.PrepareAdd(r.Session());
    fillValid();
    QTemporaryDir used;
    dialog.logDirEdit->setText(used.path());
    ASSERT_TRUE(pressOk().isEmpty());
    capture::TFrmAddSqlcollector next;
    next.PrepareAdd(r.Session());
    EXPECT_EQ(next.logDirEdit->text(), used.path());
}

} // namespace
