#include "BenchTiming.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <utility>
#include <vector>

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

double medianMs(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    return median(std::move(times));
}

bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

LatencyFigures latencyFigures(std::vector<qint64> ns, double nsPerUnit)
{
    LatencyFigures f;
    f.count = int(ns.size());
    if (ns.empty())
        return f;
    std::sort(ns.begin(), ns.end());
    double sum = 0;
    for (qint64 value : ns)
        sum += double(value);
    const size_t n = ns.size();
    f.mean = sum / double(n) / nsPerUnit;
    f.median = double(ns[n / 2]) / nsPerUnit;
    f.p99 = double(ns[std::min(n - 1, size_t(double(n) * 0.99))]) / nsPerUnit;
    f.min = double(ns.front()) / nsPerUnit;
    f.max = double(ns.back()) / nsPerUnit;
    return f;
}
