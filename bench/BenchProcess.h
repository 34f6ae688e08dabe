// Scratch folders, the program's own folder, and timed runs of other
// programs, for benchmarks that compare the editor with a peer's command.
#pragma once

#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace bench {

// A folder of its own under /tmp, removed with everything in it at exit.
struct CScratch {
    std::string dir;
    explicit CScratch(const char* name)
    {
        std::string tmpl = std::string("/tmp/tesvan-bench-") + name + "-XXXXXX";
        if (mkdtemp(tmpl.data()))
            dir = tmpl;
    }
    ~CScratch()
    {
        if (!dir.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(dir, ec);
        }
    }
    std::string Path() const { return dir.empty() ? std::string("/tmp") : dir; }
};

inline std::string SelfDir()
{
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string self(buf, n > 0 ? size_t(n) : 0);
    return self.substr(0, self.find_last_of('/') + 1);
}

inline double Now()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Runs a program to its end, its output discarded; seconds, or -1 on failure.
inline double Run(const std::vector<std::string>& argv)
{
    const double t0 = Now();
    const pid_t pid = fork();
    if (pid == 0) {
        FILE* devnull = std::freopen("/dev/null", "w", stdout);
        (void)devnull;
        devnull = std::freopen("/dev/null", "w", stderr);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const double t = Now() - t0;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? t : -1;
}

// Times two commands alternately, `rounds` times per benchmark iteration,
// keeping the best of each; false (the benchmark told why) when one fails.
inline bool BestOfPair(benchmark::State& state, const std::vector<std::string>& first,
                       const std::vector<std::string>& second, int rounds, double& bestFirst,
                       double& bestSecond)
{
    bestFirst = bestSecond = 1e9;
    for (auto _ : state) {
        for (int r = 0; r < rounds; ++r) {
            const double a = Run(first), b = Run(second);
            if (a < 0 || b < 0) {
                state.SkipWithError("a process failed");
                return false;
            }
            bestFirst = std::min(bestFirst, a);
            bestSecond = std::min(bestSecond, b);
        }
    }
    return true;
}

} // namespace bench
