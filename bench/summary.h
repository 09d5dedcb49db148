// The summary after a benchmark table: the median figure of each run over its repetitions, its
// spread, and ratios between runs.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

// Prints the usual table and keeps, per run name, the figure that `pick` takes from each repetition
// (aggregates are not figures): `figures` holds their median, `samples` all of them.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    using Pick = std::function<bool(const Run &, double *)>;
    explicit SummaryReporter(Pick pick) : pick_(std::move(pick)) {}

    std::map<std::string, double> figures;
    std::map<std::string, std::vector<double>> samples;

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs) {
            double value;
            // Named as without repetitions, whether they came from the code or the command line.
            benchmark::BenchmarkName key = r.run_name;
            key.repetitions.clear();
            const std::string name = key.str();
            // Where only the aggregates are reported, the median's own figure stands.
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median" && samples.count(name) == 0 &&
                pick_(r, &value)) {
                figures[name] = value;
            }
            if (r.run_type == Run::RT_Iteration && pick_(r, &value)) {
                std::vector<double> &all = samples[name];
                all.push_back(value);
                std::vector<double> sorted = all;
                std::sort(sorted.begin(), sorted.end());
                const size_t n = sorted.size();
                figures[name] = n % 2 == 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
            }
        }
    }

    // "min-max over n" of a run's repetitions, scaled as its figure is printed.
    std::string Spread(const std::string &name, double scale = 1.0, const char *format = "%.3f") const
    {
        auto it = samples.find(name);
        if (it == samples.end() || it->second.empty()) {
            return "not available";
        }
        auto [lo, hi] = std::minmax_element(it->second.begin(), it->second.end());
        char low[32], high[32], text[96];
        std::snprintf(low, sizeof low, format, *lo * scale);
        std::snprintf(high, sizeof high, format, *hi * scale);
        std::snprintf(text, sizeof text, "%s-%s over %zu", low, high, it->second.size());
        return text;
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

// Items (pictures, frames) per second, from the runs that count them.
inline bool PickItemsPerSecond(const benchmark::BenchmarkReporter::Run &r, double *value)
{
    auto it = r.counters.find("items_per_second");
    if (it == r.counters.end()) {
        return false;
    }
    *value = double(it->second);
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

// A run's figure as whole MB/s, or "not available" when the run is missing.
inline std::string Speed(const SummaryReporter &rep, const std::string &name)
{
    auto it = rep.figures.find(name);
    if (it == rep.figures.end()) {
        return "not available";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.0f MB/s", it->second);
    return text;
}

// The floor of drawing a frame, timed beside the render figures: one memset of a 640x480 16-bit frame.
inline void BM_MemsetFrame(benchmark::State &state)
{
    std::vector<uint8_t> frame(size_t(640) * 480 * 2);
    for (auto _ : state) {
        std::memset(frame.data(), int(state.iterations() & 0xFF), frame.size());
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
}
