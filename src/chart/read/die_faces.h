// The faces of a die: named on the command line (--die d20, --die dF,
// --faces 0-9, --faces=-,0,+), or taken from the values read as the
// smallest common die that holds them all.
#pragma once

#include <string>
#include <vector>

struct DieFaces {
  std::vector<std::string> labels; // in order; empty when the name was wrong
  std::string name;                // "d20", "dF", "die 0-9", "die -,0,+"
  std::string error;               // what is wrong with the name
};

// --die NAME: dK for K faces 1 to K (2 to 100), or dF for Fate's -, 0, +.
DieFaces die_named(const std::string &name);

// --faces LIST: "LOW-HIGH" for the whole numbers from LOW to HIGH, or the
// faces apart by commas.
DieFaces faces_listed(const std::string &list);

// A whole number 0 to 999 written in at most three digits, or -1.
int small_number(const char *text, size_t length);

// The smallest common die, d4, d6, d8, d10, d12, d20 or d100, holding the
// values from `low` to `high`, its faces from 0 when `low` is 0, else from
// 1; its faces, or none when no such die holds them.
std::vector<std::string> smallest_die(int low, int high, std::string &name);
