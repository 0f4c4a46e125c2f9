#pragma once
// The clock the benchmark programs share: each timed step runs it from Start to Stop (both inside the
// paused set-up of an iteration); it records the step's wall time as the iteration's manual time and
// keeps the wall and this thread's CPU time of every iteration, so that counters can report the
// median one: a run held up by a disk flush or another process on the machine does not move the
// figures. Google Benchmark's own time column stays the mean.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <vector>

namespace orva::bench {

inline double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

inline double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

class MedianClock {
public:
    // timesIteration: the clock's steps are the iteration's time. A second clock in the same iteration
    // (a step measured beside the timed one) passes false and only records.
    explicit MedianClock(benchmark::State& state, bool timesIteration = true)
        : m_state(state), m_timesIteration(timesIteration) {}

    void Start() {
        if (m_timesIteration) m_state.ResumeTiming();
        m_wallStart = std::chrono::steady_clock::now();
        m_cpuStart = ThreadCpuSeconds();
    }
    void Stop() {
        double cpu = ThreadCpuSeconds() - m_cpuStart;
        double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_wallStart).count();
        if (m_timesIteration) {
            m_state.PauseTiming();
            m_state.SetIterationTime(wall);
        }
        m_wall.push_back(wall);
        m_cpu.push_back(cpu);
    }

    bool Empty() const { return m_wall.empty(); }
    double MedianWall() const { return Median(m_wall); }
    double MedianCpu() const { return Median(m_cpu); }
    // The wall time of every step, in order.
    const std::vector<double>& Walls() const { return m_wall; }
    // This thread's CPU time of every step, in order.
    const std::vector<double>& Cpus() const { return m_cpu; }

protected:
    benchmark::State& m_state;
    bool m_timesIteration;

private:
    std::chrono::steady_clock::time_point m_wallStart;
    double m_cpuStart = 0;
    std::vector<double> m_wall;
    std::vector<double> m_cpu;
};

}  // namespace orva::bench
