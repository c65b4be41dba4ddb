// Scratch folders for every test suite, and whole files read and written in
// them.
#pragma once

#include <string>
#include <string_view>

// Makes a fresh folder under the system's temporary folder ($TMPDIR or
// /tmp; the user's temporary folder on Windows), its name beginning with
// `prefix`, and returns its path; fails the current test and returns ""
// when none can be made.
std::string make_scratch_dir(std::string_view prefix);

// Removes the folder with everything in it, even when a test took away its
// write permission. Links in it are removed, not followed.
void remove_scratch_dir(const std::string &dir);

// A scratch folder for the length of a scope.
struct Scratch {
  std::string dir; // empty when none could be made
  explicit Scratch(std::string_view prefix = "dicestat-test") : dir(make_scratch_dir(prefix)) {}
  ~Scratch() { remove_scratch_dir(dir); }
  Scratch(const Scratch &) = delete;
  Scratch &operator=(const Scratch &) = delete;
  // `name` inside the folder.
  std::string path(std::string_view name) const;
};

// The whole file; empty when it cannot be read.
std::string read_file(const std::string &path);

// Creates or replaces the file with `bytes`.
void write_file(const std::string &path, std::string_view bytes);
