// Powers of ten for the fixed-point conversion: the nearest 64-bit-significand
// value (ties to even) to 10^(2^k) and to 10^-(2^k), for k = 0 to 12. Entries
// up to 10^16 are exact.
#pragma once

#include "platform/format/ext_float.h"

constexpr int kPow10TableSize = 13;

// 10^(2^k).
inline constexpr ExtFloat kPow10Up[kPow10TableSize] = {
    {0xA000000000000000u, -60},   // 10^1
    {0xC800000000000000u, -57},   // 10^2
    {0x9C40000000000000u, -50},   // 10^4
    {0xBEBC200000000000u, -37},   // 10^8
    {0x8E1BC9BF04000000u, -10},   // 10^16
    {0x9DC5ADA82B70B59Eu, 43},    // 10^32
    {0xC2781F49FFCFA6D5u, 149},   // 10^64
    {0x93BA47C980E98CE0u, 362},   // 10^128
    {0xAA7EEBFB9DF9DE8Eu, 787},   // 10^256
    {0xE319A0AEA60E91C7u, 1637},  // 10^512
    {0xC976758681750C17u, 3338},  // 10^1024
    {0x9E8B3B5DC53D5DE5u, 6740},  // 10^2048
    {0xC46052028A20979Bu, 13543}, // 10^4096
};

// 10^-(2^k).
inline constexpr ExtFloat kPow10Down[kPow10TableSize] = {
    {0xCCCCCCCCCCCCCCCDu, -67},    // 10^-1
    {0xA3D70A3D70A3D70Au, -70},    // 10^-2
    {0xD1B71758E219652Cu, -77},    // 10^-4
    {0xABCC77118461CEFDu, -90},    // 10^-8
    {0xE69594BEC44DE15Bu, -117},   // 10^-16
    {0xCFB11EAD453994BAu, -170},   // 10^-32
    {0xA87FEA27A539E9A5u, -276},   // 10^-64
    {0xDDD0467C64BCE4A1u, -489},   // 10^-128
    {0xC0314325637A193Au, -914},   // 10^-256
    {0x9049EE32DB23D21Cu, -1764},  // 10^-512
    {0xA2A682A5DA57C0BEu, -3465},  // 10^-1024
    {0xCEAE534F34362DE4u, -6867},  // 10^-2048
    {0xA6DD04C8D2CE9FDEu, -13670}, // 10^-4096
};
