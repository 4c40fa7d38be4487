#include "RatioReporter.h"

#include <cstdio>

namespace korvane::bench {

namespace {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        // With repetitions, the median of the repetitions stands for the benchmark. A benchmark
        // measured in real time (its name ends in "/real_time": part of its work is done by
        // another process, a database server) is compared by real time, the others by the
        // time this process spent. A benchmark that failed has no time to compare.
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            const double time = run.run_name.time_type == "real_time" ? run.GetAdjustedRealTime()
                                                                      : run.GetAdjustedCPUTime();
            if (run.run_type == Run::RT_Iteration && run.iterations > 0 &&
                !times.count(run.run_name.str()))
                times[run.run_name.str()] = time;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                times[run.run_name.str()] = time;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int runWithRatios(int argc, char** argv,
                  const std::vector<std::pair<std::string, std::string>>& pairs) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("\nRatios against the baseline of the same run (CPU time; real time for "
                "/real_time benchmarks):\n");
    for (const auto& [measured, baseline] : pairs) {
        const auto m = reporter.times.find(measured);
        const auto b = reporter.times.find(baseline);
        if (m == reporter.times.end() || b == reporter.times.end() || b->second <= 0)
            continue;
        std::printf("  %-40s %6.2fx  %s\n", measured.c_str(), m->second / b->second,
                    baseline.c_str());
    }
    return 0;
}

} // namespace korvane::bench
