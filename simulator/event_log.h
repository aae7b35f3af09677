#pragma once
// The simulator's record of what its cells did, one text line each, for the operator and for
// the end-to-end tests that compare it with the server's database:
//   Q <time> <number> <code> <p1> <p2>          an event queued in a cell
//   D <time> <number> <code> <p1> <p2> <at>     the server saw it (a poll echoed its code)
//   L <time> <number> <code>                    lost from a full queue before the server saw it
//   A <time> <number> <type> <command> <payload> a request other than a status poll answered
// Times are simulated seconds with one decimal; codes, frame types, commands and payload
// bytes are hexadecimal.
#include <cstdio>
#include <string>

#include "simulator/cell_model.h"
#include "simulator/sim_clock.h"

namespace stationsim {

class EventLog : public CellObserver {
 public:
  EventLog() = default;
  ~EventLog() override;
  EventLog(const EventLog&) = delete;
  EventLog& operator=(const EventLog&) = delete;

  bool Open(const std::string& path, std::string& error);
  void Flush();

  // The clock whose moment the lines of deliveries and answers carry.
  void SetClock(const SimClock* clock) { clock_ = clock; }

  void EventQueued(const CellModel& cell, const CellEvent& event) override;
  void EventDelivered(const CellModel& cell, const CellEvent& event) override;
  void EventOverflowed(const CellModel& cell, const CellEvent& event) override;
  void AnswerGiven(const CellModel& cell, const StationRequest& request,
                   const StationAnswer& answer) override;

  unsigned long long queued() const { return queued_; }
  unsigned long long delivered() const { return delivered_; }
  unsigned long long overflowed() const { return overflowed_; }

 private:
  void Line(const char* format, ...) __attribute__((format(printf, 2, 3)));

  std::FILE* file_ = nullptr;
  const SimClock* clock_ = nullptr;
  double Now() const { return clock_ ? clock_->Now() : 0.0; }
  unsigned long long queued_ = 0, delivered_ = 0, overflowed_ = 0;
};

}  // namespace stationsim
