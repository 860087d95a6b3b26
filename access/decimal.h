#ifndef DB_ACCESS_DECIMAL_H_
#define DB_ACCESS_DECIMAL_H_

#include <cstdint>

// `value` / 10 by a multiplication: the recorder's build is optimised for
// size, in which the compiler divides with the core's divide instruction,
// some twenty cycles on the board and more under emulation; a listing
// divides for every digit it prints. Exact for every 32-bit value.
inline uint32_t TenthOf(uint32_t value) {
  return static_cast<uint32_t>((static_cast<uint64_t>(value) * 0xCCCCCCCDu) >>
                               35);
}

#endif  // DB_ACCESS_DECIMAL_H_
