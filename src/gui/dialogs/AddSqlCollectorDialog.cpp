#include "gui/dialogs/AddSqlCollectorDialog.h"

#include "oradb/OraQuery.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
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

QString programDir() {
    return QCoreApplication::applicationDirPath();
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
    edname = edit(this, "edname");
    edlogfilename = edit(this, "edlogfilename");
    edlogfiledir = edit(this, "edlogfiledir");
    BtnBrowse = new QPushButton(QStringLiteral("&Browse"), this);
    BtnBrowse->setObjectName(QStringLiteral("BtnBrowse"));
    cmbbywhat = pickList(this, "cmbbywhat");
    for (int k = 0; k < fkCount; ++k)
        cmbbywhat->addItem(qs(KindCaption(k)));
    cmbbywhatvalue = pickList(this, "cmbbywhatvalue");
    CbSchedule = new QCheckBox(QStringLiteral("Schedule"), this);
    CbSchedule->setObjectName(QStringLiteral("CbSchedule"));
    Edmonth = edit(this, "Edmonth");
    Edday = edit(this, "Edday");
    edyear = edit(this, "edyear");
    CmbHour = pickList(this, "CmbHour");
    CmbMinute = pickList(this, "CmbMinute");
    cmbruntimeperiod = pickList(this, "cmbruntimeperiod");
    CmbDay = pickList(this, "CmbDay");
    cmbmonitorsample = pickList(this, "cmbmonitorsample");
    cmbday2 = pickList(this, "cmbday2");
    BtnOk = new QPushButton(QStringLiteral("&Ok"), this);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));

    label("Name", row);
    grid->addWidget(edname, row++, 1, 1, 3);
    label("SQL Log file name", row);
    grid->addWidget(edlogfilename, row++, 1, 1, 3);
    label("Log dir", row);
    grid->addWidget(edlogfiledir, row, 1, 1, 2);
    grid->addWidget(BtnBrowse, row++, 3);
    label("Filter", row);
    grid->addWidget(cmbbywhat, row++, 1, 1, 3);
    label("Value", row);
    grid->addWidget(cmbbywhatvalue, row++, 1, 1, 3);
    grid->addWidget(CbSchedule, row++, 0, 1, 4);
    label("Start time:", row);
    label("Date(month/day/year)", row++, 1);
    auto* date = new QHBoxLayout;
    for (QLineEdit* e : {Edmonth, Edday, edyear}) {
        e->setMaximumWidth(60);
        date->addWidget(e);
    }
    grid->addLayout(date, row++, 1, 1, 3);
    label("Hour", row);
    grid->addWidget(CmbHour, row, 1);
    label("Minute(s)", row, 2);
    grid->addWidget(CmbMinute, row++, 3);
    label("Run time period", row);
    grid->addWidget(cmbruntimeperiod, row, 1);
    grid->addWidget(CmbDay, row++, 2);
    label("Monitor sampling", row);
    grid->addWidget(cmbmonitorsample, row, 1);
    grid->addWidget(cmbday2, row++, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOk);
    buttons->addWidget(BtnCancel);
    grid->addLayout(buttons, row, 0, 1, 4);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    BtnOk->setAutoDefault(false);
    BtnCancel->setAutoDefault(false);
    BtnBrowse->setAutoDefault(false);

    connect(edname, &QLineEdit::textChanged, this, [this](const QString& name) {
        BtnOk->setEnabled(!name.isEmpty());
        edlogfilename->setText(name + QStringLiteral(".sql"));
    });
    connect(cmbbywhat, &QComboBox::activated, this, [this](int kind) { KindChanged(kind); });
    connect(CbSchedule, &QCheckBox::toggled, this, [this] { ScheduleChanged(); });
    connect(BtnOk, &QPushButton::clicked, this, [this] { BtnOkClick(); });
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtnBrowse, &QPushButton::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(this, QString(), programDir());
        if (!dir.isEmpty())
            edlogfiledir->setText(dir);
    });
}

void TFrmAddSqlcollector::FillLists(oradb::TOraSession* session) {
    for (QComboBox* c : {cmbruntimeperiod, cmbmonitorsample, CmbDay, cmbday2, CmbHour, CmbMinute})
        c->clear();
    numbers(cmbruntimeperiod, 1, 59);
    numbers(cmbmonitorsample, 1, 59);
    units(CmbDay);
    units(cmbday2);
    numbers(CmbHour, 0, 23);
    numbers(CmbMinute, 0, 59);

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
    cmbbywhatvalue->clear();
    cmbbywhatvalue->setEditable(kind != fkSession);
    if (kind >= 0 && kind < fkCount)
        for (const std::string& v : kindLists_[static_cast<std::size_t>(kind)])
            cmbbywhatvalue->addItem(qs(v));
    cmbbywhatvalue->setCurrentIndex(cmbbywhatvalue->count() > 0 ? 0 : -1);
}

void TFrmAddSqlcollector::ScheduleChanged() {
    const bool on = CbSchedule->isChecked();
    for (QWidget* w :
         std::initializer_list<QWidget*>{Edmonth, Edday, edyear, CmbHour, CmbMinute,
                                         cmbruntimeperiod, CmbDay, cmbmonitorsample, cmbday2})
        w->setEnabled(on);
}

void TFrmAddSqlcollector::ShowDate(TDateTime t) {
    const util::DateTimeParts p = util::decodeDateTime(t);
    Edmonth->setText(QString::number(p.month));
    Edday->setText(QString::number(p.day));
    edyear->setText(QString::number(p.year));
}

void TFrmAddSqlcollector::ShowPeriod(int seconds, QComboBox* entry, QComboBox* unit) {
    const TPeriodDisplay d = PeriodDisplay(seconds);
    unit->setCurrentIndex(d.unit);
    entry->setCurrentIndex(d.entry - 1);
}

void TFrmAddSqlcollector::PrepareAdd(oradb::TOraSession* session) {
    FillLists(session);
    edname->clear();
    edlogfilename->clear();
    BtnOk->setEnabled(false);
    edlogfiledir->setText(programDir());
    cmbbywhat->setCurrentIndex(fkSession);
    CbSchedule->setChecked(false);
    ScheduleChanged();
    ShowDate(serverTime_);
    const util::DateTimeParts p = util::decodeDateTime(serverTime_);
    CmbHour->setCurrentIndex(p.hour);
    CmbMinute->setCurrentIndex(p.minute);
    cmbruntimeperiod->setCurrentIndex(30 - 1);
    CmbDay->setCurrentIndex(1);
    cmbmonitorsample->setCurrentIndex(5 - 1);
    cmbday2->setCurrentIndex(0);
    KindChanged(fkSession);
    cmbbywhatvalue->setCurrentIndex(-1);
}

void TFrmAddSqlcollector::PrepareModify(oradb::TOraSession* session, const TSqlCollector& c) {
    FillLists(session);
    const TCollectorDefinition& d = c.def;
    edname->setText(qs(d.name)); // also proposes a file name, replaced next
    edlogfilename->setText(qs(d.logFileName));
    BtnOk->setEnabled(!d.name.empty());
    edlogfiledir->setText(qs(d.logDir));
    const int kind = d.kind >= 0 && d.kind < fkCount ? d.kind : fkSession;
    cmbbywhat->setCurrentIndex(kind);
    CbSchedule->setChecked(d.scheduled == 1);
    ScheduleChanged();
    ShowDate(util::fromDayNumber(d.startDate));
    CmbHour->setCurrentIndex(d.startHour);
    CmbMinute->setCurrentIndex(d.startMinute);
    ShowPeriod(d.runTimePeriod, cmbruntimeperiod, CmbDay);
    ShowPeriod(d.monitorSampling, cmbmonitorsample, cmbday2);
    KindChanged(kind);
    if (kind == fkSession) {
        const auto it = std::find(sessionIds_.begin(), sessionIds_.end(), d.value);
        cmbbywhatvalue->setCurrentIndex(
            it == sessionIds_.end() ? -1 : static_cast<int>(it - sessionIds_.begin()));
    } else {
        const int found = cmbbywhatvalue->findText(qs(d.value), Qt::MatchExactly);
        if (found >= 0)
            cmbbywhatvalue->setCurrentIndex(found);
        else
            cmbbywhatvalue->setEditText(qs(d.value));
    }
}

void TFrmAddSqlcollector::Refuse(const QString& text) {
    QMessageBox::critical(this, windowTitle(), text, QMessageBox::Ok);
}

void TFrmAddSqlcollector::BtnOkClick() {
    int parts[3] = {0, 0, 0}; // year, month, day
    const QLineEdit* boxes[3] = {edyear, Edmonth, Edday};
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
    const int run = CmbDay->currentIndex() * 60 + cmbruntimeperiod->currentIndex();
    const int sampling = cmbday2->currentIndex() * 60 + cmbmonitorsample->currentIndex();
    if (run < sampling) {
        Refuse(QStringLiteral("Monitor sampling must be less than run time period"));
        return;
    }
    const QString dir = edlogfiledir->text().trimmed();
    if (dir.isEmpty() || !QFileInfo(dir).isDir()) {
        Refuse(QStringLiteral("Logfile directory is not exists!"));
        return;
    }
    if (cmbbywhatvalue->currentText().trimmed().isEmpty()) {
        Refuse(QStringLiteral("Please specify a value!"));
        return;
    }
    accept();
}

TCollectorDefinition TFrmAddSqlcollector::Definition() const {
    TCollectorDefinition d;
    d.name = edname->text().trimmed().toStdString();
    d.logDir = edlogfiledir->text().trimmed().toStdString();
    d.logFileName = edlogfilename->text().trimmed().toStdString();
    d.kind = cmbbywhat->currentIndex();
    if (d.kind == fkSession) {
        const int i = cmbbywhatvalue->currentIndex();
        if (i >= 0 && i < static_cast<int>(sessionIds_.size())) {
            d.sessionAddress = sessionAddresses_[static_cast<std::size_t>(i)];
            d.value = sessionIds_[static_cast<std::size_t>(i)];
        }
    } else {
        d.sessionAddress = "0";
        d.value = cmbbywhatvalue->currentText().toStdString();
    }
    d.startHour = CmbHour->currentIndex();
    d.startMinute = CmbMinute->currentIndex();
    if (CbSchedule->isChecked()) {
        d.scheduled = 1;
        d.startDate = startDate_;
        d.runTimePeriod =
            PeriodSeconds(cmbruntimeperiod->currentIndex() + 1, CmbDay->currentIndex());
        d.monitorSampling =
            PeriodSeconds(cmbmonitorsample->currentIndex() + 1, cmbday2->currentIndex());
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
