#include "monitor/SessionControl.h"

#include "oradb/OraNumber.h"
#include "oradb/OraQuery.h"
#include "util/DateTimeText.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numeric>
#include <optional>
#include <stdexcept>

namespace monitor {

void CollectSelectedSessions(TPvConnection& monitor, const TSessionListModel& list,
                             const std::vector<int>& selectedRows) {
    monitor.SelectedSessions.clear();
    // The machine's column moves with the optional columns shown before it.
    int machine = -1;
    for (std::size_t c = 0; c < list.Columns().size(); ++c)
        if (list.Columns()[c].caption == QStringLiteral("Machine"))
            machine = static_cast<int>(c);
    for (int r : selectedRows) {
        if (r < 0 || r >= list.rowCount())
            continue;
        // The record holds what the row does not show (the program, for one).
        if (const TRSession* s = list.Session(r)) {
            monitor.SelectedSessions.push_back(s->basic.fields.ToArray());
            continue;
        }
        TBasicFieldArray entry;
        entry[bfSid] = list.Caption(r);
        entry[bfSerial] = list.Serial(r);
        if (machine > 0)
            entry[bfMachine] = list.Text(r, machine).toStdString();
        for (const TRSession& s : monitor.Sessions)
            if (s.basic.fields[bfSid] == entry[bfSid] &&
                s.basic.fields[bfSerial] == entry[bfSerial]) {
                entry = s.basic.fields.ToArray();
                break;
            }
        monitor.SelectedSessions.push_back(std::move(entry));
    }
}

namespace {

// Raises std::invalid_argument ("<what>: the session id '...' is not a number") unless both are
// whole numbers, so that nothing else can reach a statement.
void checkSessionId(const std::string& what, const std::string& sid, const std::string& serial) {
    if (!oradb::parseInteger(sid) || sid.find_first_of(" \t+") != std::string::npos)
        throw std::invalid_argument(what + ": the session id '" + sid + "' is not a number");
    if (!oradb::parseInteger(serial) || serial.find_first_of(" \t+") != std::string::npos)
        throw std::invalid_argument(what + ": the serial number '" + serial + "' is not a number");
}

std::string sessionLines(const std::vector<TBasicFieldArray>& sessions) {
    auto shown = [](const std::string& text) { return text.empty() ? std::string("-") : text; };
    std::string text;
    for (const TBasicFieldArray& s : sessions)
        text += "\n- SID " + shown(s[bfSid]) + ", serial# " + shown(s[bfSerial]) + ", user " +
                shown(s[bfUsername]) + ", machine " + shown(s[bfMachine]) + ", program " +
                shown(s[bfProgram]);
    return text;
}

// Runs one statement per collected session on the general query.
void runForEach(TPvConnection& monitor,
                const std::function<std::string(const TBasicFieldArray&)>& statementOf) {
    oradb::TOraQuery& q = *monitor.GeneralQuery();
    for (const TBasicFieldArray& s : monitor.SelectedSessions) {
        const std::string statement = statementOf(s);
        q.SQL.Clear();
        q.SQL.Add(statement);
        q.ExecSQL();
        q.Close();
    }
}

} // namespace

std::string KillStatement(const std::string& sid, const std::string& serial, TKillKind kind) {
    checkSessionId("Cannot kill session", sid, serial);
    const std::string id = "'" + sid + "," + serial + "'";
    switch (kind) {
    case TKillKind::KillImmediate:
        return "alter system kill session " + id + " immediate";
    case TKillKind::DisconnectImmediate:
        return "alter system disconnect session " + id + " immediate";
    case TKillKind::Kill:
        break;
    }
    return "alter system kill session " + id;
}

std::string CancelSqlStatement(const std::string& sid, const std::string& serial) {
    checkSessionId("Cannot cancel SQL", sid, serial);
    return "alter system cancel sql '" + sid + "," + serial + "'";
}

int MajorVersion(const std::string& version) {
    const auto dot = version.find('.');
    const auto major = oradb::parseInteger(version.substr(0, dot));
    return major && *major > 0 && *major < 1000 ? static_cast<int>(*major) : 0;
}

bool CanCancelSql(const std::string& version) {
    return MajorVersion(version) >= 18;
}

std::string CancelSqlUnavailableReason(const std::string& version) {
    if (CanCancelSql(version))
        return {};
    if (MajorVersion(version) == 0)
        return "Cancel SQL needs Oracle 18c or later; the version of this instance is not known.";
    return "Cancel SQL needs Oracle 18c or later; this instance is version " + version +
           ". Kill the session instead.";
}

std::string CancelSqlConfirmationText(const std::vector<TBasicFieldArray>& sessions) {
    std::string text = sessions.size() == 1 ? "Cancel the running statement of this session?\n"
                                            : "Cancel the running statements of these " +
                                                  std::to_string(sessions.size()) + " sessions?\n";
    text += sessionLines(sessions);
    text += "\n\nThe current call ends with ORA-01013; the session stays connected and its "
            "transaction stays open.";
    return text;
}

bool CancelSqlOfSelectedSessions(TPvConnection& monitor, const std::function<bool()>& confirm) {
    if (!confirm())
        return false;
    runForEach(monitor,
               [](const TBasicFieldArray& s) { return CancelSqlStatement(s[bfSid], s[bfSerial]); });
    return true;
}

std::string KillConfirmationText(const std::vector<TBasicFieldArray>& sessions, TKillKind kind) {
    const bool one = sessions.size() == 1;
    const std::string these =
        one ? "this session" : "these " + std::to_string(sessions.size()) + " sessions";
    std::string text = kind == TKillKind::Kill ? "Kill " + these + "?\n"
                       : kind == TKillKind::KillImmediate
                           ? "Kill " + these + " immediately?\n"
                           : "Disconnect " + these + " immediately?\n";
    text += sessionLines(sessions);
    text += "\n\nEach session's current transaction is rolled back.";
    if (kind == TKillKind::KillImmediate)
        text += " The session ends at once, without waiting for its current call.";
    else if (kind == TKillKind::DisconnectImmediate)
        text += " The session's server process ends at once.";
    return text;
}

bool KillSelectedSessions(TPvConnection& monitor, const std::function<bool()>& confirm,
                          TKillKind kind) {
    if (!confirm())
        return false;
    runForEach(monitor, [kind](const TBasicFieldArray& s) {
        return KillStatement(s[bfSid], s[bfSerial], kind);
    });
    return true;
}

std::vector<TBasicFieldArray> TakeKilledSessions(TPvConnection& monitor) {
    std::vector<TBasicFieldArray> killed;
    auto& sessions = monitor.SelectedSessions;
    for (auto it = sessions.begin(); it != sessions.end();) {
        if ((*it)[bfStatus] == "KILLED") {
            killed.push_back(std::move(*it));
            it = sessions.erase(it);
        } else {
            ++it;
        }
    }
    return killed;
}

std::string ServerProcessId(TPvConnection& monitor, const std::string& sid,
                            const std::string& serial) {
    checkSessionId("Cannot find the server process", sid, serial);
    // Oracle 11g and later point a killed session's paddr at a pseudo process; creator_addr
    // still names the server process that runs it.
    const int major = MajorVersion(monitor.InstanceVersion);
    const std::string address =
        major == 0 || major >= 11 ? "nvl(s.creator_addr,s.paddr)" : "s.paddr";
    oradb::TOraQuery& q = *monitor.GeneralQuery();
    q.SQL.Clear();
    q.SQL.Add("select p.spid from v$session s,v$process p where p.addr=" + address +
              " and s.sid=" + sid + " and s.serial#=" + serial);
    q.Open();
    const std::string spid = q.Eof() ? std::string() : q.FieldByName("spid").AsString();
    q.Close();
    return spid;
}

std::string OsKillCommand(const std::vector<std::string>& spids) {
    std::string command;
    for (const std::string& spid : spids)
        if (!spid.empty())
            command += " " + spid;
    return command.empty() ? command : "kill -9" + command;
}

std::string WaitingObjectText(TPvConnection& monitor) {
    std::string owner = "Owner: not found";
    std::string name = "Object_name: not found";
    try {
        const TRSession* s = monitor.SelectedSession();
        const std::string object = s ? std::string(s->basic.fields[bfRowWaitObj]) : std::string();
        if (oradb::parseInteger(object) && object.find(' ') == std::string::npos) {
            oradb::TOraQuery& q = *monitor.GeneralQuery();
            q.SQL.Clear();
            q.SQL.Add("select owner,object_name from dba_objects where object_type='TABLE' and "
                      "object_id=" +
                      object);
            q.Open();
            if (q.RecordCount() == 1) {
                owner = "Owner: " + q.FieldByName("owner").AsString();
                name = "Object_name: " + q.FieldByName("object_name").AsString();
            }
            q.Close();
        }
    } catch (...) {
        // The "not found" lines stay.
    }
    return owner + "\r\n" + name;
}

int TextCompare(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto fold = [](char c) {
            const auto u = static_cast<unsigned char>(c);
            return u >= 'a' && u <= 'z' ? u - 32 : u;
        };
        const int d = static_cast<int>(fold(a[i])) - static_cast<int>(fold(b[i]));
        if (d != 0)
            return d;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

namespace {

std::optional<std::int32_t> int32Of(const std::string& text) {
    const auto v = oradb::parseInteger(text);
    if (!v || *v < INT32_MIN || *v > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

// A sort key: whether the text converts, and its value.
struct Key {
    bool valid = false;
    long double value = 0;
    std::string text;
};

Key keyOf(const std::string& text, TCompareRule rule) {
    Key k;
    switch (rule) {
    case TCompareRule::Text:
        k.valid = true;
        k.text = text;
        break;
    case TCompareRule::IntegerText:
        if (const auto v = int32Of(text)) {
            k.valid = true;
            k.value = *v;
        }
        break;
    case TCompareRule::DateTimeText:
        if (const auto d = util::parseDateTime(text)) {
            k.valid = true;
            k.value = std::llround(*d * 86400000.0);
        }
        break;
    case TCompareRule::Numeric:
        if (const auto f = oradb::parseFloat(text)) {
            k.valid = true;
            k.value = *f;
        }
        break;
    }
    return k;
}

} // namespace

int IntegerTextCompare(const std::string& a, const std::string& b) {
    const auto x = int32Of(a), y = int32Of(b);
    if (!x || !y)
        return 0;
    const long long d = static_cast<long long>(*x) - *y;
    return d < 0 ? (d < INT_MIN ? INT_MIN : static_cast<int>(d))
                 : (d > INT_MAX ? INT_MAX : static_cast<int>(d));
}

long long DateTimeTextCompare(const std::string& a, const std::string& b) {
    const auto x = util::parseDateTime(a), y = util::parseDateTime(b);
    if (!x || !y)
        return 0;
    const long long dayX = static_cast<long long>(std::floor(*x));
    const long long dayY = static_cast<long long>(std::floor(*y));
    if (dayX != dayY)
        return dayX - dayY;
    return std::llround((*x - dayX) * 86400000.0) - std::llround((*y - dayY) * 86400000.0);
}

std::vector<int> SortedOrder(const std::vector<std::string>& texts, TCompareRule rule,
                             bool ascending) {
    std::vector<Key> keys;
    keys.reserve(texts.size());
    for (const auto& t : texts)
        keys.push_back(keyOf(t, rule));
    std::vector<int> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int i, int j) {
        const Key& a = keys[static_cast<std::size_t>(ascending ? i : j)];
        const Key& b = keys[static_cast<std::size_t>(ascending ? j : i)];
        if (a.valid != b.valid)
            return a.valid; // texts that convert before those that do not (ascending)
        if (!a.valid)
            return false;
        if (rule == TCompareRule::Text)
            return TextCompare(a.text, b.text) < 0;
        return a.value < b.value;
    });
    return order;
}

} // namespace monitor
