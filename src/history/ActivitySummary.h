// What the activity history says about a time range: how many sessions were active on average,
// and the top sessions, SQL and events with their shares (percent of the range's samples). The
// one reading of a range that the Activity page and quenby-history both show. Any thread that
// may use the connection (THistoryStore::Read).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;

namespace history {

struct TTopEntry {
    std::vector<std::string> keys; // the list's columns (TopColumns)
    std::int64_t samples = 0;
    double percent = 0; // of all active-session samples of the range
};

struct TActivitySummary {
    std::int64_t from = 0, to = 0; // the range, seconds since the epoch, `to` excluded
    std::int64_t instants = 0;     // sampling instants in the range
    std::int64_t samples = 0;      // active sessions seen over those instants
    double averageActive = 0;      // samples per instant
    std::vector<TTopEntry> sessions, sql, events;
};

enum class TTopList { Sessions, Sql, Events };
// The column captions of a top list, its keys first, then "SAMPLES" and "PERCENT".
std::vector<std::string> TopColumns(TTopList list);

// Reads the range [from, to) of the store's tables; at most `limit` entries per list, the
// largest first. Raises std::runtime_error when the store cannot be read.
TActivitySummary SummarizeActivity(sqlite3* db, std::int64_t from, std::int64_t to, int limit = 10);

} // namespace history
