// The table random source and the wander steering computation.
#include "steering.h"

#include <cmath>

const double n_pi[kPiTableSize] = {
    0.1, 0.4, 1.0, 0.5, 0.9, 0.2, 0.6, 0.5, 0.3, 0.5, // 0-9
    0.8, 0.9, 0.7, 0.9, 0.3, 0.2, 0.3, 0.8, 0.4, 0.6, // 10-19
    0.2, 0.6, 0.4, 0.3, 0.3, 0.8, 0.3, 0.2, 0.7, 0.9, // 20-29
    0.5, 0.0, 0.2, 0.8, 0.8, 0.4, 0.1, 0.9, 0.7, 0.1, // 30-39
    0.6, 0.9, 0.3, 0.9, 0.9, 0.3, 0.7, 0.5, 0.1, 0.0, // 40-49
    0.5, 0.8, 0.2, 0.0, 0.9, 0.7, 0.4, 0.9, 0.4, 0.4, // 50-59
    0.5, 0.9, 0.2, 0.3, 0.0, 0.7, 0.8, 1.0, 0.6, 0.4, // 60-69
    0.0, 0.6, 0.2, 0.8, 0.6, 0.2, 0.0, 0.8, 0.9, 0.9, // 70-79
    0.8, 0.6, 0.2, 0.8, 0.0, 0.3, 0.4, 0.8, 0.2, 0.5, // 80-89
    0.3, 0.4, 0.2, 0.1, 1.0, 0.7, 0.0, 0.6, 0.7, 0.9, // 90-99
};

std::int32_t pi_idx = 2;

namespace {

constexpr std::int64_t kIndexModulus = 101;
constexpr std::int32_t kLastUnsignedIndex = 60;

// Subtracting 101 above 100, repeated while it applies, is the remainder modulo 101; taken as
// the non-negative remainder it also brings back an index a caller set below zero.
std::int32_t nextIndex(std::int32_t index) {
    const std::int64_t stepped = (static_cast<std::int64_t>(index) + 3) * 3;
    const std::int64_t next = ((stepped % kIndexModulus) + kIndexModulus) % kIndexModulus;
    if (next == kPiTableSize) {
        return 0;
    }
    return static_cast<std::int32_t>(next);
}

bool collapsed(Vec2 target) {
    return (target.x == 0 && target.y == 0) || std::isnan(target.x) || std::isnan(target.y);
}

} // namespace

double TableRandom() {
    pi_idx = nextIndex(pi_idx);
    double v = n_pi[pi_idx];
    if (pi_idx > kLastUnsignedIndex) {
        v = v * -1.0;
    }
    return v;
}

Vec2 WanderBehaviour::wander() {
    const double a = TableRandom() * m_dJitter;
    const double b = TableRandom() * m_dJitter;
    const Vec2 vtemp(b, a);
    m_vWanderTarget = m_vWanderTarget + vtemp;
    m_vWanderTarget.normalize();
    m_vWanderTarget = m_vWanderTarget * m_dRadius;
    const Vec2 vtemp2(m_dDistance, 0.0);
    const Vec2 vtarget_local = m_vWanderTarget + vtemp2;
    // A target that collapsed onto zero (a radius of 0) or into NaN would stay there for ever,
    // whatever the owner sets later; the next call starts again from the starting target.
    if (collapsed(m_vWanderTarget)) {
        m_vWanderTarget = WanderBehaviour{}.m_vWanderTarget;
    }
    return vtarget_local;
}
