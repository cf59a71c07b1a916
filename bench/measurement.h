#pragma once

#include <functional>
#include <vector>

// Timing shared by the benchmarks: every step is run once untimed, to bring
// the file into the system's cache, then timed over a number of runs.
namespace Measurement {

struct Stats
{
    double median = 0;
    double worst = 0;
};

Stats stats(std::vector<double> values);

// Processor time of this process, in ms: on a machine shared with other work
// the wall time of a step longer than a time slice is partly waiting.
double cpuMs();
double wallMs();

struct Series
{
    std::vector<double> wall;
    std::vector<double> cpu;

    Stats wallStats() const { return stats(wall); }
    Stats cpuStats() const { return stats(cpu); }
};

// Times one operation that may be made of several segments, with untimed work
// (the operator typing) between them.
class Stopwatch
{
public:
    void start();
    void stop();
    // Adds the segments timed since the last record() to the series.
    void record(Series *series);

private:
    double m_wallStart = 0;
    double m_cpuStart = 0;
    double m_wall = 0;
    double m_cpu = 0;
};

// Each run starts from the same state (prepare, untimed), then the work is
// timed, then checked: a fast wrong answer must not pass for a result.
Series measure(int runs, const std::function<void()> &prepare,
               const std::function<void()> &work, const std::function<void()> &check);

} // namespace Measurement
