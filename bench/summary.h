// The summary after a benchmark table: one figure kept per run, and ratios between runs.
#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

// Prints the usual table and keeps, per run name, the figure that `pick` takes from the run.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    using Pick = std::function<bool(const Run &, double *)>;
    explicit SummaryReporter(Pick pick) : pick_(std::move(pick)) {}

    std::map<std::string, double> figures;

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs) {
            double value;
            if (pick_(r, &value)) {
                figures[r.run_name.str()] = value;
            }
        }
    }

private:
    Pick pick_;
};

// Output speed in MB/s, from the runs that count their bytes.
inline bool PickMegabytesPerSecond(const benchmark::BenchmarkReporter::Run &r, double *value)
{
    auto bytes = r.counters.find("bytes_per_second");
    if (bytes == r.counters.end()) {
        return false;
    }
    *value = double(bytes->second) / 1e6;
    return true;
}

// Seconds per iteration.
inline bool PickSecondsPerIteration(const benchmark::BenchmarkReporter::Run &r, double *value)
{
    if (r.iterations <= 0) {
        return false;
    }
    *value = r.real_accumulated_time / double(r.iterations);
    return true;
}

// figure(a) / figure(b) with two decimals, or "not available" when either run is missing.
inline std::string Ratio(const SummaryReporter &rep, const std::string &a, const std::string &b)
{
    auto x = rep.figures.find(a);
    auto y = rep.figures.find(b);
    if (x == rep.figures.end() || y == rep.figures.end() || y->second <= 0) {
        return "not available";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", x->second / y->second);
    return text;
}
