#include "measurement.h"

#include <algorithm>
#include <ctime>

namespace Measurement {

Stats stats(std::vector<double> values)
{
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return {n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2, values.back()};
}

namespace {

double clockMs(clockid_t clock)
{
    timespec ts;
    clock_gettime(clock, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

} // namespace

double cpuMs()
{
    return clockMs(CLOCK_PROCESS_CPUTIME_ID);
}

double wallMs()
{
    return clockMs(CLOCK_MONOTONIC);
}

void Stopwatch::start()
{
    m_wallStart = wallMs();
    m_cpuStart = cpuMs();
}

void Stopwatch::stop()
{
    m_cpu += cpuMs() - m_cpuStart;
    m_wall += wallMs() - m_wallStart;
}

void Stopwatch::record(Series *series)
{
    if (series) {
        series->wall.push_back(m_wall);
        series->cpu.push_back(m_cpu);
    }
    m_wall = 0;
    m_cpu = 0;
}

Series measure(int runs, const std::function<void()> &prepare,
               const std::function<void()> &work, const std::function<void()> &check)
{
    Series series;
    Stopwatch watch;
    for (int i = -1; i < runs; ++i) {
        prepare();
        watch.start();
        work();
        watch.stop();
        check();
        watch.record(i < 0 ? nullptr : &series);
    }
    return series;
}

} // namespace Measurement
