#pragma once
// Simulated time: seconds since the simulator started, running `scale` times faster than the
// real clock; or standing still at a set moment (tests).
#include <chrono>

namespace stationsim {

class SimClock {
 public:
  // A real clock that starts at 0 now.
  explicit SimClock(double scale = 1.0)
      : scale_(scale), origin_(std::chrono::steady_clock::now()) {}
  // A clock that stands at `moment` until set again.
  static SimClock Fixed(double moment) {
    SimClock clock;
    clock.fixed_ = true;
    clock.moment_ = moment;
    return clock;
  }

  double Now() const {
    if (fixed_) return moment_;
    const std::chrono::duration<double> real = std::chrono::steady_clock::now() - origin_;
    return real.count() * scale_;
  }
  double RealSeconds() const {
    const std::chrono::duration<double> real = std::chrono::steady_clock::now() - origin_;
    return real.count();
  }
  void Set(double moment) { moment_ = moment; }
  double scale() const { return scale_; }

 private:
  double scale_ = 1.0;
  std::chrono::steady_clock::time_point origin_;
  bool fixed_ = false;
  double moment_ = 0;
};

}  // namespace stationsim
