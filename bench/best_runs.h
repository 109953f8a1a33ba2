// Benchmarks: a console reporter that keeps the best items-per-second of each benchmark's
// repetitions (the machine may be shared, and the best run is the least disturbed one).
#pragma once
#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

class BestRuns : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> best;   // by the name the benchmark was registered under
    explicit BestRuns(OutputOptions options = OO_Defaults) : ConsoleReporter(options) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration) continue;
            auto it = r.counters.find("items_per_second");
            if (it == r.counters.end()) continue;
            double& b = best[r.run_name.function_name];
            b = std::max(b, static_cast<double>(it->second));
        }
    }
};
