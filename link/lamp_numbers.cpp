#include "link/lamp_numbers.h"

#include <cstring>

namespace lamp {

namespace {

static_assert(kLampNumberRows <= 0x7FFF, "rows must fit the index's 16-bit entries");

bool SameNumber(const char* a, const char* b) {
  return std::memcmp(a, b, kLampNumberComparedBytes) == 0;
}

// Multiplicative hashing of the six bytes: the top bits of the product depend on all of them.
std::size_t IndexStart(const char* number, std::size_t index_size_bits) {
  std::uint64_t key = 0;
  std::memcpy(&key, number, kLampNumberComparedBytes);
  return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> (64 - index_size_bits));
}

}  // namespace

void LampNumberColumn::Set(std::size_t row, const LampNumberSlot& number) {
  if (row >= rows_.size()) return;
  rows_[row] = number;
  index_out_of_date_ = true;
}

void LampNumberColumn::Clear() {
  for (LampNumberSlot& row : rows_) row.fill('\0');
  index_out_of_date_ = true;
}

int LampNumberColumn::FindFirst(const char* number) {
  if (index_out_of_date_) RebuildIndex();
  constexpr std::size_t kMask = kIndexSize - 1;
  for (std::size_t at = IndexStart(number, kIndexSizeBits);; at = (at + 1) & kMask) {
    const std::int16_t row = index_[at];
    if (row == kNoRow) return -1;
    if (SameNumber(rows_[static_cast<std::size_t>(row)].data(), number)) return row;
  }
}

void LampNumberColumn::RebuildIndex() {
  index_.fill(kNoRow);
  constexpr std::size_t kMask = kIndexSize - 1;
  // Rows go in from the lowest, and a number already in keeps its row: the first one wins.
  for (std::size_t row = 0; row < rows_.size(); ++row) {
    const char* number = rows_[row].data();
    std::size_t at = IndexStart(number, kIndexSizeBits);
    while (index_[at] != kNoRow &&
           !SameNumber(rows_[static_cast<std::size_t>(index_[at])].data(), number)) {
      at = (at + 1) & kMask;
    }
    if (index_[at] == kNoRow) index_[at] = static_cast<std::int16_t>(row);
  }
  index_out_of_date_ = false;
}

}  // namespace lamp
