#include "bench_reporter.h"

#include <unistd.h>

#include <algorithm>

namespace bench {

MedianReporter::MedianReporter(bool color)
    : ConsoleReporter(color ? OO_ColorTabular : OO_Tabular) {}

void MedianReporter::ReportRuns(const std::vector<Run> &runs) {
    for (const Run &run : runs) {
        if (run.error_occurred || run.iterations <= 0) continue;
        const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
        if (run.run_type == Run::RT_Iteration)
            seconds_[run.run_name.function_name].push_back(seconds);
        else if (run.aggregate_name == "median")  // --benchmark_report_aggregates_only
            medians_[run.run_name.function_name] = seconds;
    }
    ConsoleReporter::ReportRuns(runs);
}

double MedianReporter::Ms(const std::string &name) const {
    auto median = medians_.find(name);
    if (median != medians_.end()) return median->second * 1000.0;
    auto found = seconds_.find(name);
    if (found == seconds_.end()) return 0;
    std::vector<double> times = found->second;
    std::sort(times.begin(), times.end());
    const std::size_t n = times.size();
    return (n % 2 == 1 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2) * 1000.0;
}

int RunBenchmarks(int argc, char **argv,
                  const std::function<void(const MedianReporter &)> &summary) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    MedianReporter reporter(::isatty(STDOUT_FILENO) == 1);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    summary(reporter);
    return 0;
}

}  // namespace bench
