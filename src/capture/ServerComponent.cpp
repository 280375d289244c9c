#include "capture/ServerComponent.h"

#include "oradb/OraError.h"
#include "oradb/OraQuery.h"

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
        q.SQL.Add("select tablespace_name from dba_tablespaces");
        q.Open();
        for (; !q.Eof(); q.Next())
            names.push_back(q.FieldByName("tablespace_name").AsString());
        q.Close();
    } catch (const std::exception&) {
        // The list stays as far as it got; installing then uses "system".
    }
    return names;
}

bool TServerComponent::Install(oradb::TOraSession* session, const std::string& tablespace,
                               bool& present) {
    present = false;
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
