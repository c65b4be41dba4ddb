#include "support/scratch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace fs = std::filesystem;

std::string make_scratch_dir(std::string_view prefix) {
  std::error_code error;
  fs::path base = fs::temp_directory_path(error);
  std::random_device random;
  // A name already taken is passed over. The folder is its owner's alone:
  // no other user of the machine reads or changes a test's files.
  for (int tries = 0; !error && tries < 100; ++tries) {
    fs::path candidate = base / (std::string(prefix) + "." + std::to_string(random()));
    if (fs::create_directory(candidate, error)) {
      fs::permissions(candidate, fs::perms::owner_all, error);
      return candidate.string();
    }
  }
  ADD_FAILURE() << "cannot make a directory in " << base << ": " << error.message();
  return "";
}

void remove_scratch_dir(const std::string &dir) {
  if (dir.empty()) return;
  std::error_code ignored;
  fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(dir, ignored);
}

std::string Scratch::path(std::string_view name) const {
  return (fs::path(dir) / name).string();
}

std::string read_file(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::string &path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  EXPECT_TRUE(out.good()) << "cannot write " << path;
}
