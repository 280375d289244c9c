// Runs one of the built programs as a user runs it: a child process with these arguments, its
// standard output and standard error read apart, and its exit status.
#pragma once

#include <algorithm>
#include <array>
#include <csignal>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace testing_support {

struct ProgramRun {
    int status = -1; // the exit status; -1 when the program did not exit by itself
    std::string out;
    std::string err;
};

// What a child sees besides its arguments: this process's environment without the variables
// named in `unset`, plus `set` ("NAME=value"), and `input` on its standard input.
struct ProgramSetting {
    std::vector<std::string> unset;
    std::vector<std::string> set;
    std::string input;
};

inline ProgramRun RunProgram(const std::string& path, const std::vector<std::string>& args,
                             const ProgramSetting& setting = {}) {
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (std::find(setting.unset.begin(), setting.unset.end(), name) == setting.unset.end())
            environment.push_back(entry);
    }
    environment.insert(environment.end(), setting.set.begin(), setting.set.end());
    std::vector<char*> envp;
    for (auto& e : environment)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    int in[2], out[2], err[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0)
        throw std::runtime_error("pipe");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            ::close(fd);
        ::execve(path.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    // The input is a few lines at most: it fits the pipe, so writing it first cannot stall.
    if (!setting.input.empty() && ::write(in[1], setting.input.data(), setting.input.size()) < 0) {
        ::close(in[1]);
        throw std::runtime_error("write");
    }
    ::close(in[1]);
    ProgramRun run;
    // Both pipes at once, so that a program filling one while we read the other cannot stall.
    std::array<pollfd, 2> fds{pollfd{out[0], POLLIN, 0}, pollfd{err[0], POLLIN, 0}};
    std::array<std::string*, 2> into{&run.out, &run.err};
    int open = 2;
    while (open > 0 && ::poll(fds.data(), fds.size(), 60000) > 0) {
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            std::array<char, 4096> buf{};
            const ssize_t n = ::read(fds[i].fd, buf.data(), buf.size());
            if (n > 0) {
                into[i]->append(buf.data(), static_cast<std::size_t>(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (const pollfd& p : fds)
        if (p.fd >= 0) {
            ::kill(pid, SIGKILL);
            ::close(p.fd);
        }
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace testing_support
