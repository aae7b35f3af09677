#pragma once
// One simulated charging cell: the life of its lamp in simulated time (in the mine, back in
// the rack, charge, trickle charge, ready, taken again; control discharges in cycle mode),
// its measurements, its queue of events, its charge-mode record and its answers to every
// request addressed to it.
//
// Time is simulated seconds, passed in by the caller; the life runs lazily: each call moves
// the cell to the given moment, stepping through every phase change that fell due, so the
// events carry the moment they really happened (the age word of a status answer).
//
// Events are delivered without loss over a lossy link: a status answer carries the oldest
// undelivered event until a later poll echoes its code (the server's last seen event code,
// second word of every status poll); only then the next event is reported. When the next
// event has the same code as the one just delivered, one answer with code 0 goes first, so
// the server takes it as new.
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "link/code_tables.h"
#include "link/mode_record.h"
#include "simulator/random_source.h"
#include "simulator/station_messages.h"

namespace stationsim {

// Cell state codes (status word 11).
inline constexpr std::uint16_t kStateFree = 0;
inline constexpr std::uint16_t kStateConnected = 1;
inline constexpr std::uint16_t kStateDischarge = 2;
inline constexpr std::uint16_t kStateDischarged = 3;
inline constexpr std::uint16_t kStateCharge = 4;
inline constexpr std::uint16_t kStateCharged = 5;
inline constexpr std::uint16_t kStateTrickle = 6;
inline constexpr std::uint16_t kStateStopped = 7;
inline constexpr std::uint16_t kStateReady = 9;
inline constexpr std::uint16_t kStateControlDischarge = 0x102;

// Event codes the cells report (status word 17) that only the simulator names; those the
// workstation or the server name too are in link/code_tables.h (lamp::EventBatteryConnected,
// ...), the two that make the server ask for a report among them
// (lamp::EventControlDischargeDone and lamp::EventChargeDone).
inline constexpr std::uint16_t kEventDischarge = 0x3002;
inline constexpr std::uint16_t kEventDischargeDone = 0x3402;
inline constexpr std::uint16_t kEventControlDischarge = 0x3102;
inline constexpr std::uint16_t kEventCharge = 0x3004;
inline constexpr std::uint16_t kEventRemoved = 0x3009;
inline constexpr std::uint16_t kEventModeChanged = 0x3050;
inline constexpr std::uint16_t kEventCycleAutoOff = 0x3052;
inline constexpr std::uint16_t kEventChargeTimeout = 0x1010;
inline constexpr std::uint16_t kEventChargeTimeoutReset = 0x5010;
inline constexpr std::uint16_t kEventLowCapacityReset = 0x5011;

// Fault bits (status word 15) the cells raise.
inline constexpr std::uint16_t kFaultOpenCircuit = 0x1;
inline constexpr std::uint16_t kFaultChargeCurrentDrop = 0x8;
inline constexpr std::uint16_t kFaultLowBatteryVoltage = 0x20;
inline constexpr std::uint16_t kFaultSupply = 0x100;
inline constexpr std::uint16_t kFaultChargeTimeout = 0x1000;
inline constexpr std::uint16_t kFaultLowCapacity = 0x2000;

// A value word meaning "none" (the server reads 65531 and above as -1).
inline constexpr std::uint16_t kNoValue = 0xFFFF;

inline constexpr double kNever = std::numeric_limits<double>::infinity();

// How long the phases of a lamp's life last, in simulated seconds, and how often things go
// wrong. One set is shared by every cell of a lamp room.
struct LifeSettings {
  double shift_min = 6 * 3600.0;  // the lamp is away in the mine
  double shift_max = 9 * 3600.0;
  double rest_min = 3 * 3600.0;  // from coming back to being taken for the next shift
  double rest_max = 14 * 3600.0;
  double connect_delay = 15;  // connected until the charge starts
  double charged_hold = 60;
  double trickle_min = 15 * 60.0;
  double trickle_max = 40 * 60.0;
  // Chance that a cycle begins with a control discharge while cycle mode is off.
  double control_discharge_share = 0.05;
  // Alarms (an alarm code and fault bit, then the restored code) per cell per hour.
  double alarm_rate_per_hour = 0;
  // Chance per charge that it runs out of time (alarm 0x1010, fault bit 0x1000).
  double charge_timeout_share = 0;
  // Share of cells whose charge-mode record has a value out of range at start (mode-error
  // bits; such a cell does not charge until a good record is written).
  double mode_error_share = 0;
  // Cells stop living (no more phase changes or alarms) from this moment on; they still
  // answer, so the event queues drain.
  double life_end = kNever;
  // Simulated seconds per real second. The age word of an event counts real time, the time
  // of the server's clock that back-dates the event by it.
  double time_scale = 1;
};

struct CellEvent {
  std::uint16_t code = 0;
  std::uint16_t parameter1 = kNoValue;
  std::uint16_t parameter2 = kNoValue;
  double at = 0;  // simulated seconds
};

// What the cell tells an observer (the event log of the program, the tests).
class CellObserver {
 public:
  virtual ~CellObserver() = default;
  virtual void EventQueued(const class CellModel&, const CellEvent&) {}
  // A poll echoed the event's code: the server has seen it.
  virtual void EventDelivered(const class CellModel&, const CellEvent&) {}
  // An event was pushed out of a full queue before the server saw it.
  virtual void EventOverflowed(const class CellModel&, const CellEvent&) {}
  // The cell answered a request other than a status poll (a command, a report read, a
  // device-number frame).
  virtual void AnswerGiven(const class CellModel&, const StationRequest&, const StationAnswer&) {}
};

using ModeRecordWords = std::array<std::uint16_t, lamp::kModeRecordSize / 2>;

// The stretches of simulated time in which a cell or a station gives no answer: a few fixed
// windows; a new one takes the place of the one that ended first.
class SilenceWindows {
 public:
  void Add(double from, double until) {
    std::size_t slot = 0;
    for (std::size_t i = 1; i < windows_.size(); ++i) {
      if (windows_[i].until < windows_[slot].until) slot = i;
    }
    windows_[slot] = {from, until};
  }
  bool Contains(double now) const {
    for (const Window& w : windows_) {
      if (now >= w.from && now < w.until) return true;
    }
    return false;
  }

 private:
  struct Window {
    double from = 0, until = 0;
  };
  std::array<Window, 4> windows_{};
};

// The charge-mode record a cell starts with: a 6.6 A·h one-element lithium-ion lamp battery.
ModeRecordWords DefaultModeRecord();
// Mode-error bits of a record: one bit per value out of its permitted range.
std::uint16_t ModeErrorBitsOf(const ModeRecordWords& record);

class CellModel {
 public:
  enum class Phase {
    Away,  // no lamp in the cell
    Connected,
    PreDischarge,
    Discharged,
    Charge,
    Charged,
    Trickle,
    Ready,
    ControlDischarge,
    Stopped
  };

  static constexpr std::size_t kEventQueueSize = 32;

  // Places the cell at simulated moment `now` somewhere in its lamp's life.
  void Setup(const Address& address, std::uint64_t fab_num, int position, std::uint64_t seed,
             const LifeSettings* settings, double now);
  void SetObserver(CellObserver* observer) { observer_ = observer; }

  // Steps the life up to `now` (never beyond LifeSettings::life_end).
  void AdvanceTo(double now);

  // Answers a request addressed to this cell (frame types 0xC1, 0x79, 0xC2: by address;
  // 0x7A: the caller matched it). Returns false when the cell gives no answer.
  bool Answer(const StationRequest& request, double now, StationAnswer& answer);

  // Silence: the cell answers nothing while now lies in [from, until) of any of its windows.
  void AddSilence(double from, double until) { silences_.Add(from, until); }
  bool SilentAt(double now) const { return silences_.Contains(now); }

  const Address& address() const { return address_; }
  std::uint64_t fab_num() const { return fab_num_; }
  int position() const { return position_; }
  Phase phase() const { return phase_; }
  std::uint16_t state_code() const;
  std::uint16_t fault_bits() const { return fault_bits_; }
  std::uint16_t mode_error_bits() const { return mode_error_bits_; }
  std::uint8_t cycle_mode() const { return cycle_mode_; }
  const ModeRecordWords& mode_record() const { return mode_record_; }
  std::size_t queued_events() const { return queue_count_; }
  // The event the next status answer would report first, when there is one.
  const CellEvent* oldest_event() const { return queue_count_ ? &queue_[queue_head_] : nullptr; }
  std::uint32_t charges_done() const { return total_charges_; }
  std::uint32_t control_discharges_done() const { return control_discharges_; }
  bool has_charge_report() const { return charge_report_.valid; }
  bool has_discharge_report() const { return discharge_report_.valid; }

  // Starts a phase now, with its entry event, the way the commands do: Away (the lamp is
  // taken), Charge, ControlDischarge or Stopped. The other phases come only out of the life
  // itself; asking for one changes nothing.
  void EnterPhase(Phase phase, double now);

 private:
  struct ChargeReport {
    bool valid = false;
    std::uint16_t type_word = 0, count = 0, charge2_current = 0, end_voltage = 0, end_current = 0,
                  charge2_voltage = 0, minutes = 0, battery = 0, received_mah = 0;
  };
  struct DischargeReport {
    bool valid = false;
    std::uint16_t type_word = 0, current = 0, minutes = 0, nominal = 0, end_voltage = 0,
                  end_current = 0, battery = 0;
  };

  void Transition(double t);
  void StartCycle(double t);
  void BeginCharge(double t, std::uint16_t entry_event);
  void BeginControlDischarge(double t);
  void FinishCharge(double t);
  void FinishControlDischarge(double t);
  void Take(double t);
  void StartAlarm(double t);
  void EndAlarm(double t);
  void ScheduleNextAlarm(double t);
  void QueueEvent(std::uint16_t code, double t, std::uint16_t p1 = kNoValue,
                  std::uint16_t p2 = kNoValue);
  void PopEvent();
  double ChargeSeconds(double from_charge) const;
  double ChargeLevelAt(double t) const;

  void BuildAnswer(const StationRequest& request, double now, StationAnswer& answer);
  void BuildStatus(const StationRequest& request, double now, StationAnswer& answer);
  void ApplyCellControl(std::uint16_t word1, std::uint16_t word2, double now);
  void ApplyReset(double now);
  void ApplyCycleMode(std::uint16_t mode, std::uint16_t count, double now);
  void ApplyBatteryChange(double now);
  void ApplyModeWrite(const StationRequest& request, double now);
  void BuildChargeReport(StationAnswer& answer) const;
  void BuildDischargeReport(StationAnswer& answer) const;
  std::uint16_t TypeWord(std::uint8_t high_byte) const;

  const LifeSettings* settings_ = nullptr;
  CellObserver* observer_ = nullptr;
  RandomSource random_;
  Address address_{};
  std::uint64_t fab_num_ = 0;
  int position_ = 0;

  Phase phase_ = Phase::Away;
  double phase_start_ = 0;
  double phase_end_ = kNever;
  double life_time_ = 0;        // the moment the life has been stepped to
  double take_at_ = kNever;     // the miner comes for the lamp (start of the next shift)
  double charge_at_start_ = 0;  // charge level 0..1 at the start of the phase
  double capacity_mah_ = 6600;  // what the battery really holds
  bool timeout_this_charge_ = false;
  bool control_discharge_next_ = false;

  std::uint16_t fault_bits_ = 0;
  std::uint16_t mode_error_bits_ = 0;
  std::uint16_t alarm_fault_ = 0;  // the bit of the alarm that is on, 0 when none
  std::uint16_t alarm_restore_code_ = 0;
  double alarm_next_ = kNever;
  double alarm_end_ = kNever;

  std::uint8_t cycle_mode_ = 0;
  std::uint16_t cycle_count_ = 0;    // cycle-mode count set by the operator
  std::uint16_t cycle_counter_ = 0;  // first counter: control discharges of this cycle mode
  std::uint32_t total_charges_ = 0;  // second counter
  std::uint32_t charges_since_control_ = 0;
  std::uint32_t control_discharges_ = 0;
  std::uint16_t battery_number_ = 1;
  ModeRecordWords mode_record_{};
  Address pending_number_{};
  bool pending_number_set_ = false;

  ChargeReport charge_report_;
  DischargeReport discharge_report_;

  std::array<CellEvent, kEventQueueSize> queue_{};
  std::size_t queue_head_ = 0;
  std::size_t queue_count_ = 0;
  bool head_sent_ = false;

  SilenceWindows silences_;

  friend class StationModel;
};

}  // namespace stationsim
