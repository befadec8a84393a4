#pragma once

#include <functional>
#include <vector>

// The median of the figures; 0 for none.
double median(std::vector<double> values);

// The median wall time of several runs of the work, in milliseconds.
double medianMs(int runs, const std::function<void()> &work);

// Runs the event loop until done() answers true; false after timeoutMs.
bool waitFor(const std::function<bool()> &done, int timeoutMs);
