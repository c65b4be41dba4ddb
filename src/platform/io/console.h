// The console dialogue's one limit: the longest decimal integer field that
// read_int takes, sign included; the field ends there whatever follows.
#pragma once

constexpr int kIntFieldMax = 32767;
