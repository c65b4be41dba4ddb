// Micro-benchmarks: the roll loop and the statistics report writing into a
// file that keeps nothing, so that only the program's own work is timed.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "host_kernels.h"
#include "one_roll_at_a_time.h"
#include "platform/host.h"
#include "platform/io/stream.h"
#include "platform/platform.h"
#include "sim/report.h"
#include "sim/roll/kernel.h"

namespace {

constexpr int32_t kSeed = 1;
constexpr Handle kSinkHandle = 3;

long sink_write(Handle, const void *, size_t size) {
  return static_cast<long>(size);
}

ReadStatus sink_read(Handle, void *, size_t, size_t *got) {
  *got = 0;
  return ReadStatus::kOk;
}

bool sink_close(Handle) {
  return true;
}

// A file that swallows every byte: the stream's buffering and pieces still
// happen, the system calls do not.
const StreamHooks kSinkHooks = {sink_write, sink_read, sink_close};
Stream sink_stream;

Stream *open_sink() {
  open_stream(&sink_stream, kSinkHandle, &kSinkHooks);
  return &sink_stream;
}

void set_rolls(benchmark::State &state, int64_t rolls) {
  state.SetItemsProcessed(state.iterations() * rolls);
  state.SetBytesProcessed(state.iterations() * rolls * static_cast<int64_t>(kRollTextSize));
}

// The roll loop as the run calls it: items per second are rolls per second.
void BM_RecordRolls(benchmark::State &state) {
  const int32_t rolls = static_cast<int32_t>(state.range(0));
  state.SetLabel(kernel_name(fastest_roll_kernel()));
  for (auto _ : state) {
    Stream *dice = open_sink();
    Generator generator;
    Tallies tallies = {};
    generator_seed(&generator, kSeed);
    roll_and_record(&generator, dice, rolls, &tallies);
    close_stream(dice);
    benchmark::DoNotOptimize(tallies[0]);
  }
  set_rolls(state, rolls);
}
BENCHMARK(BM_RecordRolls)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);

// The one-roll-at-a-time path that the roll loop replaces.
void BM_RecordRollOneByOne(benchmark::State &state) {
  const int32_t rolls = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    Stream *dice = open_sink();
    Generator generator;
    Tallies tallies = {};
    generator_seed(&generator, kSeed);
    for (int32_t i = 0; i < rolls; ++i) record_one(dice, next_outcome(&generator), &tallies);
    close_stream(dice);
    benchmark::DoNotOptimize(tallies[0]);
  }
  set_rolls(state, rolls);
}
BENCHMARK(BM_RecordRollOneByOne)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Each kernel on its own, into a chunk of memory: the roll loop without the
// stream's copy.
void BM_RollKernel(benchmark::State &state) {
  const std::vector<NamedKernel> kernels = host_kernels();
  size_t which = static_cast<size_t>(state.range(0));
  if (which >= kernels.size()) {
    state.SkipWithError("kernel not available on this host");
    return;
  }
  constexpr size_t kChunk = 4096;
  static char text[kChunk * kRollTextSize + kRollSlack];
  static RollCounts counts;
  uint32_t generator = kSeed;
  state.SetLabel(kernels[which].name);
  for (auto _ : state) {
    kernels[which].roll(&generator, kChunk, text, &counts);
    benchmark::ClobberMemory();
  }
  set_rolls(state, kChunk);
}
BENCHMARK(BM_RollKernel)->DenseRange(0, 1);

// The 36 statistics lines and the totals after a million rolls.
void BM_WriteStatistics(benchmark::State &state) {
  const int32_t rolls = 1000000;
  Generator generator;
  Tallies tallies = {};
  generator_seed(&generator, kSeed);
  Stream *dice = open_sink();
  roll_and_record(&generator, dice, rolls, &tallies);
  close_stream(dice);
  for (auto _ : state) {
    Stream *stat = open_sink();
    write_statistics(stat, rolls, tallies);
    close_stream(stat);
  }
  state.SetItemsProcessed(state.iterations() * kOutcomes);
}
BENCHMARK(BM_WriteStatistics);

} // namespace

BENCHMARK_MAIN();
