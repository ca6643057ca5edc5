// The random source: the step and mixer of SplitMix64, which needs only 64-bit integer
// addition, shifts, exclusive or and multiplication, each the same on every target.
#include "randomsource.h"

namespace {

constexpr std::uint64_t kGoldenGamma = 0x9e3779b97f4a7c15U;
constexpr double kTwoToMinus53 = 1.0 / 9007199254740992.0;

} // namespace

std::uint64_t RandomSource::next() {
    state += kGoldenGamma;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9U;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebU;
    return z ^ (z >> 31);
}

double RandomSource::unit() {
    return static_cast<double>(next() >> 11) * kTwoToMinus53;
}

double RandomSource::symmetric() {
    return 2.0 * unit() - 1.0;
}
