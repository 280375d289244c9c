// quenby-bench: runs one measurement by name and prints its figures.
#include "Bench.h"
#include "util/Version.h"

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

namespace {

void printUsage(std::FILE* to) {
    std::fprintf(to, "usage: quenby-bench COMMAND [OPTIONS]\n"
                     "       quenby-bench --help | --version\n"
                     "Runs one measurement and prints each figure as a \"name: value\" line.\n"
                     "Commands:\n");
    for (const auto& [name, entry] : bench::commands())
        std::fprintf(to, "  %s %s\n", name.c_str(), entry.usage);
    std::fprintf(to, "Options:\n"
                     "  -h, --help     print this help and exit\n"
                     "  -v, --version  print the version of quenby-bench and of Qt and exit\n"
                     "Exit status:\n"
                     "  0  the measurement ran (or the help or the version was printed)\n"
                     "  1  the measurement failed\n"
                     "  2  the command line could not be used; the usage is printed on standard "
                     "error\n");
}

} // namespace

int main(int argc, char** argv) {
    // Help and version before the application object, so that they answer without a display.
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        printUsage(stdout);
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "-v") == 0)) {
        std::printf("quenby-bench %s (Qt %s)\n", util::kProgramVersion, qVersion());
        return 0;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const auto& all = bench::commands();
    if (argc < 2 || !all.count(argv[1])) {
        printUsage(stderr);
        return 2;
    }
    return all.at(argv[1]).command(bench::Args(argv + 2, argv + argc));
}
