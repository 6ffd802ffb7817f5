#pragma once
// Registering and running the database benchmarks, and the times of their
// runs for a summary after them.
#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace bench {

// The console table, and the time per iteration of every run by registered
// name. With --benchmark_repetitions the median of the repetitions counts:
// the machine may be busy with other work.
class MedianReporter : public benchmark::ConsoleReporter {
  public:
    explicit MedianReporter(bool color);
    void ReportRuns(const std::vector<Run> &runs) override;
    // Milliseconds per iteration of `name`; 0 for a benchmark that did not run.
    double Ms(const std::string &name) const;

  private:
    std::map<std::string, std::vector<double>> seconds_;
    std::map<std::string, double> medians_;
};

// Registers `function(state, dialect, args...)` as <name>/<dialect>, timed in
// milliseconds of real time.
template <typename Function, typename... Args>
benchmark::internal::Benchmark *RegisterFor(const std::string &name, const std::string &dialect,
                                            Function function, Args... args) {
    return benchmark::RegisterBenchmark((name + "/" + dialect).c_str(), function, dialect, args...)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

// Runs the benchmarks the command line selects with a MedianReporter (in
// colour on a terminal), then `summary`. 1 for arguments Google Benchmark does
// not know, otherwise 0.
int RunBenchmarks(int argc, char **argv,
                  const std::function<void(const MedianReporter &)> &summary);

}  // namespace bench
