// Every share a report can print, each single-precision value from 0 up to
// 128, and its deviation, through the program's "%2.4f" and "%+2.4f" and
// through a plain long-double reference written apart from it.
#include <atomic>
#include <cfloat>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <thread>

#include "platform/format/fixed_point.h"
#include "sim/share.h"

#if LDBL_MANT_DIG == 64
#include "reference_fixed4.h"

namespace {

constexpr uint32_t kEndBits = 0x43000000; // 128.0f, the first value left out
// Runs of neighbouring values, taken in the order j * kStride modulo
// kChunks = 67 * 2^8 (kStride, a prime, does not divide it: each run once):
// magnitudes mix, so that a fault confined to some of them shows early and
// both threads get equal work, while branches within a run stay predictable.
constexpr uint32_t kChunkBits = 1 << 16;
constexpr uint32_t kChunks = kEndBits / kChunkBits;
constexpr uint64_t kStride = 10007;
constexpr int kThreads = 2;
constexpr long kPrinted = 20;

using Clock = std::chrono::steady_clock;

struct Sweep {
  Clock::time_point start;
  std::atomic<long> differences;
};

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void compare(Sweep *sweep, uint32_t bits, double value, bool plus_sign) {
  char got[kFixedTextMax], want[kFixedTextMax];
  size_t got_length = format_fixed4(value, plus_sign, got);
  size_t want_length = reference::fixed4(value, plus_sign, want);
  if (got_length == want_length && memcmp(got, want, got_length) == 0) return;
  if (sweep->differences.fetch_add(1) < kPrinted)
    printf("0x%08x %s: %.*s, long double %.*s (after %.1f s)\n", static_cast<unsigned>(bits),
           plus_sign ? "deviation" : "share", static_cast<int>(got_length), got,
           static_cast<int>(want_length), want, seconds_since(sweep->start));
}

void sweep_chunks(Sweep *sweep, uint32_t first, uint32_t end) {
  for (uint32_t j = first; j < end; ++j) {
    auto chunk = static_cast<uint32_t>(j * kStride % kChunks);
    for (uint32_t bits = chunk * kChunkBits; bits < (chunk + 1) * kChunkBits; ++bits) {
      float share;
      memcpy(&share, &bits, sizeof share);
      compare(sweep, bits, share, false);
      compare(sweep, bits, share_deviation(share), true);
    }
  }
}

} // namespace

int main() {
  Sweep sweep{Clock::now(), {0}};
  std::thread threads[kThreads];
  for (int t = 0; t < kThreads; ++t)
    threads[t] =
        std::thread(sweep_chunks, &sweep, kChunks * t / kThreads, kChunks * (t + 1) / kThreads);
  for (auto &thread : threads) thread.join();
  long differences = sweep.differences;
  printf("values checked: %u, differences: %ld, time: %.1f s\n", kEndBits, differences,
         seconds_since(sweep.start));
  return differences == 0 ? 0 : 1;
}
#else
int main() {
  printf("skipped: long double has a %d-bit significand, not the 64 bits of the reference\n",
         LDBL_MANT_DIG);
  return 0;
}
#endif
