// How the events pages show wait times and which events they leave out by default: times with
// their unit ("120 ms", "3.250 s") that still sort as numbers, and Oracle's idle events (the
// waits of a process that has nothing to do), which the pages hide unless asked to show them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace monitor {

// A wait time given in seconds: whole milliseconds with " ms" below one second, else seconds with
// three decimals and " s", in the user's decimal format.
std::string FormatWaitTime(double seconds);

// The seconds of a text FormatWaitTime wrote, or of a plain number; nothing for other texts.
std::optional<double> ParseWaitTime(const std::string& text);

// True for the events Oracle counts in its "Idle" wait class: a session waiting for its client,
// a background process waiting for work or for its timer.
bool IsIdleEvent(std::string_view event);

} // namespace monitor
