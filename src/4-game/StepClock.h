#pragma once

#include <cstdint>

// Cuts the time that ticks bring into whole steps of one unit of dt, and
// carries what is left of a unit to the next tick. Time is counted in whole
// millionths of a unit, each tick's dt rounded to the nearest, so the carry
// is exact: ten ticks of 0.3 make three steps, a tick of 0.999 and one of
// 0.001 make one, and no time is lost or counted twice, however long the run.
class StepClock {
public:
    static constexpr std::int64_t TicksPerUnit = 1000000;  // the clock's resolution, per unit of dt

    explicit StepClock(int maxSteps) : maxSteps(maxSteps) {}  // maxSteps >= 1

    // The whole steps that a tick of dt (units of dt) and the carry make, at
    // most maxSteps. A tick that brings more than maxSteps units plays
    // maxSteps and drops the rest, carry included. A dt that is not positive
    // (or not a number) brings nothing.
    int Tick(float dt);

    double GetCarry() const { return static_cast<double>(carry) / TicksPerUnit; }  // units, [0, 1)

private:
    int maxSteps;
    std::int64_t carry = 0;  // millionths of a unit, below one unit
};
