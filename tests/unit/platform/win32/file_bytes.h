// Whole files read and written through the system, for the Windows
// backend's tests, so that a file's bytes are checked as written.
#pragma once

#include <windows.h>

#include <string>

namespace win32_test {

// The whole file, read while others may still write it; "(missing)" when it
// cannot be opened.
std::string contents(const std::string &path);

// Creates or replaces the file with `bytes`.
void put_file(const std::string &path, const std::string &bytes);

} // namespace win32_test
