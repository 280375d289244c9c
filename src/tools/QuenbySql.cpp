// quenby-sql: runs SQL statements on an instance through the data-access layer and prints their
// rows, aligned or as CSV. For DBAs' scripts and for trying statements.
#include "oradb/OraError.h"
#include "oradb/OraQuery.h"
#include "oradb/OraSession.h"
#include "tools/QuenbySqlArgs.h"
#include "tools/SqlScript.h"
#include "util/TextHelpers.h"
#include "util/Version.h"

#include <QtGlobal>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using util::csvField;

void printCsv(oradb::TOraQuery& q) {
    const int n = q.FieldCount();
    for (int i = 0; i < n; ++i)
        std::cout << (i ? "," : "") << csvField(q.Fields(i).FieldName());
    std::cout << "\r\n";
    for (; !q.Eof(); q.Next()) {
        for (int i = 0; i < n; ++i)
            std::cout << (i ? "," : "") << csvField(q.Fields(i).AsString());
        std::cout << "\r\n";
    }
}

// Display width of UTF-8 text: one column per code point.
std::size_t width(const std::string& s) {
    std::size_t w = 0;
    for (unsigned char c : s)
        w += (c & 0xC0) != 0x80;
    return w;
}

void printAligned(oradb::TOraQuery& q) {
    const int n = q.FieldCount();
    std::vector<std::vector<std::string>> rows;
    std::vector<std::size_t> widths(static_cast<std::size_t>(n));
    std::vector<bool> numeric(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        widths[static_cast<std::size_t>(i)] = width(q.Fields(i).FieldName());
        const auto t = q.Fields(i).DataType();
        numeric[static_cast<std::size_t>(i)] =
            t == oradb::TFieldType::ftFloat || t == oradb::TFieldType::ftInteger;
    }
    for (; !q.Eof(); q.Next()) {
        std::vector<std::string> row;
        for (int i = 0; i < n; ++i) {
            row.push_back(q.Fields(i).AsString());
            widths[static_cast<std::size_t>(i)] =
                std::max(widths[static_cast<std::size_t>(i)], width(row.back()));
        }
        rows.push_back(std::move(row));
    }
    auto printLine = [&](const std::vector<std::string>& cells) {
        std::string line;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const std::string pad(widths[i] - width(cells[i]), ' ');
            if (i)
                line += ' ';
            line += numeric[i] ? pad + cells[i] : cells[i] + (i + 1 < cells.size() ? pad : "");
        }
        std::cout << line << '\n';
    };
    printLine(q.FieldNames());
    for (const auto& row : rows)
        printLine(row);
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<quenby_sql::Arguments> args = quenby_sql::parseArguments(argc, argv);
    if (!args) {
        std::cerr << quenby_sql::kUsage;
        return 2;
    }
    if (args->help) {
        std::cout << quenby_sql::kHelp;
        return 0;
    }
    if (args->version) {
        std::cout << "quenby-sql " << util::kProgramVersion << " (Qt " << qVersion() << ")\n";
        return 0;
    }
    const bool csv = args->csv;
    const std::vector<std::string>& statements = args->statements;
    const bool fromStdin = statements.empty();

    try {
        oradb::TOraSession session;
        session.Username = args->username;
        session.Password = args->password;
        session.Server = args->server;
        session.Privilege = args->privilege;
        session.ConnectDirect();

        oradb::TOraQuery query(&session);
        // Runs one item; false when nothing after it is to run.
        auto run = [&](const quenby_sql::ScriptItem& item) {
            using Kind = quenby_sql::ScriptItem::Kind;
            if (item.kind == Kind::Exit)
                return false;
            if (item.kind == Kind::Prompt) {
                std::cout << item.text << '\n';
                return true;
            }
            if (item.kind == Kind::Error)
                throw std::runtime_error("quenby-sql: " + item.text);
            if (item.kind == Kind::Unsupported)
                throw std::runtime_error("quenby-sql does not carry out the SQL*Plus command \"" +
                                         item.text + "\"");
            query.SQL.Clear();
            query.SQL.Add(item.text);
            query.Open();
            if (query.FieldCount() == 0)
                std::cout << "Statement processed.\n";
            else if (csv)
                printCsv(query);
            else
                printAligned(query);
            query.Close();
            std::cout.flush();
            return true;
        };
        auto runAll = [&](const std::vector<quenby_sql::ScriptItem>& items) {
            for (const quenby_sql::ScriptItem& item : items)
                if (!run(item))
                    return false;
            return true;
        };

        if (!fromStdin) {
            for (const std::string& statement : statements)
                if (!runAll(quenby_sql::splitScript(statement)))
                    break;
        } else if (isatty(STDIN_FILENO)) {
            // Typed at a terminal: statements end as in SQL*Plus and run as soon as they end.
            quenby_sql::ScriptReader reader(false);
            std::string line;
            bool more = true;
            while (more && std::getline(std::cin, line))
                more = runAll(reader.addLine(line));
            if (more)
                runAll(reader.finish());
        } else {
            // A script: read whole, so that its form (one statement per line, or statements
            // ended by ';' and '/') is known before the first statement runs.
            const std::string text{std::istreambuf_iterator<char>(std::cin),
                                   std::istreambuf_iterator<char>()};
            runAll(quenby_sql::splitScript(text));
        }
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
