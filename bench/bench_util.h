// Benchmarks: what every program shares. `--quick` (one short repetition, for the test run),
// colour only on a terminal, and the checks that each side of a pair really did its work before
// the pair's ratio is printed.
#pragma once
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

namespace bench {

// Removes `--quick` from the arguments (the rest go to the benchmark library) and says whether
// it was there.
inline bool TakeQuick(int& argc, char** argv) {
    bool quick = false;
    int out = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0)
            quick = true;
        else
            argv[out++] = argv[i];
    }
    argc = out;
    argv[argc] = nullptr;
    return quick;
}

// Colour escapes only when a person reads the output: a script reading `ratio` lines from a
// pipe or a file gets plain lines.
inline benchmark::ConsoleReporter::OutputOptions ConsoleOptions() {
    return isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Defaults : benchmark::ConsoleReporter::OO_Tabular;
}

// The result of checking each side's work after the timing. A failed check prints
// "error: ..." and keeps every ratio that needs that side from being printed.
class Checks {
public:
    explicit Checks(const char* program) : program_(program) {}

    // Records the check of `side`; returns ok.
    bool Expect(const std::string& side, bool ok, const std::string& what) {
        if (!ok) {
            std::fflush(stdout);
            std::printf("error: %s: %s: %s\n", program_, side.c_str(), what.c_str());
            std::fflush(stdout);
            failed_.insert(side);
        }
        return ok;
    }
    bool Passed(const std::string& side) const { return failed_.count(side) == 0; }
    bool AnyFailed() const { return !failed_.empty(); }

    // Prints "ratio NAME VALUE" when both sides passed their checks and the value is a number.
    void Ratio(const char* name, const std::string& ours, const std::string& theirs, double value,
               const char* format = "%.2f") {
        if (!Passed(ours) || !Passed(theirs)) return;
        if (!(value > 0) || value != value) {
            Expect(ours, false, std::string("no timing for the ratio ") + name);
            return;
        }
        std::printf("ratio %s ", name);
        std::printf(format, value);
        std::printf("\n");
    }
    void Figure(const char* name, const std::string& side, double value, const char* format = "%.1f") {
        if (!Passed(side)) return;
        std::printf("figure %s ", name);
        std::printf(format, value);
        std::printf("\n");
    }
    // The program's exit status.
    int Status() const {
        std::fflush(stdout);
        return AnyFailed() ? 1 : 0;
    }

private:
    const char* program_;
    std::set<std::string> failed_;
};

}  // namespace bench
