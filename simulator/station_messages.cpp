#include "simulator/station_messages.h"

namespace stationsim {

Address AddressOf(const char* text) {
  Address address{};
  for (std::size_t i = 0; i < kAddressSize && text[i] != '\0'; ++i) address[i] = text[i];
  return address;
}

void StationAnswer::BeginPayload(std::uint8_t command, std::size_t length) {
  if (length > payload.size()) length = payload.size();
  payload.fill(0);
  payload_length = length;
  if (length > 0) payload[0] = command;
  if (length > 2) payload[2] = static_cast<std::uint8_t>(length);
}

void StationAnswer::SetWord(std::size_t offset, std::uint16_t value) {
  SetByte(offset, static_cast<std::uint8_t>(value & 0xFF));
  SetByte(offset + 1, static_cast<std::uint8_t>(value >> 8));
}

void StationAnswer::SetByte(std::size_t offset, std::uint8_t value) {
  if (offset < payload_length) payload[offset] = value;
}

}  // namespace stationsim
