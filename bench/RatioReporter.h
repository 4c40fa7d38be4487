#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace korvane::bench {

// Runs the registered benchmarks and prints, after the usual table, each measured benchmark's
// time as a ratio of its baseline's time from the same run: CPU time, or real time for
// benchmarks measured in real time (named "NAME/real_time"). A pair missing from the run (left
// out or filtered away) is not printed.
// pairs: {measured benchmark name, baseline benchmark name}.
int runWithRatios(int argc, char** argv,
                  const std::vector<std::pair<std::string, std::string>>& pairs);

} // namespace korvane::bench
