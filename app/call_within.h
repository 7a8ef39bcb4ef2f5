#pragma once

#include <chrono>
#include <functional>

// Runs work on a thread of its own and waits at most `bound` for it. True
// when it returned in time; false when it is still running, and then it is
// left to finish (or hang) on its own, so work must not refer to anything of
// the caller's that ends with the call. An exception from work ends work and
// counts as returning. False, without running work, when no thread can be
// made.
bool CallWithin(std::function<void()> work, std::chrono::milliseconds bound);
