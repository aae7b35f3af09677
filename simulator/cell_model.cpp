#include "simulator/cell_model.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "link/little_endian.h"

namespace stationsim {

namespace {

// Mode-record words (word n at bytes 2n).
constexpr std::size_t kWordCapacity = 0;  // 0.01 A·h
constexpr std::size_t kWordType = 1;
constexpr std::size_t kWordCells = 2;
constexpr std::size_t kWordNominalVoltage = 3;
constexpr std::size_t kWordPreDischargeCurrent = 4;
constexpr std::size_t kWordPreDischargeVoltage = 5;
constexpr std::size_t kWordCharge1Current = 8;
constexpr std::size_t kWordCharge1Voltage = 9;
constexpr std::size_t kWordCharge1Minutes = 10;
constexpr std::size_t kWordCharge2Current = 11;
constexpr std::size_t kWordCharge2Voltage = 12;
constexpr std::size_t kWordControlCurrent = 16;
constexpr std::size_t kWordControlVoltage = 17;
constexpr std::size_t kWordTrickleCurrent = 18;
constexpr std::size_t kWordTrickleVoltage = 19;
constexpr std::size_t kWordDelta = 20;
constexpr std::size_t kWordSwitches = 21;
constexpr std::size_t kWordEndCurrent = 22;

constexpr std::uint16_t kSwitchPreDischarge = 0x1;
constexpr std::uint16_t kSwitchDelta = 0x2;
constexpr std::uint16_t kSwitchTrickle = 0x8;
constexpr std::uint16_t kSwitchMinCurrent = 0x10;

// Firmware version words of every simulated cell ("Ver. 1.2.3.4" on the number tool).
constexpr std::uint16_t kFirmwareWord1 = 0x0201;
constexpr std::uint16_t kFirmwareWord2 = 0x0403;

// Payload lengths of the answers; the count byte equals the length, so the server reads
// every word the answer holds and none beyond it.
constexpr std::size_t kStatusPayload = 43;
constexpr std::size_t kReportPayload = 39;
constexpr std::size_t kModePayload = 5 + lamp::kModeRecordSize;
constexpr std::size_t kNumberPayload = 19;
constexpr std::size_t kEchoPayload = 7;

// Charge result codes in the high byte of a charge report's type word.
constexpr std::uint8_t kChargeEndedByCurrent = 1;
constexpr std::uint8_t kDischargeEndedByVoltage = 1;

constexpr double kMaxAge = 29999;

std::uint16_t Clamp16(double value) {
  if (!(value > 0)) return 0;
  if (value > 65535) return 65535;
  return static_cast<std::uint16_t>(value);
}

struct RangeCheck {
  std::uint16_t bit;
  std::size_t word;
  std::uint16_t low, high;
  std::uint16_t needs_switch;  // 0: always checked
};

// The permitted ranges of the charge-mode values, in the record's own units.
constexpr RangeCheck kRangeChecks[] = {
    {0x4, kWordNominalVoltage, 1200, 5900, 0},
    {0x8, kWordPreDischargeCurrent, 35, 2000, kSwitchPreDischarge},
    {0x10, kWordPreDischargeVoltage, 910, 5900, kSwitchPreDischarge},
    {0x20, kWordCharge1Current, 40, 2000, 0},
    {0x40, kWordCharge1Voltage, 1200, 5900, 0},
    {0x80, kWordCharge1Minutes, 5, 2400, 0},
    {0x100, kWordControlCurrent, 40, 2000, 0},
    {0x200, kWordControlVoltage, 910, 5900, 0},
    {0x400, kWordTrickleCurrent, 5, 200, kSwitchTrickle},
    {0x800, kWordTrickleVoltage, 1200, 5900, kSwitchTrickle},
    {0x1000, kWordDelta, 10, 60, kSwitchDelta},
    {0x2000, kWordEndCurrent, 40, 600, kSwitchMinCurrent},
};

struct AlarmKind {
  std::uint16_t alarm, restored, fault;
};
constexpr AlarmKind kAlarmKinds[] = {
    {lamp::EventSupplyAlarm, lamp::EventSupplyRestored, kFaultSupply},
    {lamp::EventChargeOpenCircuitAlarm, lamp::EventChargeOpenCircuitRestored, kFaultOpenCircuit},
    {lamp::EventChargeCurrentDropAlarm, lamp::EventChargeCurrentDropRestored,
     kFaultChargeCurrentDrop},
    {lamp::EventLowBatteryVoltageAlarm, lamp::EventLowBatteryVoltageRestored,
     kFaultLowBatteryVoltage},
};

}  // namespace

ModeRecordWords DefaultModeRecord() {
  ModeRecordWords record{};
  record[kWordCapacity] = 660;
  record[kWordType] = 3;  // lithium-ion
  record[kWordCells] = 1;
  record[kWordNominalVoltage] = 3700;
  record[kWordPreDischargeCurrent] = 1000;
  record[kWordPreDischargeVoltage] = 3000;
  record[kWordCharge1Current] = 1500;
  record[kWordCharge1Voltage] = 4200;
  record[kWordCharge1Minutes] = 360;
  record[kWordCharge2Current] = 300;
  record[kWordCharge2Voltage] = 4200;
  record[13] = 120;  // charge 2 minutes
  record[kWordControlCurrent] = 1300;
  record[kWordControlVoltage] = 3000;
  record[kWordTrickleCurrent] = 50;
  record[kWordTrickleVoltage] = 4150;
  record[kWordDelta] = 30;
  record[kWordSwitches] = 0x4 | kSwitchTrickle | kSwitchMinCurrent;
  record[kWordEndCurrent] = 150;
  return record;
}

std::uint16_t ModeErrorBitsOf(const ModeRecordWords& record) {
  std::uint16_t bits = 0;
  for (const RangeCheck& check : kRangeChecks) {
    if (check.needs_switch != 0 && (record[kWordSwitches] & check.needs_switch) == 0) continue;
    const std::uint16_t value = record[check.word];
    if (value < check.low || value > check.high) bits |= check.bit;
  }
  return bits;
}

void CellModel::Setup(const Address& address, std::uint64_t fab_num, int position,
                      std::uint64_t seed, const LifeSettings* settings, double now) {
  *this = CellModel();
  settings_ = settings;
  random_ = RandomSource(seed);
  address_ = address;
  fab_num_ = fab_num;
  position_ = position;
  life_time_ = now;
  mode_record_ = DefaultModeRecord();
  if (random_.Chance(settings_->mode_error_share)) {
    mode_record_[kWordCharge1Current] = 2500;  // above the 2 A limit
  }
  mode_error_bits_ = ModeErrorBitsOf(mode_record_);
  capacity_mah_ = mode_record_[kWordCapacity] * 10.0 * random_.Between(0.78, 1.05);
  total_charges_ = static_cast<std::uint32_t>(random_.IntBetween(20, 400));
  battery_number_ = static_cast<std::uint16_t>(random_.IntBetween(1, 3));

  // Somewhere in the life, without an entry event: the cell was in that phase already.
  const double pick = random_.Unit();
  phase_start_ = now;
  if (pick < 0.45) {
    phase_ = Phase::Away;
    phase_end_ = now + random_.Between(0, settings_->shift_max);
  } else if (pick < 0.75 && mode_error_bits_ == 0) {
    phase_ = Phase::Charge;
    charge_at_start_ = random_.Between(0.1, 0.9);
    take_at_ = now + random_.Between(settings_->rest_min, settings_->rest_max);
    phase_end_ = now + ChargeSeconds(charge_at_start_);
    timeout_this_charge_ = random_.Chance(settings_->charge_timeout_share);
  } else if (pick < 0.80 && mode_error_bits_ == 0) {
    take_at_ = now + random_.Between(settings_->rest_min, settings_->rest_max);
    BeginControlDischarge(now - random_.Between(0, 3 * 3600.0));
  } else if (pick < 0.85 && mode_error_bits_ == 0) {
    phase_ = Phase::Trickle;
    charge_at_start_ = 1;
    take_at_ = now + random_.Between(0, settings_->rest_max);
    phase_end_ = now + random_.Between(60, settings_->trickle_max);
  } else {
    phase_ = mode_error_bits_ ? Phase::Connected : Phase::Ready;
    charge_at_start_ = mode_error_bits_ ? 0.3 : 1;
    take_at_ = now + random_.Between(0, settings_->rest_max);
    phase_end_ = take_at_;
  }
  ScheduleNextAlarm(now);
}

std::uint16_t CellModel::state_code() const {
  switch (phase_) {
    case Phase::Away:
      return kStateFree;
    case Phase::Connected:
      return kStateConnected;
    case Phase::PreDischarge:
      return kStateDischarge;
    case Phase::Discharged:
      return kStateDischarged;
    case Phase::Charge:
      return kStateCharge;
    case Phase::Charged:
      return kStateCharged;
    case Phase::Trickle:
      return kStateTrickle;
    case Phase::Ready:
      return kStateReady;
    case Phase::ControlDischarge:
      return kStateControlDischarge;
    case Phase::Stopped:
      return kStateStopped;
  }
  return kStateFree;
}

void CellModel::AdvanceTo(double now) {
  const double limit = std::min(now, settings_->life_end);
  for (;;) {
    const double next = std::min({phase_end_, alarm_next_, alarm_end_});
    if (!(next <= limit)) break;
    if (next == alarm_end_) {
      EndAlarm(next);
    } else if (next == alarm_next_) {
      StartAlarm(next);
    } else {
      Transition(next);
    }
  }
  life_time_ = std::max(life_time_, limit);
}

double CellModel::ChargeSeconds(double from_charge) const {
  const double current = std::max<double>(mode_record_[kWordCharge1Current], 1);
  // The constant-current stage, the slower end of the charge and a margin.
  return (1.0 - from_charge) * capacity_mah_ / current * 3600.0 * 1.15 + 300.0;
}

double CellModel::ChargeLevelAt(double t) const {
  const double elapsed = std::max(0.0, t - phase_start_);
  const double length = std::max(1.0, phase_end_ - phase_start_);
  const double share = std::min(1.0, elapsed / length);
  switch (phase_) {
    case Phase::Charge:
      return charge_at_start_ + (1.0 - charge_at_start_) * share;
    case Phase::ControlDischarge:
    case Phase::PreDischarge:
      return charge_at_start_ * (1.0 - share);
    default:
      return charge_at_start_;
  }
}

void CellModel::QueueEvent(std::uint16_t code, double t, std::uint16_t p1, std::uint16_t p2) {
  const CellEvent event{code, p1, p2, t};
  if (queue_count_ == kEventQueueSize) {
    // The oldest event is lost; the server never sees it.
    if (observer_) observer_->EventOverflowed(*this, queue_[queue_head_]);
    queue_head_ = (queue_head_ + 1) % kEventQueueSize;
    --queue_count_;
    head_sent_ = false;
  }
  queue_[(queue_head_ + queue_count_) % kEventQueueSize] = event;
  ++queue_count_;
  if (observer_) observer_->EventQueued(*this, event);
}

void CellModel::PopEvent() {
  queue_head_ = (queue_head_ + 1) % kEventQueueSize;
  --queue_count_;
  head_sent_ = false;
}

void CellModel::EnterPhase(Phase phase, double now) {
  AdvanceTo(now);
  switch (phase) {
    case Phase::Away:
      Take(now);
      return;
    case Phase::Charge:
      BeginCharge(now, kEventCharge);
      return;
    case Phase::ControlDischarge:
      QueueEvent(kEventControlDischarge, now);
      BeginControlDischarge(now);
      return;
    case Phase::Stopped:
      charge_at_start_ = ChargeLevelAt(now);
      QueueEvent(lamp::EventOperatorStop, now);
      phase_ = Phase::Stopped;
      phase_start_ = now;
      phase_end_ = std::max(take_at_, now + 60);
      return;
    default:
      // The other phases come only out of the life itself.
      return;
  }
}

void CellModel::Transition(double t) {
  switch (phase_) {
    case Phase::Away:
      charge_at_start_ = random_.Between(0.15, 0.6);
      take_at_ = t + random_.Between(settings_->rest_min, settings_->rest_max);
      QueueEvent(lamp::EventBatteryConnected, t);
      phase_ = Phase::Connected;
      phase_start_ = t;
      phase_end_ = t + settings_->connect_delay;
      return;
    case Phase::Connected:
      if (mode_error_bits_ != 0) {
        // A cell with a bad charge mode does not charge; the lamp waits for its miner.
        if (t >= take_at_) {
          Take(t);
        } else {
          phase_end_ = take_at_;
        }
        return;
      }
      StartCycle(t);
      return;
    case Phase::PreDischarge:
      charge_at_start_ = 0.02;
      QueueEvent(kEventDischargeDone, t);
      phase_ = Phase::Discharged;
      phase_start_ = t;
      phase_end_ = t + 30;
      return;
    case Phase::Discharged:
      BeginCharge(t, kEventCharge);
      return;
    case Phase::Charge:
      FinishCharge(t);
      return;
    case Phase::Charged:
      phase_start_ = t;
      if (mode_record_[kWordSwitches] & kSwitchTrickle) {
        QueueEvent(lamp::EventTrickleCharge, t);
        phase_ = Phase::Trickle;
        phase_end_ = t + random_.Between(settings_->trickle_min, settings_->trickle_max);
      } else {
        QueueEvent(lamp::EventReady, t);
        phase_ = Phase::Ready;
        phase_end_ = std::max(take_at_, t + 60);
      }
      return;
    case Phase::Trickle:
      if (t >= take_at_) {
        Take(t);
        return;
      }
      QueueEvent(lamp::EventReady, t);
      phase_ = Phase::Ready;
      phase_start_ = t;
      phase_end_ = std::max(take_at_, t + 60);
      return;
    case Phase::ControlDischarge:
      FinishControlDischarge(t);
      return;
    case Phase::Ready:
    case Phase::Stopped:
      Take(t);
      return;
  }
}

void CellModel::StartCycle(double t) {
  const bool cycle_due = cycle_mode_ == 1 || (cycle_mode_ == 2 && cycle_count_ > 0 &&
                                              charges_since_control_ >= cycle_count_);
  phase_start_ = t;
  if (control_discharge_next_ || cycle_due || random_.Chance(settings_->control_discharge_share)) {
    control_discharge_next_ = false;
    QueueEvent(kEventControlDischarge, t);
    BeginControlDischarge(t);
  } else if (mode_record_[kWordSwitches] & kSwitchPreDischarge) {
    QueueEvent(kEventDischarge, t);
    phase_ = Phase::PreDischarge;
    const double current = std::max<double>(mode_record_[kWordPreDischargeCurrent], 1);
    phase_end_ = t + charge_at_start_ * capacity_mah_ / current * 3600.0 + 30;
  } else {
    BeginCharge(t, kEventCharge);
  }
}

void CellModel::BeginControlDischarge(double t) {
  // A control discharge measures the battery from full: the top-up charge before it is not
  // shown as a phase of its own.
  phase_ = Phase::ControlDischarge;
  phase_start_ = t;
  charge_at_start_ = 1;
  const double current = std::max<double>(mode_record_[kWordControlCurrent], 1);
  phase_end_ = t + capacity_mah_ / current * 3600.0 + 60;
}

void CellModel::BeginCharge(double t, std::uint16_t entry_event) {
  charge_at_start_ = ChargeLevelAt(t);
  phase_start_ = t;
  if (mode_error_bits_ != 0) {
    phase_ = Phase::Connected;
    phase_end_ = std::max(take_at_, t + 60);
    return;
  }
  QueueEvent(entry_event, t);
  phase_ = Phase::Charge;
  timeout_this_charge_ = random_.Chance(settings_->charge_timeout_share);
  phase_end_ = t + ChargeSeconds(charge_at_start_) * (timeout_this_charge_ ? 1.3 : 1.0);
}

void CellModel::FinishCharge(double t) {
  const double minutes = (t - phase_start_) / 60.0;
  if (timeout_this_charge_) {
    timeout_this_charge_ = false;
    fault_bits_ |= kFaultChargeTimeout;
    charge_at_start_ = 0.9;
    QueueEvent(kEventChargeTimeout, t, Clamp16(minutes));
    phase_ = Phase::Stopped;
    phase_start_ = t;
    phase_end_ = std::max(take_at_, t + 60);
    return;
  }
  ++total_charges_;
  ++charges_since_control_;
  charge_report_.valid = true;
  charge_report_.type_word = TypeWord(kChargeEndedByCurrent);
  charge_report_.count = static_cast<std::uint16_t>(total_charges_);
  charge_report_.charge2_current = mode_record_[kWordCharge2Current];
  charge_report_.end_voltage = Clamp16(mode_record_[kWordCharge1Voltage] - random_.Between(0, 15));
  charge_report_.end_current = Clamp16(mode_record_[kWordEndCurrent] - random_.Between(0, 20));
  charge_report_.charge2_voltage = mode_record_[kWordCharge2Voltage];
  charge_report_.minutes = Clamp16(minutes);
  charge_report_.battery = battery_number_;
  charge_report_.received_mah = Clamp16((1.0 - charge_at_start_) * capacity_mah_ * 1.05);
  charge_at_start_ = 1;
  QueueEvent(lamp::EventChargeDone, t, charge_report_.end_voltage, charge_report_.end_current);
  phase_ = Phase::Charged;
  phase_start_ = t;
  phase_end_ = t + settings_->charged_hold;
}

void CellModel::FinishControlDischarge(double t) {
  const double minutes = (t - phase_start_) / 60.0;
  const std::uint16_t current = mode_record_[kWordControlCurrent];
  const std::uint16_t nominal = mode_record_[kWordCapacity];
  discharge_report_.valid = true;
  discharge_report_.type_word = TypeWord(kDischargeEndedByVoltage);
  discharge_report_.current = current;
  discharge_report_.minutes = Clamp16(minutes);
  discharge_report_.nominal = nominal;
  discharge_report_.end_voltage = mode_record_[kWordControlVoltage];
  discharge_report_.end_current = Clamp16(current - random_.Between(0, 10));
  discharge_report_.battery = battery_number_;
  ++control_discharges_;
  ++cycle_counter_;
  charges_since_control_ = 0;
  QueueEvent(lamp::EventControlDischargeDone, t, discharge_report_.minutes, current);
  // Capacity below 80 % of nominal is a battery fault.
  const double delivered_mah = current * minutes / 60.0;
  if (nominal > 0 && delivered_mah < 0.8 * nominal * 10.0) {
    fault_bits_ |= kFaultLowCapacity;
    QueueEvent(lamp::EventLowCapacity, t, Clamp16(delivered_mah));
  }
  if (cycle_mode_ == 1 && cycle_count_ > 0 && cycle_counter_ >= cycle_count_) {
    cycle_mode_ = 0;
    QueueEvent(kEventCycleAutoOff, t);
  }
  charge_at_start_ = 0;
  BeginCharge(t, kEventCharge);
}

void CellModel::Take(double t) {
  QueueEvent(kEventRemoved, t);
  phase_ = Phase::Away;
  phase_start_ = t;
  phase_end_ = t + random_.Between(settings_->shift_min, settings_->shift_max);
  take_at_ = kNever;
  charge_at_start_ = 0;
}

void CellModel::ScheduleNextAlarm(double t) {
  const double rate = settings_->alarm_rate_per_hour;
  if (!(rate > 0)) {
    alarm_next_ = kNever;
    return;
  }
  const double wait = -std::log(1.0 - random_.Unit()) * 3600.0 / rate;
  alarm_next_ = t + wait;
}

void CellModel::StartAlarm(double t) {
  alarm_next_ = kNever;
  const AlarmKind& kind = kAlarmKinds[random_.IntBetween(0, std::size(kAlarmKinds) - 1)];
  alarm_fault_ = kind.fault;
  alarm_restore_code_ = kind.restored;
  fault_bits_ |= kind.fault;
  QueueEvent(kind.alarm, t);
  alarm_end_ = t + random_.Between(120, 1200);
}

void CellModel::EndAlarm(double t) {
  alarm_end_ = kNever;
  fault_bits_ &= static_cast<std::uint16_t>(~alarm_fault_);
  QueueEvent(alarm_restore_code_, t);
  alarm_fault_ = 0;
  ScheduleNextAlarm(t);
}

std::uint16_t CellModel::TypeWord(std::uint8_t high_byte) const {
  const std::uint16_t type = mode_record_[kWordType] & 7;
  const std::uint16_t cells = mode_record_[kWordCells] & 0xF;
  return static_cast<std::uint16_t>(cells | (type << 4) | (high_byte << 8));
}

// --- Answers -------------------------------------------------------------------------------

bool CellModel::Answer(const StationRequest& request, double now, StationAnswer& answer) {
  if (SilentAt(now)) return false;
  AdvanceTo(now);
  answer.tag = request.tag;
  answer.frame_type = request.frame_type;
  lamp::WriteU64(answer.fab_num, 0, fab_num_);
  answer.address = address_;
  const std::uint8_t command = request.command();
  BuildAnswer(request, now, answer);
  if (command != lamp::StationCmdStatusPoll && observer_) {
    observer_->AnswerGiven(*this, request, answer);
  }
  return true;
}

void CellModel::BuildAnswer(const StationRequest& request, double now, StationAnswer& answer) {
  const std::uint8_t command = request.command();

  if (request.frame_type == lamp::FrameNumberCommand) {
    switch (command) {
      case lamp::StationCmdWriteNumber:
        // The new number: 8 bytes after the payload word, up to its first NUL.
        pending_number_ = Address{};
        for (std::size_t i = 0; i < kAddressSize; ++i) {
          const std::uint8_t byte = static_cast<std::uint8_t>(request.word(5 + i) & 0xFF);
          if (byte == 0) break;
          pending_number_[i] = static_cast<char>(byte);
        }
        pending_number_set_ = true;
        break;
      case lamp::StationCmdInitDevice:
        if (pending_number_set_) {
          address_ = pending_number_;
          answer.address = address_;
          pending_number_set_ = false;
        }
        break;
      default:
        break;
    }
    answer.BeginPayload(command, kNumberPayload);
    answer.SetWord(3, request.word(3));
    answer.SetWord(5, kFirmwareWord1);
    answer.SetWord(7, kFirmwareWord2);
    return;
  }

  switch (command) {
    case lamp::StationCmdStatusPoll:
      BuildStatus(request, now, answer);
      return;
    case lamp::StationCmdDischargeReport:
      BuildDischargeReport(answer);
      return;
    case lamp::StationCmdChargeReport:
      BuildChargeReport(answer);
      return;
    case lamp::StationCmdModeRead:
      answer.BeginPayload(command, kModePayload);
      answer.SetWord(3, request.word(3));
      for (std::size_t i = 0; i < mode_record_.size(); ++i) {
        answer.SetWord(5 + 2 * i, mode_record_[i]);
      }
      return;
    case lamp::StationCmdModeWrite:
      ApplyModeWrite(request, now);
      break;
    case lamp::StationCmdCellControl:
      ApplyCellControl(request.word(3), request.word(5), now);
      break;
    case lamp::StationCmdCellReset:
      ApplyReset(now);
      break;
    case lamp::StationCmdCycleMode:
      ApplyCycleMode(request.word(3), request.word(5), now);
      break;
    case lamp::StationCmdBatteryChange:
      ApplyBatteryChange(now);
      break;
    default:
      break;
  }
  answer.BeginPayload(command, kEchoPayload);
  answer.SetWord(3, request.word(3));
  answer.SetWord(5, request.word(5));
  return;
}

void CellModel::BuildStatus(const StationRequest& request, double now, StationAnswer& answer) {
  // Word 5 of the poll is the code the server saw last: it acknowledges our oldest event.
  const std::uint16_t seen = request.word(5);
  if (queue_count_ > 0 && head_sent_ && queue_[queue_head_].code == seen) {
    if (observer_) observer_->EventDelivered(*this, queue_[queue_head_]);
    PopEvent();
  }
  const CellEvent* event = nullptr;
  if (queue_count_ > 0 && !(queue_[queue_head_].code == seen && !head_sent_)) {
    event = &queue_[queue_head_];
    head_sent_ = true;
  }

  const double level = ChargeLevelAt(now);
  const std::uint16_t v_top = mode_record_[kWordCharge1Voltage];
  const double v_empty = std::max(0.0, v_top - 800.0);
  double voltage = 0, current = 0, discharge_current = 0;
  switch (phase_) {
    case Phase::Away:
      break;
    case Phase::Connected:
    case Phase::Stopped:
    case Phase::Discharged:
      voltage = v_empty + 700 * level;
      break;
    case Phase::Charge: {
      voltage = v_empty + 800 * level;
      const double full = mode_record_[kWordCharge1Current];
      const double end = mode_record_[kWordEndCurrent];
      current = level < 0.9 ? full : end + (full - end) * (1.0 - level) / 0.1;
      break;
    }
    case Phase::Charged:
      voltage = v_top;
      break;
    case Phase::Trickle:
      voltage = mode_record_[kWordTrickleVoltage];
      current = mode_record_[kWordTrickleCurrent];
      break;
    case Phase::Ready:
      voltage = v_top - 50;
      break;
    case Phase::ControlDischarge:
      voltage = mode_record_[kWordControlVoltage] +
                (v_top - 100.0 - mode_record_[kWordControlVoltage]) * level;
      discharge_current = mode_record_[kWordControlCurrent];
      break;
    case Phase::PreDischarge:
      voltage = mode_record_[kWordPreDischargeVoltage] + 900 * level;
      discharge_current = mode_record_[kWordPreDischargeCurrent];
      break;
  }
  if (voltage > 0) voltage += random_.Between(-5, 5);
  if (current > 0) current += random_.Between(-3, 3);

  answer.BeginPayload(lamp::StationCmdStatusPoll, kStatusPayload);
  answer.SetWord(3, static_cast<std::uint16_t>(position_));
  answer.SetWord(5, Clamp16(voltage));
  answer.SetWord(7, Clamp16(current));
  answer.SetWord(9, Clamp16(discharge_current));
  answer.SetWord(11, state_code());
  answer.SetWord(13, mode_error_bits_);
  answer.SetWord(15, fault_bits_);
  answer.SetWord(17, event ? event->code : 0);
  answer.SetWord(19, Clamp16((now - phase_start_) / 60.0));
  answer.SetWord(21, cycle_mode_);
  answer.SetWord(23, cycle_counter_);
  answer.SetWord(25, static_cast<std::uint16_t>(total_charges_));
  answer.SetWord(29, Clamp16(12000 + random_.Between(-60, 60)));
  answer.SetWord(31, Clamp16(9000 + random_.Between(-40, 40)));
  answer.SetWord(33, Clamp16(5000 + random_.Between(-25, 25)));
  const int temperature =
      215 + static_cast<int>(random_.IntBetween(-15, 15)) + (phase_ == Phase::Charge ? 40 : 0);
  answer.SetWord(35, static_cast<std::uint16_t>(static_cast<std::int16_t>(temperature)));
  if (event) {
    const double real_seconds = std::max(0.0, now - event->at) / settings_->time_scale;
    const double age = std::min(kMaxAge, std::floor(real_seconds / 10.0));
    answer.SetWord(37, static_cast<std::uint16_t>(age));
    answer.SetWord(39, event->parameter1);
    answer.SetWord(41, event->parameter2);
  } else {
    answer.SetWord(37, kNoValue);
    answer.SetWord(39, kNoValue);
    answer.SetWord(41, kNoValue);
  }
}

void CellModel::BuildChargeReport(StationAnswer& answer) const {
  const ChargeReport& r = charge_report_;
  answer.BeginPayload(lamp::StationCmdChargeReport, kReportPayload);
  answer.SetWord(5, r.type_word);
  answer.SetWord(7, r.count);
  answer.SetWord(9, r.minutes);
  answer.SetWord(11, r.charge2_current);
  answer.SetWord(13, r.end_voltage);
  answer.SetWord(15, r.end_current);
  answer.SetWord(17, r.charge2_voltage);
  answer.SetWord(19, r.minutes);
  answer.SetWord(21, r.battery);
  // Byte 24 marks the received charge in bytes 25 and 26 as present.
  answer.SetByte(24, r.valid ? 5 : 0);
  answer.SetWord(25, r.received_mah);
}

void CellModel::BuildDischargeReport(StationAnswer& answer) const {
  const DischargeReport& r = discharge_report_;
  answer.BeginPayload(lamp::StationCmdDischargeReport, kReportPayload);
  answer.SetWord(5, r.type_word);
  answer.SetWord(7, r.current);
  answer.SetWord(9, r.minutes);
  answer.SetWord(11, r.nominal);
  answer.SetWord(13, r.end_voltage);
  answer.SetWord(15, r.end_current);
  answer.SetWord(21, r.battery);
}

// --- Commands ------------------------------------------------------------------------------

void CellModel::ApplyCellControl(std::uint16_t word1, std::uint16_t word2, double now) {
  if (phase_ == Phase::Away) return;  // no lamp: nothing to start or stop
  switch (word2) {
    case lamp::CellControlStop:
      if (phase_ != Phase::Stopped) EnterPhase(Phase::Stopped, now);
      return;
    case lamp::CellControlStart:
      QueueEvent(lamp::EventOperatorStart, now);
      BeginCharge(now, kEventCharge);
      return;
    case lamp::CellControlPanelStart:
      QueueEvent(lamp::EventPanelStart, now);
      BeginCharge(now, kEventCharge);
      return;
    case lamp::CellControlDischarge:
      if (word1 == lamp::CellControlDischargeWord) EnterPhase(Phase::ControlDischarge, now);
      return;
    case lamp::CellControlCycleStart:
      // A cycle started by the operator: a control discharge first, then the charge.
      QueueEvent(lamp::EventOperatorCycleStart, now);
      EnterPhase(Phase::ControlDischarge, now);
      return;
    default:
      return;
  }
}

void CellModel::ApplyReset(double now) {
  if (fault_bits_ & kFaultChargeTimeout) QueueEvent(kEventChargeTimeoutReset, now);
  if (fault_bits_ & kFaultLowCapacity) QueueEvent(kEventLowCapacityReset, now);
  // Latched faults clear; an alarm that is still on keeps its bit.
  fault_bits_ = alarm_fault_;
}

void CellModel::ApplyCycleMode(std::uint16_t mode, std::uint16_t count, double now) {
  cycle_mode_ = static_cast<std::uint8_t>(std::min<std::uint16_t>(mode, 2));
  cycle_count_ = std::min<std::uint16_t>(count, 1000);
  cycle_counter_ = 0;
  QueueEvent(lamp::EventCycleModeChanged, now, cycle_mode_, cycle_count_);
}

void CellModel::ApplyBatteryChange(double now) {
  (void)now;
  ++battery_number_;
  total_charges_ = 0;
  charges_since_control_ = 0;
  capacity_mah_ = mode_record_[kWordCapacity] * 10.0 * random_.Between(1.0, 1.05);
  fault_bits_ &= static_cast<std::uint16_t>(~kFaultLowCapacity);
}

void CellModel::ApplyModeWrite(const StationRequest& request, double now) {
  // Payload: command, marker, count, one word, then the 48-byte record.
  for (std::size_t i = 0; i < mode_record_.size(); ++i) {
    mode_record_[i] = request.word(5 + 2 * i);
  }
  mode_error_bits_ = ModeErrorBitsOf(mode_record_);
  QueueEvent(kEventModeChanged, now);
  if (phase_ == Phase::Connected && mode_error_bits_ == 0) {
    phase_start_ = now;
    phase_end_ = now + settings_->connect_delay;
  }
}

}  // namespace stationsim
