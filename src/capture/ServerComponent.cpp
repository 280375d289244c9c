#include "capture/ServerComponent.h"

#include "oradb/OraError.h"
#include "oradb/OraQuery.h"

#include <algorithm>
#include <optional>

namespace capture {

namespace {

void execute(oradb::TOraSession* session, const std::string& text) {
    oradb::TOraSQL sql(session);
    sql.SQL.Clear();
    sql.SQL.Add(text);
    sql.Execute();
}

void dropAll(oradb::TOraSession* session) {
    for (const std::string& statement : DropStatements()) {
        try {
            execute(session, statement);
        } catch (const std::exception&) {
            // Missing objects or rights: the next drop follows.
        }
    }
}

} // namespace

const std::vector<std::string>& DropStatements() {
    static const std::vector<std::string> statements = {
        "drop public synonym public_qby_capturesql",
        "drop public synonym public_qby_sqlcollector",
        "alter table system.qby_capturesql drop constraint op_uniq123",
        "drop table system.qby_capturesql",
        "drop table system.qby_sqlcollector",
    };
    return statements;
}

std::string StorageClause(const std::string& tablespace) {
    return (tablespace.empty() ? std::string("system") : tablespace) +
           " NOLOGGING storage (pctincrease 0)";
}

std::vector<std::string> CreateStatements(const std::string& storage) {
    return {
        "create table system.qby_capturesql(saddr varchar2(30),sid number,user_name "
        "varchar2(20),address varchar2(30),osuser varchar2(30),machine varchar2(64),terminal "
        "varchar2(30),program varchar2(48),module varchar2(48),action varchar2(32),client_info "
        "varchar2(64),hash_value varchar2(30),fetchtime date,constraint op_uniq123 unique "
        "(sid,saddr,address,hash_value)) tablespace " +
            storage,
        "create public synonym public_qby_capturesql for system.qby_capturesql",
        "create table system.qby_sqlcollector(colid  number,colname varchar2(20),coldesc  "
        "varchar2(50),colsaddr  varchar2(30),colsid  number,colusername  varchar2(64),isschedule  "
        "number,scheduledate  number,schedulehour  number,scheduleminute  number,rtp  "
        "number,monitors  number,collogfilename  varchar2(30),collogfiledir  varchar2(100)) "
        "tablespace " +
            storage,
        "create public synonym public_qby_sqlcollector for system.qby_sqlcollector",
    };
}

std::vector<std::string> ListTablespaces(oradb::TOraSession* session) {
    std::vector<std::string> names;
    try {
        oradb::TOraQuery q(session);
        q.SQL.Add("select tablespace_name from dba_tablespaces where contents='PERMANENT'");
        q.Open();
        for (; !q.Eof(); q.Next())
            names.push_back(q.FieldByName("tablespace_name").AsString());
        q.Close();
    } catch (const std::exception&) {
        // The list stays as far as it got; installing then uses "system".
    }
    return names;
}

namespace {

// The rows of `object`, or nothing when it cannot be read (it does not exist).
std::optional<std::int64_t> rowCount(oradb::TOraSession* session, const std::string& object) {
    try {
        oradb::TOraQuery q(session);
        q.SQL.Add("select count(*) n from " + object);
        q.Open();
        const std::int64_t n = q.FieldByName("n").AsInteger();
        q.Close();
        return n;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace

TComponentInventory ComponentInventory(oradb::TOraSession* session) {
    TComponentInventory inventory;
    if (const auto n = rowCount(session, "system.qby_capturesql")) {
        inventory.tables.push_back("SYSTEM.QBY_CAPTURESQL");
        inventory.capturedRows = *n;
    }
    if (const auto n = rowCount(session, "system.qby_sqlcollector")) {
        inventory.tables.push_back("SYSTEM.QBY_SQLCOLLECTOR");
        inventory.collectors = *n;
    }
    for (const char* synonym : {"PUBLIC_QBY_CAPTURESQL", "PUBLIC_QBY_SQLCOLLECTOR"})
        if (rowCount(session, synonym))
            inventory.synonyms.push_back(synonym);
    return inventory;
}

std::string UninstallQuestion(const TComponentInventory& inventory) {
    auto joined = [](const std::vector<std::string>& names) {
        std::string text;
        for (const std::string& name : names)
            text += (text.empty() ? "" : ", ") + name;
        return text.empty() ? std::string("none") : text;
    };
    return "Remove the server component of the SQL capture?\n\nThese will be dropped:\n"
           "- tables: " +
           joined(inventory.tables) + "\n- public synonyms: " + joined(inventory.synonyms) +
           "\n- " + std::to_string(inventory.collectors) +
           (inventory.collectors == 1 ? " collector" : " collectors") + " and " +
           std::to_string(inventory.capturedRows) +
           (inventory.capturedRows == 1 ? " captured row" : " captured rows") +
           "\n\nThis cannot be undone.";
}

bool TServerComponent::Install(oradb::TOraSession* session, const std::string& tablespace,
                               bool& present) {
    present = false;
    if (!tablespace.empty()) {
        const std::vector<std::string> permanent = ListTablespaces(session);
        if (std::find(permanent.begin(), permanent.end(), tablespace) == permanent.end()) {
            if (ShowError)
                ShowError(tablespace + " is not a permanent tablespace: the capture tables need "
                                       "one that keeps tables, such as USERS.");
            return false;
        }
    }
    dropAll(session);
    try {
        for (const std::string& statement : CreateStatements(StorageClause(tablespace)))
            execute(session, statement);
        present = true;
    } catch (const std::exception& e) {
        if (ShowError)
            ShowError(e.what());
    }
    return present;
}

void TServerComponent::Uninstall(oradb::TOraSession* session, bool& present) {
    present = false;
    dropAll(session);
}

} // namespace capture
