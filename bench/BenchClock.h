// The CPU time of the calling thread, for benchmarks that time a part of an
// iteration against a peer measured in the same run.
#pragma once

#include <ctime>

inline double ThreadNow()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + 1e-9 * double(ts.tv_nsec);
}

template <class F>
double Seconds(F&& f)
{
    const double t0 = ThreadNow();
    f();
    return ThreadNow() - t0;
}
