#pragma once

#include <QtGlobal>

#include <functional>
#include <vector>

// The median of the figures; 0 for none.
double median(std::vector<double> values);

// The median wall time of several runs of the work, in milliseconds.
double medianMs(int runs, const std::function<void()> &work);

// Runs the event loop until done() answers true; false after timeoutMs.
bool waitFor(const std::function<bool()> &done, int timeoutMs);

// Summary of latencies given in nanoseconds, in the unit nsPerUnit makes
// (1e3 for microseconds, 1e6 for milliseconds); all 0 for none.
struct LatencyFigures
{
    double mean = 0;
    double median = 0;
    double p99 = 0;
    double min = 0;
    double max = 0;
    int count = 0;
};

LatencyFigures latencyFigures(std::vector<qint64> ns, double nsPerUnit);
