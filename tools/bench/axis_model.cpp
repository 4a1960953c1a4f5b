#include "axis_model.h"

#include <cmath>

namespace pitchwise {

namespace {

constexpr double kPi = 3.14159265358979323846;

}  // namespace

double StaticPitchError(const PitchErrorProfile& profile, double position) {
    double error = profile.scalePerUnit * position;
    if (profile.periodicPitch > 0) {
        error += profile.periodicAmplitude *
                 std::sin(2 * kPi * position / profile.periodicPitch + profile.periodicPhase);
    }
    return error;
}

CAxisModel::CAxisModel(const PitchErrorProfile& profile, double speed, double home)
    : m_profile(profile),
      m_speed(speed > 0 ? speed : 1.0),
      m_from(home),
      m_to(home),
      m_random(profile.seed) {}

void CAxisModel::MoveTo(double target, Clock::time_point now) {
    double from = Commanded(now);
    if (target != from) m_direction = target > from ? 1 : -1;
    m_from = from;
    m_to = target;
    m_start = now;
    auto duration = std::chrono::duration<double>(std::fabs(target - from) / m_speed);
    m_end = now + std::chrono::duration_cast<Clock::duration>(duration);
}

void CAxisModel::Dwell(std::chrono::milliseconds time, Clock::time_point now) {
    double here = Commanded(now);
    m_from = here;
    m_to = here;
    m_start = now;
    m_end = now + time;
}

bool CAxisModel::InMotion(Clock::time_point now) const {
    return now < m_end;
}

double CAxisModel::Commanded(Clock::time_point now) const {
    if (now >= m_end || m_end <= m_start) return m_to;
    double done = std::chrono::duration<double>(now - m_start).count() /
                  std::chrono::duration<double>(m_end - m_start).count();
    return m_from + (m_to - m_from) * done;
}

double CAxisModel::ErrorAt(double position, int direction) const {
    // The table trails the screw by half the lost motion, on the side it
    // was last pushed from.
    return StaticPitchError(m_profile, position) - direction * m_profile.backlash / 2;
}

std::int64_t CAxisModel::Counts(Clock::time_point now) {
    double real = Real(now);
    if (m_profile.noise > 0) {
        std::normal_distribution<double> noise(0.0, m_profile.noise);
        real += noise(m_random);
    }
    return std::llround(real * BENCH_COUNTS_PER_UNIT);
}

}  // namespace pitchwise
