// The in-memory backend that the unit tests link in the real one's place:
// files are strings, reads follow a script, and any call can be made to
// fail. A FakeHost is the host for its lifetime, with every stream closed.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/host_support.h"

struct FakeHost {
  // Files created so far, by handle (handles 0-2 are the standard ones).
  std::vector<std::string> files = std::vector<std::string>(3);
  std::vector<size_t> write_sizes; // every write_file call's size, in order
  size_t accept_limit = SIZE_MAX;  // total bytes the host takes before writes fail
  size_t accepted = 0;
  size_t failed_writes = 0;
  bool refuse_create = false;
  bool fail_close = false;
  bool fail_allocation = false;
  bool char_device = false;

  std::vector<std::string> reads; // what each read delivers, in order
  size_t reads_made = 0;
  size_t read_offset = 0;                    // into the current read when it exceeds the buffer
  ReadStatus after_script = ReadStatus::kOk; // once the script is used up

  LocalTime now = {0, 0, 12, 1, 7, 2026};
  ZoneQuery zone_query = ZoneQuery::kUnknown;
  ZoneInfo zone = {};
  std::map<std::string, std::string> variables; // the host's lookup beyond the table
  std::string fatal_text;

  FakeHost();
  ~FakeHost();
  FakeHost(const FakeHost &) = delete;
  FakeHost &operator=(const FakeHost &) = delete;
};
