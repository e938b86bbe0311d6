#pragma once

#include <QtGlobal>
#include <functional>

namespace draw {

// Uniform values in [0, 1), re-seeded from a clock before every seat permutation and every
// pick of the draw. Re-seeding mixes the clock into the state the source has reached, so two
// re-seeds within one tick of the clock never start the same sequence again.
class RandomSource {
public:
    // Nanoseconds of the system clock.
    using Clock = std::function<quint64()>;
    static quint64 systemClock();

    explicit RandomSource(Clock clock = systemClock);

    void reseed();
    // 0 <= value < 1.
    double next();

private:
    Clock m_clock;
    quint64 m_state = 0;
};

} // namespace draw
