#pragma once
// One long library call (a LAPACK routine on a large matrix) that Stop can
// abandon. On the program thread the call runs on a helper thread (kept for
// the thread's next calls) while the program thread waits in short slices,
// watching its stop flag; on a stop the wait ends at once and the helper is
// left to finish on its own. The work
// must therefore own everything it touches: it captures shared copies of its
// arrays, which are freed when the helper ends. Elsewhere (no program, or no
// thread to be had) the work simply runs here.
#include <functional>
#include <memory>
#include <tuple>
#include <utility>

// 0 when the work ran to its end, 25 (the stop status) when it was abandoned.
// cost: about how many arithmetic operations the work takes; small work runs
// here at once (a helper thread would cost more than it saves).
int RunStoppable(double cost, std::function<void()> work);

// The cost from which work goes to a helper thread. Work whose running time
// its size does not bound (an iterative eigenvalue or singular value driver)
// asks at least this much, so that Stop ends it whatever its size.
constexpr double kStoppableAlways = 2e7;
inline double IterativeCost(double cost) { return cost > kStoppableAlways ? cost : kStoppableAlways; }

// Whether work of this cost, on this thread, goes to a helper thread.
bool StoppableCostWorthAThread(double cost);

// Helpers abandoned by a stop that are still running: a process must not tear
// down the libraries they use while this is above 0.
int AbandonedCallsRunning();

// RunStoppable on the given variables: they are moved into the call, fn works
// on them there (by reference, in the order given; it must capture nothing by
// reference), and they are moved back when the call ends. After a stop they
// are left empty and the result is 25.
template <class Fn, class... Vars>
int StoppableOn(double cost, Fn fn, Vars&... vars)
{
    if (!StoppableCostWorthAThread(cost)) {
        fn(vars...);
        return 0;
    }
    auto owned = std::make_shared<std::tuple<Vars...>>(std::move(vars)...);
    const int st = RunStoppable(cost, [owned, fn]() mutable { std::apply(fn, *owned); });
    if (st == 0) std::tie(vars...) = std::move(*owned);
    return st;
}
