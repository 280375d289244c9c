// The activity of a time range as a chart shows it: the average number of active sessions by
// wait class in buckets of equal length (a reduced series: at most as many buckets as asked
// for, whatever the range), and the range's samples written as CSV. Any thread that may use the
// connection (THistoryStore::Read).
#pragma once

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

struct sqlite3;

namespace history {

// The number of chart wait classes (ChartWaitClasses).
constexpr int kWaitClassCount = 9;
// The index of a wait class in ChartWaitClasses; "Other" for a class outside it.
int WaitClassIndex(const std::string& waitClass);

struct TActivitySeries {
    std::int64_t from = 0, to = 0; // seconds since the epoch, `to` excluded
    std::int64_t bucketSeconds = 1;
    // Per bucket, the average active sessions of each class over the bucket's sampling instants.
    std::vector<std::array<double, kWaitClassCount>> buckets;
    // Per bucket, whether any instant was sampled in it.
    std::vector<bool> sampled;
    // The largest sum of the classes of one bucket.
    double Peak() const;
};

// Reads [from, to) in at most `maxBuckets` buckets of whole seconds.
TActivitySeries ReadActivitySeries(sqlite3* db, std::int64_t from, std::int64_t to, int maxBuckets);

// Writes the samples of [from, to) as CSV (RFC 4180) with a header line: TIME (local,
// yyyy-MM-dd HH:mm:ss), SID, SERIAL#, USER, PROGRAM, MACHINE, SQL_ID, EVENT, WAIT_CLASS, STATE
// (ON CPU or WAITING), BLOCKING_SESSION. Returns the number of samples written.
std::int64_t WriteSamplesCsv(sqlite3* db, std::int64_t from, std::int64_t to, std::ostream& out);

} // namespace history
