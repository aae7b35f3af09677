#pragma once
// The lamp numbers of a worker table in its row order, with the lookup that every received
// answer and datagram makes: the first row whose number has the same first six bytes. Both
// programs keep their worker tables' numbers (at most 6000 rows) in such a column.
#include <array>
#include <cstddef>
#include <cstdint>

namespace lamp {

inline constexpr std::size_t kLampNumberRows = 6000;
inline constexpr std::size_t kLampNumberComparedBytes = 6;
// A number in its row: 6 characters, NUL, one spare byte.
using LampNumberSlot = std::array<char, 8>;

// The rows are indexed by their first six bytes in an open-addressing hash table of row
// numbers, so a lookup costs a probe or two instead of a walk over the rows. The rows change
// only through Set and Clear, which mark the index out of date; the next lookup rebuilds it
// in place, so no lookup ever sees an index that disagrees with the rows, and nothing is
// allocated.
class LampNumberColumn {
 public:
  const LampNumberSlot& operator[](std::size_t row) const { return rows_[row]; }

  // Row `row` (below kLampNumberRows; others are ignored) holds these eight bytes.
  void Set(std::size_t row, const LampNumberSlot& number);
  // Every row all NUL.
  void Clear();

  // The lowest row whose first six bytes equal the six bytes at `number` (all six, NULs and
  // what follows them included), -1 when none. Six bytes must be readable at `number`.
  int FindFirst(const char* number);

 private:
  // A power of two, so a probe wraps with a mask, and under half full with every row
  // distinct, so probe runs stay short.
  static constexpr std::size_t kIndexSizeBits = 14;
  static constexpr std::size_t kIndexSize = std::size_t{1} << kIndexSizeBits;
  static constexpr std::int16_t kNoRow = -1;

  void RebuildIndex();

  std::array<LampNumberSlot, kLampNumberRows> rows_{};
  std::array<std::int16_t, kIndexSize> index_{};  // a row, or kNoRow
  bool index_out_of_date_ = true;
};

}  // namespace lamp
