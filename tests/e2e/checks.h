// What a finished run must show, checked against the model.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "harness.h"
#include "model.h"

namespace e2e {

// The exact standard output of a run that asked both questions and had
// nothing to report.
extern const std::string kPrompts;

constexpr int32_t kClock = 0; // the seed read as 0: the clock supplies it

// Success when the run ended by itself with `status` and wrote nothing to
// standard error; otherwise says what happened instead.
::testing::AssertionResult ended_with(const RunResult &run, int status);

// Success when the two files are those of a run of `roll_count` rolls
// seeded with `seed`. For kClock the report must say "Seed: 0 " and give
// the value taken in its Time line, and the rolls must be those of that
// value. Lists every difference.
::testing::AssertionResult holds_run(const RunResult &run, int32_t roll_count, int32_t seed);

} // namespace e2e
