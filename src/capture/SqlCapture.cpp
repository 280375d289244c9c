#include "capture/SqlCapture.h"

#include "capture/CaptureThreads.h"
#include "monitor/Monitor.h"
#include "oradb/OraError.h"
#include "oradb/OraQuery.h"
#include "util/HandOver.h"
#include "util/TextHelpers.h"

#include <cmath>

namespace capture {

namespace {

// Date-times compared to the millisecond, so that equal instants compare equal.
std::int64_t ms(TDateTime t) {
    return std::llround(t * 86400000.0);
}

std::string decimal(std::int64_t n) {
    return std::to_string(n);
}

} // namespace

TCaptureSql::TCaptureSql(monitor::TPvConnection& monitor, QObject* parent)
    : QObject(parent), Now([] { return util::now(); }), monitor_(monitor) {
    timer_captureopencursor.setInterval(1000);
    connect(&timer_captureopencursor, &QTimer::timeout, this, [this] { Tick(); });
}

TCaptureSql::~TCaptureSql() {
    Stop();
}

// ---- collectors ----

void TCaptureSql::NewList() {
    rows_.Clear();
    collectors_.clear();
    failureShown_ = false;
}

void TCaptureSql::reportFailure(const std::string& text) {
    if (text.empty() || failureShown_)
        return;
    failureShown_ = true;
    monitor_.ReportFailure(text);
}

void TCaptureSql::LoadCollectors() {
    Present = false;
    oradb::TOraQuery q(monitor_.Session());
    try {
        q.SQL.Add("select * from public_qby_capturesql");
        q.Open();
        q.Close();
    } catch (const std::exception&) {
        return;
    }
    Present = true;
    try {
        q.SQL.Clear();
        q.SQL.Add("select colid,colname,coldesc,colsaddr,colsid,colusername,isschedule,"
                  "scheduledate,schedulehour,scheduleminute,rtp,monitors,collogfilename,"
                  "collogfiledir from public_qby_sqlcollector order by colid ");
        q.Open();
        for (; !q.Eof(); q.Next()) {
            auto c = std::make_shared<TSqlCollector>();
            c->identifier = static_cast<std::int32_t>(q.FieldByName("colid").AsInteger());
            TCollectorDefinition& d = c->def;
            d.name = q.FieldByName("colname").AsString();
            d.logDir = q.FieldByName("collogfiledir").AsString();
            d.logFileName = q.FieldByName("collogfilename").AsString();
            d.kind = static_cast<int>(q.FieldByName("colsid").AsInteger());
            d.value = q.FieldByName("colusername").AsString();
            d.sessionAddress = q.FieldByName("colsaddr").AsString();
            d.scheduled = static_cast<int>(q.FieldByName("isschedule").AsInteger());
            d.startDate = q.FieldByName("scheduledate").AsInteger();
            d.startHour = static_cast<int>(q.FieldByName("schedulehour").AsInteger());
            d.startMinute = static_cast<int>(q.FieldByName("scheduleminute").AsInteger());
            d.runTimePeriod = static_cast<int>(q.FieldByName("rtp").AsInteger());
            d.monitorSampling = static_cast<int>(q.FieldByName("monitors").AsInteger());
            collectors_.push_back(std::move(c));
        }
        q.Close();
    } catch (const std::exception&) {
        // The collectors read so far stay.
    }
}

void TCaptureSql::RebuildRows() {
    rows_.Clear();
    for (const auto& c : collectors_)
        rows_.AddRow(c, decimal(c->samples), decimal(c->sqls.load()));
}

void TCaptureSql::execute(const std::string& text) {
    oradb::TOraSQL sql(monitor_.Session());
    sql.SQL.Clear();
    sql.SQL.Add(text);
    sql.Execute();
}

bool TCaptureSql::identifierTaken(std::int32_t id) {
    for (const auto& c : collectors_)
        if (c->identifier == id)
            return true;
    try {
        oradb::TOraQuery q(monitor_.Session());
        q.SQL.Add("select count(*) n from public_qby_sqlcollector where colid=" + decimal(id));
        q.Open();
        return q.Fields(0).AsInteger() > 0;
    } catch (const std::exception&) {
        return false; // the insert reports what is wrong with the table
    }
}

std::int32_t TCaptureSql::NewIdentifier() {
    const util::DateTimeParts p = util::decodeDateTime(Now());
    auto id = static_cast<std::int32_t>(((p.hour * 60 + p.minute) * 60 + p.second) * 1000 +
                                        p.millisecond);
    while (identifierTaken(id))
        ++id;
    return id;
}

std::vector<std::string> TCaptureSql::OtherNames(int row) const {
    const TSqlCollector* except =
        row >= 0 && row < rows_.rowCount() ? rows_.Collector(row).get() : nullptr;
    std::vector<std::string> names;
    for (const auto& c : collectors_)
        if (c.get() != except)
            names.push_back(c->def.name);
    return names;
}

bool TCaptureSql::RefuseTakenName(const TCollectorDefinition& def, int row) {
    if (!NameClashes(def.name, OtherNames(row)))
        return false;
    if (ShowMessage)
        ShowMessage("A collector named \"" + def.name + "\" exists already: choose another name.");
    return true;
}

bool TCaptureSql::AddCollector(const TCollectorDefinition& def) {
    if (RefuseTakenName(def, -1))
        return false;
    try {
        const std::int32_t id = NewIdentifier();
        execute("insert into public_qby_sqlcollector(colid,colname,collogfiledir,collogfilename,"
                "colsaddr,colsid,colusername,isschedule,scheduledate,schedulehour,scheduleminute,"
                "rtp,monitors) values(" +
                decimal(id) + "," + util::sqlQuoted(def.name) + "," + util::sqlQuoted(def.logDir) +
                "," + util::sqlQuoted(def.logFileName) + "," + util::sqlQuoted(def.sessionAddress) +
                "," + decimal(def.kind) + "," + util::sqlQuoted(def.value) + "," +
                decimal(def.scheduled) + "," + decimal(def.startDate) + "," +
                decimal(def.startHour) + "," + decimal(def.startMinute) + "," +
                decimal(def.runTimePeriod) + "," + decimal(def.monitorSampling) + ")");
        auto c = std::make_shared<TSqlCollector>();
        c->identifier = id;
        c->def = def;
        collectors_.push_back(c);
        rows_.AddRow(c, "0", "0");
        return true;
    } catch (const std::exception&) {
        if (ShowMessage)
            ShowMessage("Add Sql collector error!");
        return false;
    }
}

bool TCaptureSql::ModifyCollector(int row, const TCollectorDefinition& def) {
    if (row < 0 || row >= rows_.rowCount())
        return false;
    if (RefuseTakenName(def, row))
        return false;
    const TSqlCollectorPtr c = rows_.Collector(row);
    try {
        execute(
            "update public_qby_sqlcollector set colname=" + util::sqlQuoted(def.name) +
            ",collogfiledir=" + util::sqlQuoted(def.logDir) +
            ",collogfilename=" + util::sqlQuoted(def.logFileName) +
            ",colsaddr=" + util::sqlQuoted(def.sessionAddress) + ",colsid=" + decimal(def.kind) +
            ",colusername=" + util::sqlQuoted(def.value) + ",isschedule=" + decimal(def.scheduled) +
            ",scheduledate=" + decimal(def.startDate) + ",schedulehour=" + decimal(def.startHour) +
            ",scheduleminute=" + decimal(def.startMinute) + ",rtp=" + decimal(def.runTimePeriod) +
            ",monitors=" + decimal(def.monitorSampling) +
            " where colid= " + decimal(c->identifier));
        // A running fetch keeps its own query and log path; the new definition applies from
        // the next one.
        c->def = def;
        rows_.SetDefinitionTexts(row);
        return true;
    } catch (const std::exception&) {
        if (ShowMessage)
            ShowMessage("Modify Sql collector error!");
        return false;
    }
}

bool TCaptureSql::DeleteCollector(int row) {
    if (row < 0 || row >= rows_.rowCount())
        return false;
    const TSqlCollectorPtr c = rows_.Collector(row);
    try {
        execute("delete from public_qby_sqlcollector where colid=" + decimal(c->identifier));
    } catch (const std::exception&) {
        // Not reported; the collector stays, as its row does in the table.
        return false;
    }
    rows_.RemoveRow(row);
    std::erase(collectors_, c);
    // A running fetch holds its own reference, so the collector lives until the fetch ends.
    return true;
}

// ---- capture ----

bool TCaptureSql::ToggleCapture() {
    oradb::TOraSQL* statement = monitor_.Statement();
    auto run = [statement](const char* text) {
        statement->SQL.Clear();
        statement->SQL.Add(text);
        statement->Execute();
    };
    if (!CaptureEnabled()) {
        try {
            if (!statement)
                throw oradb::EOraError("not connected");
            run("lock table public_qby_capturesql in exclusive mode nowait");
            run("delete from public_qby_capturesql");
        } catch (const std::exception&) {
            if (ShowWarning)
                ShowWarning("Can not capture SQL while other QBY program is capturing SQL!");
            return false;
        }
    } else {
        try {
            if (statement)
                run("commit");
        } catch (const std::exception&) {
            // Capture goes off all the same.
        }
    }
    for (const auto& c : collectors_) {
        c->samples = 0;
        c->sqls = 0;
    }
    if (CaptureEnabled()) {
        timer_captureopencursor.stop();
    } else {
        failureShown_ = false;
        timer_captureopencursor.start();
    }
    Q_EMIT captureToggled(CaptureEnabled());
    return true;
}

bool TCaptureSql::DueTest(TSqlCollector& c) {
    const TDateTime start = c.WindowStart();
    const TDateTime end = start + c.def.runTimePeriod / 86400.0;
    if (c.lastFetchTime.load() == 0)
        c.lastFetchTime = start;
    if (c.lastSampleTime == 0)
        c.lastSampleTime = start;
    const std::int64_t now = ms(Now());
    const std::int64_t lastSample = ms(c.lastSampleTime);
    // A clock set back below the last sample makes the sample due at once, rather than after
    // the clock has caught up with it again.
    const bool sampleDue =
        now < lastSample || lastSample + std::int64_t{c.def.monitorSampling} * 1000 < now;
    return ms(start) < now && ms(end) > now && sampleDue;
}

void TCaptureSql::StartFetch(const TSqlCollectorPtr& c) {
    if (c->fetchThread)
        return;
    c->lastSampleTime = Now();
    ++c->samples;
    const std::string filter = FetchFilter(c->def);
    if (filter.empty())
        return;
    c->fetchFilter = filter;
    auto thread = std::make_unique<TFetchSqltextThread>(monitor_.Session(), c,
                                                        FetchQueryText(filter), c->LogPath());
    TFetchSqltextThread* t = thread.get();
    t->Serial = ++serial_;
    const int id = c->identifier;
    const std::uint64_t serial = t->Serial;
    std::weak_ptr<int> alive = alive_;
    t->Completion = [this, alive, serial, id] {
        util::HandOver::instance().post([this, alive, serial, id] {
            if (alive.lock())
                CaptureThreadEnded(id, 2, serial);
        });
    };
    c->fetchThread = t;
    fetches_.push_back(std::move(thread));
    t->Start();
}

std::string TCaptureSql::CaptureBlock(const std::string& combinedCondition) {
    return std::string(
               "  declare  cursor c1 is select s.osuser osuser,s.machine machine,s.terminal "
               "terminal, s.program program,s.module module,s.action action, s.client_info "
               "client_info, rawtohex(oc.saddr) saddr, s.sid sid ,s.username username , "
               "rawtohex(oc.address) address, to_char(oc.hash_value) hash_value, sysdate "
               "fetchtime  from v$session s,v$open_cursor oc  where s.saddr=oc.saddr  and ( ") +
           combinedCondition + " )" + " and not exists" + " ( " + "  select sid from " +
           "public_qby_capturesql" + " tot where" +
           "   tot.sid=s.sid and tot.saddr=oc.saddr and tot.address=oc.address and "
           "tot.hash_value=oc.hash_value" +
           ");" + " c1_rec  c1%ROWTYPE;" + " begin" + "  open c1;" + "  loop" +
           "    fetch c1 into c1_rec;" + "    exit when c1%notfound;" + "    begin" +
           "    insert /*+ append */ into " + "public_qby_capturesql" + " values(" +
           " c1_rec.saddr,c1_rec.sid," + " c1_rec.username,c1_rec.address," +
           " c1_rec.osuser,c1_rec.machine,c1_rec.terminal,c1_rec.program," +
           " c1_rec.module,c1_rec.action,c1_rec.client_info," +
           " c1_rec.hash_value,c1_rec.fetchtime);" + "  exception" + "  when others then null;" +
           "  end;" + "  end loop;" + "  exception" + "  when others then null;" + "  close c1;" +
           "end;";
}

void TCaptureSql::Tick() {
    if (!monitor_.Connected())
        return;
    dueCount_ = 0;
    std::string combined;
    for (const TSqlCollectorPtr& c : collectors_) {
        if (c->def.scheduled != 1 || !DueTest(*c))
            continue;
        const std::string condition = CaptureCondition(c->def);
        combined += (combined.empty() ? "(" : " or (") + condition + ")";
        ++dueCount_;
        StartFetch(c);
    }
    if (dueCount_ > 0 && !combined.empty() && !opencursor_) {
        lastBlock_ = CaptureBlock(combined);
        opencursor_ = std::make_unique<TOpencursorThread>(monitor_.Session(), lastBlock_);
        opencursor_->Serial = ++serial_;
        const std::uint64_t serial = opencursor_->Serial;
        std::weak_ptr<int> alive = alive_;
        opencursor_->Completion = [this, alive, serial] {
            util::HandOver::instance().post([this, alive, serial] {
                if (alive.lock())
                    CaptureThreadEnded(0, 1, serial);
            });
        };
        opencursor_->Start();
    }
    for (int row = 0; row < rows_.rowCount(); ++row) {
        const TSqlCollector& c = *rows_.Collector(row);
        auto refresh = [&](int column, int value) {
            bool ok = false;
            const int shown = QString::fromStdString(rows_.Text(row, column)).toInt(&ok);
            if (!ok || shown != value)
                rows_.SetText(row, column, decimal(value));
        };
        refresh(TSqlCollectorListModel::colSamples, c.samples);
        refresh(TSqlCollectorListModel::colSqls, c.sqls.load());
    }
}

bool TCaptureSql::ThreadsFinished() const {
    if (opencursor_ && !opencursor_->Finished())
        return false;
    for (const auto& f : fetches_)
        if (!f->Finished())
            return false;
    return true;
}

void TCaptureSql::CaptureThreadEnded(int param1, int param2, std::uint64_t serial) {
    // The serial tells a thread's own message from a late one of a thread stopped before.
    if (param2 == 1) {
        if (opencursor_ && opencursor_->Serial == serial) {
            const std::string error = std::move(opencursor_->ErrorText);
            opencursor_.reset();
            reportFailure(error);
        }
        return;
    }
    if (param2 != 2 && param2 != 3)
        return;
    for (auto it = fetches_.begin(); it != fetches_.end(); ++it) {
        if ((*it)->Serial == serial) {
            for (const auto& c : collectors_)
                if (c->identifier == param1 && c->fetchThread == it->get())
                    c->fetchThread = nullptr;
            // A collector deleted meanwhile is not in the list; its fetch is forgotten here.
            (*it)->Collector()->fetchThread = nullptr;
            const std::string error = std::move((*it)->ErrorText);
            fetches_.erase(it);
            reportFailure(error);
            break;
        }
    }
}

bool TCaptureSql::CanClose() {
    if (!fetches_.empty()) {
        if (ShowWarning)
            ShowWarning(
                "Please stop capturing sql before exit!\r\n(Utilities->capture sql->disable "
                "capture sql)");
        return false;
    }
    const std::string question = ExitQuestion();
    return question.empty() || !Confirm || Confirm(question);
}

std::string TCaptureSql::ExitQuestion() const {
    std::string running;
    if (CaptureEnabled())
        running += "\n- SQL capture is enabled (" + std::to_string(collectors_.size()) +
                   (collectors_.size() == 1 ? " collector)" : " collectors)");
    if (monitor_.Connected() && monitor_.AutoProbe())
        running += "\n- the automatic memory probe runs every " +
                   std::to_string(monitor_.ProbeInterval()) + " seconds";
    if (running.empty())
        return running;
    return "Quenby is still at work:" + running +
           "\n\nExit anyway? What runs stops when Quenby closes.";
}

void TCaptureSql::Stop() {
    const bool wasEnabled = CaptureEnabled();
    timer_captureopencursor.stop();
    opencursor_.reset();
    fetches_.clear();
    for (const auto& c : collectors_)
        c->fetchThread = nullptr;
    if (wasEnabled)
        Q_EMIT captureToggled(false);
}

} // namespace capture
