// quenby-bench: runs one measurement by name and prints its figures.
#include "Bench.h"

#include <QApplication>
#include <cstdlib>
#include <cstring>
#include <map>

namespace bench {

namespace {
struct Entry {
    Command command;
    const char* usage;
};
std::map<std::string, Entry>& commands() {
    static std::map<std::string, Entry> all;
    return all;
}
} // namespace

Registration::Registration(const char* name, Command command, const char* usage) {
    commands()[name] = {command, usage};
}

std::string option(const Args& args, const std::string& name, const std::string& fallback) {
    for (std::size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == "--" + name)
            return args[i + 1];
    return fallback;
}

int intOption(const Args& args, const std::string& name, int fallback) {
    return std::atoi(option(args, name, std::to_string(fallback)).c_str());
}

} // namespace bench

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const auto& all = bench::commands();
    if (argc < 2 || !all.count(argv[1])) {
        std::fprintf(stderr, "usage: quenby-bench COMMAND [OPTIONS]\n");
        for (const auto& [name, entry] : all)
            std::fprintf(stderr, "  %s %s\n", name.c_str(), entry.usage);
        return 2;
    }
    return all.at(argv[1]).command(bench::Args(argv + 2, argv + argc));
}
