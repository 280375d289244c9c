#include "gui/dialogs/AddSqlCollectorDialog.h"

#include "oradb/OraQuery.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

namespace capture {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

QComboBox* pickList(QWidget* parent, const char* name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setEditable(false);
    return c;
}

QLineEdit* edit(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

void numbers(QComboBox* c, int from, int to) {
    for (int i = from; i <= to; ++i)
        c->addItem(QString::number(i));
}

void units(QComboBox* c) {
    c->addItems({QStringLiteral("Seconds"), QStringLiteral("Minutes"), QStringLiteral("Hours")});
}

} // namespace

TFrmAddSqlcollector::TFrmAddSqlcollector(QWidget* parent)
    : QDialog(parent), Now([] { return util::now(); }) {
    setObjectName(QStringLiteral("FrmAddSqlcollector"));
    setWindowTitle(QStringLiteral("Sql collector"));
    auto* grid = new QGridLayout(this);
    int row = 0;
    auto label = [&](const char* text, int r, int c = 0) {
        grid->addWidget(new QLabel(QString::fromLatin1(text), this), r, c);
    };
    nameEdit = edit(this, "nameEdit");
    logFileNameEdit = edit(this, "logFileNameEdit");
    logDirEdit = edit(this, "logDirEdit");
    browseButton = new QPushButton(QStringLiteral("&Browse"), this);
    browseButton->setObjectName(QStringLiteral("browseButton"));
    filterKindCombo = pickList(this, "filterKindCombo");
    for (int k = 0; k < fkCount; ++k)
        filterKindCombo->addItem(qs(KindCaption(k)));
    filterValueCombo = pickList(this, "filterValueCombo");
    scheduleCheck = new QCheckBox(QStringLiteral("Schedule"), this);
    scheduleCheck->setObjectName(QStringLiteral("scheduleCheck"));
    monthEdit = edit(this, "monthEdit");
    dayEdit = edit(this, "dayEdit");
    yearEdit = edit(this, "yearEdit");
    hourCombo = pickList(this, "hourCombo");
    minuteCombo = pickList(this, "minuteCombo");
    runTimeCombo = pickList(this, "runTimeCombo");
    runTimeUnitCombo = pickList(this, "runTimeUnitCombo");
    samplingCombo = pickList(this, "samplingCombo");
    samplingUnitCombo = pickList(this, "samplingUnitCombo");
    okButton = new QPushButton(QStringLiteral("&Ok"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    cancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));

    label("Name", row);
    grid->addWidget(nameEdit, row++, 1, 1, 3);
    label("SQL Log file name", row);
    grid->addWidget(logFileNameEdit, row++, 1, 1, 3);
    label("Log dir", row);
    grid->addWidget(logDirEdit, row, 1, 1, 2);
    grid->addWidget(browseButton, row++, 3);
    label("Filter", row);
    grid->addWidget(filterKindCombo, row++, 1, 1, 3);
    label("Value", row);
    grid->addWidget(filterValueCombo, row++, 1, 1, 3);
    grid->addWidget(scheduleCheck, row++, 0, 1, 4);
    label("Start time:", row);
    label("Date(month/day/year)", row++, 1);
    auto* date = new QHBoxLayout;
    for (QLineEdit* e : {monthEdit, dayEdit, yearEdit}) {
        e->setMaximumWidth(60);
        date->addWidget(e);
    }
    grid->addLayout(date, row++, 1, 1, 3);
    label("Hour", row);
    grid->addWidget(hourCombo, row, 1);
    label("Minute(s)", row, 2);
    grid->addWidget(minuteCombo, row++, 3);
    label("Run time period", row);
    grid->addWidget(runTimeCombo, row, 1);
    grid->addWidget(runTimeUnitCombo, row++, 2);
    label("Monitor sampling", row);
    grid->addWidget(samplingCombo, row, 1);
    grid->addWidget(samplingUnitCombo, row++, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    grid->addLayout(buttons, row, 0, 1, 4);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    okButton->setAutoDefault(false);
    cancelButton->setAutoDefault(false);
    browseButton->setAutoDefault(false);

    connect(nameEdit, &QLineEdit::textChanged, this, [this](const QString& name) {
        okButton->setEnabled(!name.isEmpty());
        logFileNameEdit->setText(name + QStringLiteral(".sql"));
    });
    connect(filterKindCombo, &QComboBox::activated, this, [this](int kind) { KindChanged(kind); });
    connect(scheduleCheck, &QCheckBox::toggled, this, [this] { ScheduleChanged(); });
    connect(okButton, &QPushButton::clicked, this, [this] { onOkClicked(); });
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(browseButton, &QPushButton::clicked, this, [this] {
        const QString shown = logDirEdit->text().trimmed();
        const QString dir = QFileDialog::getExistingDirectory(
            this, QString(),
            QFileInfo(shown).isDir() ? shown : QString::fromStdString(DefaultLogDir()));
        if (!dir.isEmpty())
            logDirEdit->setText(dir);
    });
}

void TFrmAddSqlcollector::FillLists(oradb::TOraSession* session) {
    for (QComboBox* c :
         {runTimeCombo, samplingCombo, runTimeUnitCombo, samplingUnitCombo, hourCombo, minuteCombo})
        c->clear();
    numbers(runTimeCombo, 1, 59);
    numbers(samplingCombo, 1, 59);
    units(runTimeUnitCombo);
    units(samplingUnitCombo);
    numbers(hourCombo, 0, 23);
    numbers(minuteCombo, 0, 59);

    sessionIds_.clear();
    sessionAddresses_.clear();
    kindLists_.assign(fkCount, {});
    serverTime_ = Now();
    try {
        oradb::TOraQuery q(session);
        q.SQL.Add("select username,sysdate servernow from dba_users order by username");
        q.Open();
        for (; !q.Eof(); q.Next()) {
            kindLists_[fkUser].push_back(q.FieldByName("username").AsString());
            serverTime_ = q.FieldByName("servernow").AsDateTime();
        }
    } catch (const std::exception&) {
        // The pick lists only help: a login that may not read dba_users still types the names.
    }
    try {
        oradb::TOraQuery q(session);
        q.SQL.Add("select sid,rawtohex(saddr) saddr,username,osuser,machine,terminal,program,"
                  "module,action,client_info from v$session where type <>'BACKGROUND' order by "
                  "sid");
        q.Open();
        static const std::pair<int, const char*> distinct[] = {
            {fkProgram, "program"},       {fkOsuser, "osuser"}, {fkMachine, "machine"},
            {fkTerminal, "terminal"},     {fkModule, "module"}, {fkAction, "action"},
            {fkClientInfo, "client_info"}};
        for (; !q.Eof(); q.Next()) {
            const std::string sid = q.FieldByName("sid").AsString();
            sessionIds_.push_back(sid);
            sessionAddresses_.push_back(q.FieldByName("saddr").AsString());
            kindLists_[fkSession].push_back(sid + "/" + q.FieldByName("username").AsString() + "/" +
                                            q.FieldByName("program").AsString());
            for (const auto& [kind, column] : distinct) {
                const std::string v = q.FieldByName(column).AsString();
                auto& list = kindLists_[static_cast<std::size_t>(kind)];
                if (!v.empty() && std::find(list.begin(), list.end(), v) == list.end())
                    list.push_back(v);
            }
        }
    } catch (const std::exception&) {
        // As above: without v$session the lists stay empty and the names are typed.
    }
}

void TFrmAddSqlcollector::KindChanged(int kind) {
    filterValueCombo->clear();
    filterValueCombo->setEditable(kind != fkSession);
    if (kind >= 0 && kind < fkCount)
        for (const std::string& v : kindLists_[static_cast<std::size_t>(kind)])
            filterValueCombo->addItem(qs(v));
    filterValueCombo->setCurrentIndex(filterValueCombo->count() > 0 ? 0 : -1);
}

void TFrmAddSqlcollector::ScheduleChanged() {
    const bool on = scheduleCheck->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{monthEdit, dayEdit, yearEdit, hourCombo,
                                                      minuteCombo, runTimeCombo, runTimeUnitCombo,
                                                      samplingCombo, samplingUnitCombo})
        w->setEnabled(on);
}

void TFrmAddSqlcollector::ShowDate(TDateTime t) {
    const util::DateTimeParts p = util::decodeDateTime(t);
    monthEdit->setText(QString::number(p.month));
    dayEdit->setText(QString::number(p.day));
    yearEdit->setText(QString::number(p.year));
}

void TFrmAddSqlcollector::ShowPeriod(int seconds, QComboBox* entry, QComboBox* unit) {
    const TPeriodDisplay d = PeriodDisplay(seconds);
    unit->setCurrentIndex(d.unit);
    entry->setCurrentIndex(d.entry - 1);
}

void TFrmAddSqlcollector::PrepareAdd(oradb::TOraSession* session) {
    FillLists(session);
    nameEdit->clear();
    logFileNameEdit->clear();
    okButton->setEnabled(false);
    logDirEdit->setText(qs(DefaultLogDir()));
    filterKindCombo->setCurrentIndex(fkSession);
    scheduleCheck->setChecked(false);
    ScheduleChanged();
    ShowDate(serverTime_);
    const util::DateTimeParts p = util::decodeDateTime(serverTime_);
    hourCombo->setCurrentIndex(p.hour);
    minuteCombo->setCurrentIndex(p.minute);
    runTimeCombo->setCurrentIndex(30 - 1);
    runTimeUnitCombo->setCurrentIndex(1);
    samplingCombo->setCurrentIndex(5 - 1);
    samplingUnitCombo->setCurrentIndex(0);
    KindChanged(fkSession);
    filterValueCombo->setCurrentIndex(-1);
}

void TFrmAddSqlcollector::PrepareModify(oradb::TOraSession* session, const TSqlCollector& c) {
    FillLists(session);
    const TCollectorDefinition& d = c.def;
    nameEdit->setText(qs(d.name)); // also proposes a file name, replaced next
    logFileNameEdit->setText(qs(d.logFileName));
    okButton->setEnabled(!d.name.empty());
    logDirEdit->setText(qs(d.logDir));
    const int kind = d.kind >= 0 && d.kind < fkCount ? d.kind : fkSession;
    filterKindCombo->setCurrentIndex(kind);
    scheduleCheck->setChecked(d.scheduled == 1);
    ScheduleChanged();
    ShowDate(util::fromDayNumber(d.startDate));
    hourCombo->setCurrentIndex(d.startHour);
    minuteCombo->setCurrentIndex(d.startMinute);
    ShowPeriod(d.runTimePeriod, runTimeCombo, runTimeUnitCombo);
    ShowPeriod(d.monitorSampling, samplingCombo, samplingUnitCombo);
    KindChanged(kind);
    if (kind == fkSession) {
        const auto it = std::find(sessionIds_.begin(), sessionIds_.end(), d.value);
        filterValueCombo->setCurrentIndex(
            it == sessionIds_.end() ? -1 : static_cast<int>(it - sessionIds_.begin()));
    } else {
        const int found = filterValueCombo->findText(qs(d.value), Qt::MatchExactly);
        if (found >= 0)
            filterValueCombo->setCurrentIndex(found);
        else
            filterValueCombo->setEditText(qs(d.value));
    }
}

void TFrmAddSqlcollector::Refuse(const QString& text) {
    QMessageBox::critical(this, windowTitle(), text, QMessageBox::Ok);
}

bool TFrmAddSqlcollector::KeepPastStart(TDateTime start) {
    const QString text =
        QStringLiteral(
            "The start time %1 is in the past (it is now %2). The collector samples only "
            "in what is left of its run time period, and never when that has ended."
            "\n\nKeep this start time?")
            .arg(qs(util::formatDateTime(start)), qs(util::formatDateTime(Now())));
    return QMessageBox::warning(this, windowTitle(), text, QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}

void TFrmAddSqlcollector::onOkClicked() {
    const QString name = nameEdit->text().trimmed();
    if (NameClashes(name.toStdString(), TakenNames)) {
        Refuse(QStringLiteral("A collector named \"%1\" exists already: choose another name.")
                   .arg(name));
        return;
    }
    int parts[3] = {0, 0, 0}; // year, month, day
    const QLineEdit* boxes[3] = {yearEdit, monthEdit, dayEdit};
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const QString text = boxes[i]->text().trimmed();
        parts[i] = text.toInt(&ok);
        if (!ok) {
            Refuse(QLatin1Char('\'') + text + QStringLiteral("' is not a valid integer value"));
            return;
        }
    }
    if (!util::isValidDate(parts[0], parts[1], parts[2])) {
        Refuse(QStringLiteral("Error Date!"));
        return;
    }
    startDate_ = util::dayNumber(parts[0], parts[1], parts[2]);
    const int run = runTimeUnitCombo->currentIndex() * 60 + runTimeCombo->currentIndex();
    const int sampling = samplingUnitCombo->currentIndex() * 60 + samplingCombo->currentIndex();
    if (run < sampling) {
        Refuse(QStringLiteral("Monitor sampling must be less than run time period"));
        return;
    }
    const QString dir = logDirEdit->text().trimmed();
    if (const std::string problem = LogDirProblem(dir.toStdString()); !problem.empty()) {
        Refuse(qs(problem));
        return;
    }
    if (filterValueCombo->currentText().trimmed().isEmpty()) {
        Refuse(QStringLiteral("Please specify a value!"));
        return;
    }
    if (scheduleCheck->isChecked()) {
        // Compared by the minute, so that the start the dialog proposes (this minute) passes.
        const TDateTime start = util::fromDayNumber(startDate_) + hourCombo->currentIndex() / 24.0 +
                                minuteCombo->currentIndex() / 1440.0;
        const auto minute = [](TDateTime t) {
            return static_cast<std::int64_t>(t * 1440.0 + 1e-6);
        };
        if (minute(start) < minute(Now()) && !KeepPastStart(start))
            return;
    }
    RememberLogDir(dir.toStdString());
    accept();
}

TCollectorDefinition TFrmAddSqlcollector::Definition() const {
    TCollectorDefinition d;
    d.name = nameEdit->text().trimmed().toStdString();
    d.logDir = logDirEdit->text().trimmed().toStdString();
    d.logFileName = logFileNameEdit->text().trimmed().toStdString();
    d.kind = filterKindCombo->currentIndex();
    if (d.kind == fkSession) {
        const int i = filterValueCombo->currentIndex();
        if (i >= 0 && i < static_cast<int>(sessionIds_.size())) {
            d.sessionAddress = sessionAddresses_[static_cast<std::size_t>(i)];
            d.value = sessionIds_[static_cast<std::size_t>(i)];
        }
    } else {
        d.sessionAddress = "0";
        d.value = filterValueCombo->currentText().toStdString();
    }
    d.startHour = hourCombo->currentIndex();
    d.startMinute = minuteCombo->currentIndex();
    if (scheduleCheck->isChecked()) {
        d.scheduled = 1;
        d.startDate = startDate_;
        d.runTimePeriod =
            PeriodSeconds(runTimeCombo->currentIndex() + 1, runTimeUnitCombo->currentIndex());
        d.monitorSampling =
            PeriodSeconds(samplingCombo->currentIndex() + 1, samplingUnitCombo->currentIndex());
    } else {
        const util::DateTimeParts p = util::decodeDateTime(Now());
        d.scheduled = 0;
        d.startDate = util::dayNumber(p.year, p.month, p.day);
        d.runTimePeriod = 1800;
        d.monitorSampling = 5;
    }
    return d;
}

} // namespace capture
