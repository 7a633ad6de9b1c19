#include "page_clock.h"

#include <emscripten.h>

namespace bass
{
namespace
{

EM_JS(double, quorl_page_clock_ms, (), { return Module.quorlPage.clockMs(); });

} // namespace

PageClock::time_point PageClock::now()
{
    return time_point(duration(static_cast<rep>(quorl_page_clock_ms() * 1e6)));
}

} // namespace bass
