// What dicestat's two files are made of, for the program and dicestat-chart alike: the
// outcomes of two dice and their labels, a roll's bytes in the log, the generator's outputs.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kFaces = 6;
constexpr int kOutcomes = kFaces * kFaces;

// Label of each outcome index: first die's face, then the second die's.
constexpr int32_t outcome_labels[kOutcomes] = {11, 12, 13, 14, 15, 16, 21, 22, 23, 24, 25, 26,
                                               31, 32, 33, 34, 35, 36, 41, 42, 43, 44, 45, 46,
                                               51, 52, 53, 54, 55, 56, 61, 62, 63, 64, 65, 66};

constexpr size_t kRollTextSize = 3; // bytes of a roll in the log: two digits and a blank

// The generator's outputs are 0 to kGeneratorRange - 1; a roll is one output modulo kOutcomes.
constexpr uint32_t kGeneratorRange = 1u << 15;
