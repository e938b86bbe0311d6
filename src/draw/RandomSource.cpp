#include "RandomSource.h"

#include <chrono>

namespace draw {
namespace {

// The finaliser of SplitMix64: every bit of the input reaches every bit of the output.
quint64 mixed(quint64 z) {
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

constexpr quint64 kGolden = 0x9e3779b97f4a7c15ULL;

} // namespace

quint64 RandomSource::systemClock() {
    return static_cast<quint64>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                    std::chrono::system_clock::now().time_since_epoch())
                                    .count());
}

RandomSource::RandomSource(Clock clock) : m_clock(std::move(clock)) {}

void RandomSource::reseed() {
    // The state goes into the mix with the clock: the same tick twice still moves on.
    m_state = mixed(m_state + kGolden) ^ mixed(m_clock() ^ 0x5851f42d4c957f2dULL);
}

double RandomSource::next() {
    m_state += kGolden;
    // 53 random bits, the whole precision of a double, scaled below 1.
    return static_cast<double>(mixed(m_state) >> 11) * 0x1.0p-53;
}

} // namespace draw
