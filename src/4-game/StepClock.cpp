#include "StepClock.h"

#include <algorithm>
#include <cmath>

int StepClock::Tick(float dt)
{
    if (!(dt > 0.0f))
        return 0;
    const std::int64_t cap = static_cast<std::int64_t>(maxSteps) * TicksPerUnit;
    // Compared before rounding, so that a huge or infinite dt cannot overflow.
    const double brought = static_cast<double>(dt) * TicksPerUnit;
    const std::int64_t available = brought >= static_cast<double>(cap) ? cap : std::min(cap, carry + static_cast<std::int64_t>(std::llround(brought)));
    // A multiple of a unit when cut to cap: nothing is carried then.
    carry = available % TicksPerUnit;
    return static_cast<int>(available / TicksPerUnit);
}
