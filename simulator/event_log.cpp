#include "simulator/event_log.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>

namespace stationsim {

namespace {

std::string NumberOf(const CellModel& cell) {
  std::string number(cell.address().data(), kAddressSize);
  number.resize(std::strlen(number.c_str()));
  return number.empty() ? "-" : number;
}

}  // namespace

EventLog::~EventLog() {
  if (file_ != nullptr) std::fclose(file_);
}

bool EventLog::Open(const std::string& path, std::string& error) {
  file_ = std::fopen(path.c_str(), "w");
  if (file_ == nullptr) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

void EventLog::Flush() {
  if (file_ != nullptr) std::fflush(file_);
}

void EventLog::Line(const char* format, ...) {
  if (file_ == nullptr) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(file_, format, args);
  va_end(args);
}

void EventLog::EventQueued(const CellModel& cell, const CellEvent& event) {
  ++queued_;
  Line("Q %.1f %s %04X %u %u\n", event.at, NumberOf(cell).c_str(), event.code, event.parameter1,
       event.parameter2);
}

void EventLog::EventDelivered(const CellModel& cell, const CellEvent& event) {
  ++delivered_;
  Line("D %.1f %s %04X %u %u %.1f\n", Now(), NumberOf(cell).c_str(), event.code, event.parameter1,
       event.parameter2, event.at);
}

void EventLog::EventOverflowed(const CellModel& cell, const CellEvent& event) {
  ++overflowed_;
  Line("L %.1f %s %04X\n", Now(), NumberOf(cell).c_str(), event.code);
}

void EventLog::AnswerGiven(const CellModel& cell, const StationRequest& request,
                           const StationAnswer& answer) {
  if (file_ == nullptr) return;
  char payload[2 * kMaxAnswerPayload + 1];
  std::size_t at = 0;
  for (std::size_t i = 0; i < answer.payload_length; ++i) {
    at += static_cast<std::size_t>(
        std::snprintf(payload + at, sizeof payload - at, "%02X", answer.payload[i]));
  }
  payload[at] = '\0';
  Line("A %.1f %s %02X %02X %s\n", Now(), NumberOf(cell).c_str(), request.frame_type,
       request.command(), payload);
}

}  // namespace stationsim
