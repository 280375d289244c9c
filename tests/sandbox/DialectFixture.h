// Test support for the sandbox dialect: an in-memory SQLite database with the Oracle functions
// registered, on which translated statements run the way the sandbox driver runs them.
#pragma once

#include "sandbox/OraDialect.h"

#include <cctype>
#include <cstdio>
#include <map>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace dialect_test {

class FixedHost : public oradb::sandbox::FunctionHost {
public:
    std::string now = "2004-06-15 13:45:30";
    std::string user = "SYSTEM";
    std::string sysdateText() override { return now; }
    std::string currentUser() override { return user; }
};

struct Result {
    std::vector<std::string> columns;           // upper case, as the driver shows them
    std::vector<std::vector<std::string>> rows; // "(null)" for NULL
};

class SqliteDb {
public:
    SqliteDb() {
        if (sqlite3_open(":memory:", &db_) != SQLITE_OK)
            throw std::runtime_error("cannot open SQLite");
        oradb::sandbox::registerOracleFunctions(db_, &host);
    }
    ~SqliteDb() { sqlite3_close(db_); }
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    // Plain SQLite text, for setting up tables and rows.
    void exec(const std::string& sql) {
        char* error = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string message = error ? error : "?";
            sqlite3_free(error);
            throw std::runtime_error(message + " in " + sql);
        }
    }

    // Runs SQLite text with named (":name") and positional (?1, ?2, ...) parameters bound as
    // text; SQLite's error text is thrown as std::runtime_error.
    Result query(const std::string& sql, const std::map<std::string, std::string>& named = {},
                 const std::vector<std::string>& positional = {}) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db_));
        for (const auto& [name, value] : named) {
            const int index = sqlite3_bind_parameter_index(st, (":" + name).c_str());
            sqlite3_bind_text(st, index, value.c_str(), -1, SQLITE_TRANSIENT);
        }
        for (std::size_t i = 0; i < positional.size(); ++i)
            sqlite3_bind_text(st, static_cast<int>(i + 1), positional[i].c_str(), -1,
                              SQLITE_TRANSIENT);
        Result r;
        for (int c = 0; c < sqlite3_column_count(st); ++c) {
            std::string name = sqlite3_column_name(st, c);
            for (char& ch : name)
                ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            r.columns.push_back(name);
        }
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                row.push_back(text(st, c));
            r.rows.push_back(std::move(row));
        }
        const std::string error = rc == SQLITE_DONE ? "" : sqlite3_errmsg(db_);
        sqlite3_finalize(st);
        if (!error.empty())
            throw std::runtime_error(error);
        return r;
    }

    // Translates Oracle SQL and runs it.
    Result run(const std::string& oracleSql, const oradb::sandbox::SynonymMap& synonyms = {},
               const std::map<std::string, std::string>& named = {}) {
        return query(oradb::sandbox::translate(oracleSql, synonyms).sql, named);
    }

    // The one value of a one-row, one-column result.
    std::string value(const std::string& oracleSql) {
        const Result r = run(oracleSql);
        if (r.rows.size() != 1 || r.rows[0].size() != 1)
            throw std::runtime_error("not a single value: " + oracleSql);
        return r.rows[0][0];
    }

    // The error text a statement fails with ("" when it runs).
    std::string error(const std::string& oracleSql) {
        try {
            run(oracleSql);
        } catch (const std::exception& e) {
            return e.what();
        }
        return {};
    }

    FixedHost host;
    sqlite3* db_ = nullptr;

private:
    static std::string text(sqlite3_stmt* st, int c) {
        switch (sqlite3_column_type(st, c)) {
        case SQLITE_NULL:
            return "(null)";
        case SQLITE_FLOAT: {
            char buf[40];
            std::snprintf(buf, sizeof buf, "%.15g", sqlite3_column_double(st, c));
            return buf;
        }
        default:
            return reinterpret_cast<const char*>(sqlite3_column_text(st, c));
        }
    }
};

} // namespace dialect_test
