// The host operations the platform layer stands on. Every call that leaves
// the process goes through the one table `host`, so that a backend for
// another system can fill it in and tests can put failures into it.
#pragma once

#include <cstddef>
#include <cstdint>

using Handle = intptr_t;
constexpr Handle kNoHandle = -1;

enum class ReadStatus {
  kOk,    // `got` bytes arrived; 0 means end of input
  kEnded, // the writer has gone (a broken pipe): end of input
  kFailed // a read error
};

// One reading of the local wall clock.
struct LocalTime {
  int32_t second, minute, hour; // 0-59, 0-59, 0-23
  int32_t day, month, year;     // 1-31, 1-12, full year
};

// The host's answer about its time zone.
enum class ZoneQuery { kInvalid, kUnknown, kStandard, kDaylight };

// The host's zone settings, in minutes; UTC is local time plus `bias`.
struct ZoneInfo {
  int32_t bias;
  int32_t standard_month; // 0 when the zone has no standard-time transition
  int32_t standard_bias;
  int32_t daylight_month; // 0 when the zone has no daylight-saving transition
  int32_t daylight_bias;
};

struct Host {
  Handle (*std_handle)(int slot);          // standard input, output, error for slot 0, 1, 2
  Handle (*create_file)(const char *name); // create or truncate, write-only, shareable
  // Writes all `size` bytes; false on failure, with `*written` the bytes taken.
  bool (*write_file)(Handle handle, const void *data, size_t size, size_t *written);
  ReadStatus (*read_file)(Handle handle, void *data, size_t size, size_t *got);
  bool (*close_handle)(Handle handle);
  bool (*is_char_device)(Handle handle); // a terminal: line buffering, interactive
  void *(*allocate)(size_t size);        // null when memory is short
  void (*release)(void *block);
  int (*read_key)();        // one raw unechoed key from the terminal, or -1
  void (*close_terminal)(); // done with the terminal: at the end of the process
  void (*local_time)(LocalTime *now);
  ZoneQuery (*zone_info)(ZoneInfo *zone);
  // The host's own lookup of an environment variable, for a name that the
  // environment table lacks: the value, or null when there is none.
  const char *(*environment_variable)(const char *name);
  void (*show_fatal)(const char *text); // where the console is, or the user will see it
  void (*exit_process)(int32_t status); // does not return
};

extern Host host;
