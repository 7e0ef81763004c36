#pragma once
// Shared by the window benchmarks (one executable, one main in
// PreviewPanBench.cpp): what a benchmark's scene leaves to tidy up before
// the toolkit goes.

#include <functional>

// Runs at the end, after every benchmark, before the toolkit is cleaned up.
void AddUiBenchCleanup(std::function<void()> cleanup);
