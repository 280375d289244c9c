// quenby-bench subcommands: each measurement is one function, registered under its name, that
// prints its figures as "name: value" lines and returns the exit status.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

using Args = std::vector<std::string>;
using Command = int (*)(const Args& args);

struct Registration {
    Registration(const char* name, Command command, const char* usage);
};

// The value after "--name" in args, or the fallback.
std::string option(const Args& args, const std::string& name, const std::string& fallback);
int intOption(const Args& args, const std::string& name, int fallback);

inline double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

inline void figure(const char* name, double value) {
    std::printf("%s: %.2f\n", name, value);
}
inline void figure(const char* name, long long value) {
    std::printf("%s: %lld\n", name, value);
}

} // namespace bench
