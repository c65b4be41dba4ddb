// What a backend (posix/, win32/) provides to the portable platform layer,
// and only that: each defines all of it, making its system calls through
// its one table of raw calls; the unit tests of the portable layer link an
// in-memory backend instead. What backends borrow is in host_support.h.
#pragma once

#include <cstddef>
#include <cstdint>

using Handle = intptr_t;
constexpr Handle kNoHandle = -1;

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

// What the process entry was handed, or what the backend built in its place.
struct ProcessArguments {
  int count;
  char **list;        // null-ended
  char **environment; // "NAME=value" entries, null-ended
};

// The hooks for the host's own files, pipes and devices.
extern const struct StreamHooks host_file_hooks;

// Start-up and the end of the process ---------------------------------------

// The backend's first steps: fault handling, signals, the argument list and
// the environment table (`given` when the host built them already). Makes a
// fatal report when memory runs out.
ProcessArguments host_start(ProcessArguments given);
void host_open_terminal();   // the device the key wait reads; silent when there is none
void host_set_float_state(); // round to nearest, exceptions masked, full precision
void host_finish();          // the terminal closed, the environment given back
[[noreturn]] void host_exit(int32_t status);
void host_show_fatal(const char *text); // where the user will see it

// Files and memory ------------------------------------------------------------

Handle host_std_handle(int slot);          // standard input, output, error for slot 0, 1, 2
Handle host_create_file(const char *name); // create or truncate, write-only, shareable
bool host_is_char_device(Handle handle);   // a terminal: line buffering, interactive
void *host_allocate(size_t size);          // null when memory is short
void host_release(void *block);

// The terminal and the clock ----------------------------------------------------

int host_read_key(); // one raw unechoed key from the terminal, or -1
void host_local_time(LocalTime *now);
ZoneQuery host_zone_info(ZoneInfo *zone);
// The host's own lookup of an environment variable, for a name that the
// environment table lacks: the value, or null when there is none.
const char *host_environment_variable(const char *name);
