#include "RatioReporter.h"

#include <cstdio>

namespace korvane::bench {

namespace {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        // With repetitions, the median of the repetitions stands for the benchmark.
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0 &&
                !cpuTimes.count(run.run_name.str()))
                cpuTimes[run.run_name.str()] = run.GetAdjustedCPUTime();
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                cpuTimes[run.run_name.str()] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> cpuTimes;
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
    std::printf("\nRatios against the baseline of the same run (CPU time):\n");
    for (const auto& [measured, baseline] : pairs) {
        const auto m = reporter.cpuTimes.find(measured);
        const auto b = reporter.cpuTimes.find(baseline);
        if (m == reporter.cpuTimes.end() || b == reporter.cpuTimes.end() || b->second <= 0)
            continue;
        std::printf("  %-40s %6.2fx  %s\n", measured.c_str(), m->second / b->second,
                    baseline.c_str());
    }
    return 0;
}

} // namespace korvane::bench
