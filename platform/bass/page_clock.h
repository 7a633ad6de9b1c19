// The clock of the audio library in the browser: the page's, so that the page
// decides what time it is. Normally that is its monotonic clock
// (performance.now); a test page may step it one frame at a time instead
// (platform/web/quorl.html).
#pragma once

#include <chrono>

namespace bass
{

struct PageClock
{
    using duration = std::chrono::nanoseconds;
    using rep = duration::rep;
    using period = duration::period;
    using time_point = std::chrono::time_point<PageClock>;
    static constexpr bool is_steady = true;

    static time_point now();
};

} // namespace bass
