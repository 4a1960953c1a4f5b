// A physical model of one machine axis: where the controller has commanded
// it, where it really is, and how long it takes to get there.
#pragma once

#include <chrono>
#include <cstdint>
#include <random>

namespace pitchwise {

constexpr double BENCH_COUNTS_PER_UNIT = 10034.463;  // the QSB's scale

// The axis's pitch error: real position = commanded + this.
struct PitchErrorProfile {
    double scalePerUnit = 0.0002;      // linear scale error per unit of travel
    double periodicAmplitude = 0.003;  // screw error, peak
    double periodicPitch = 5.0;        // screw error period along the axis
    double periodicPhase = 0.0;        // radians at position 0
    double backlash = 0.0;             // lost motion when the direction reverses
    double noise = 0.0;                // standard deviation of each QSB reading
    unsigned seed = 1;                 // of the noise
};

// The error at a commanded position, without backlash and noise.
double StaticPitchError(const PitchErrorProfile& profile, double position);

class CAxisModel {
  public:
    using Clock = std::chrono::steady_clock;

    // speed in units per second (> 0); the axis starts at rest at home,
    // last moved in the positive direction.
    CAxisModel(const PitchErrorProfile& profile, double speed, double home);

    void MoveTo(double target, Clock::time_point now);
    // The speed of the moves from now on, in units per second (> 0).
    void SetSpeed(double speed) {
        if (speed > 0) m_speed = speed;
    }
    void Dwell(std::chrono::milliseconds time, Clock::time_point now);
    bool InMotion(Clock::time_point now) const;

    double Commanded(Clock::time_point now) const;
    // real - commanded, noise-free: the truth a mapping table should undo.
    double Error(Clock::time_point now) const { return ErrorAt(Commanded(now)); }
    // The same at a position, reached in the direction of the last move.
    double ErrorAt(double position) const { return ErrorAt(position, m_direction); }
    // The same reached moving positive (+1) or negative (-1).
    double ErrorAt(double position, int direction) const;
    // +1 or -1: how the axis last moved, so how its lost motion lies.
    int LastDirection() const { return m_direction; }
    double Real(Clock::time_point now) const { return Commanded(now) + Error(now); }
    // What a QSB on the axis counts from machine zero, noise included.
    std::int64_t Counts(Clock::time_point now);

    const PitchErrorProfile& Profile() const { return m_profile; }

  private:
    PitchErrorProfile m_profile;
    double m_speed;
    double m_from;
    double m_to;
    int m_direction = 1;
    Clock::time_point m_start;
    Clock::time_point m_end;
    std::mt19937 m_random;
};

}  // namespace pitchwise
