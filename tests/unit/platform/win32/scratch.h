// A scratch folder for the Windows backend's tests, and whole-file reads
// through the system, so that a file's bytes are checked as written.
#pragma once

#include <windows.h>

#include <string>

namespace win32_test {

// A fresh folder under the user's temporary folder, removed with its files
// (not subfolders' contents) when this goes.
class ScratchDir {
public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir &) = delete;
  ScratchDir &operator=(const ScratchDir &) = delete;

  // `name` inside the folder.
  std::string path(const char *name) const { return path_ + "\\" + name; }

private:
  std::string path_;
};

// The whole file, read while others may still write it; "(missing)" when it
// cannot be opened.
std::string contents(const std::string &path);

// Creates or replaces the file with `bytes`.
void put_file(const std::string &path, const std::string &bytes);

} // namespace win32_test
