#ifndef DB_FUZZ_FUZZ_CHECK_H_
#define DB_FUZZ_FUZZ_CHECK_H_

#include <cstdio>
#include <cstdlib>

// Ends the run as a finding when an invariant does not hold. Release
// builds drop assert(), so the fuzzers check with this instead.
inline void Require(bool holds, const char* invariant) {
  if (holds) return;
  std::fprintf(stderr, "invariant broken: %s\n", invariant);
  std::abort();
}

#endif  // DB_FUZZ_FUZZ_CHECK_H_
