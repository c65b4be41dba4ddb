#include "fake_host.h"

#include <cstdlib>
#include <cstring>

#include "platform/stream.h"

namespace {

FakeHost *fake;

Handle std_handle(int slot) {
  return slot;
}

Handle create_file(const char *) {
  if (fake->refuse_create) return kNoHandle;
  fake->files.emplace_back();
  return static_cast<Handle>(fake->files.size() - 1);
}

bool write_file(Handle handle, const void *data, size_t size, size_t *written) {
  fake->write_sizes.push_back(size);
  size_t room = fake->accept_limit - fake->accepted;
  size_t taken = size < room ? size : room;
  fake->files[static_cast<size_t>(handle)].append(static_cast<const char *>(data), taken);
  fake->accepted += taken;
  *written = taken;
  if (taken != size) ++fake->failed_writes;
  return taken == size;
}

// A scripted read longer than the buffer is delivered over several reads.
ReadStatus read_file(Handle, void *data, size_t size, size_t *got) {
  *got = 0;
  if (fake->reads_made >= fake->reads.size()) return fake->after_script;
  const std::string &chunk = fake->reads[fake->reads_made];
  size_t left = chunk.size() - fake->read_offset;
  *got = left < size ? left : size;
  memcpy(data, chunk.data() + fake->read_offset, *got);
  fake->read_offset += *got;
  if (fake->read_offset == chunk.size()) {
    fake->read_offset = 0;
    ++fake->reads_made;
  }
  return ReadStatus::kOk;
}

bool close_handle(Handle) {
  return !fake->fail_close;
}
bool is_char_device(Handle) {
  return fake->char_device;
}
void *allocate(size_t size) {
  return fake->fail_allocation ? nullptr : malloc(size);
}
void release(void *block) {
  free(block);
}
int read_key() {
  return -1;
}
void close_terminal() {}
void local_time(LocalTime *now) {
  *now = fake->now;
}
ZoneQuery zone_info(ZoneInfo *zone) {
  *zone = fake->zone;
  return fake->zone_query;
}
const char *environment_variable(const char *name) {
  auto found = fake->variables.find(name);
  return found == fake->variables.end() ? nullptr : found->second.c_str();
}
void show_fatal(const char *text) {
  fake->fatal_text += text;
}
void exit_process(int32_t) {
  abort();
}

} // namespace

FakeHost::FakeHost() : saved_(host) {
  fake = this;
  host = {std_handle,
          create_file,
          write_file,
          read_file,
          close_handle,
          is_char_device,
          allocate,
          release,
          read_key,
          close_terminal,
          local_time,
          zone_info,
          environment_variable,
          show_fatal,
          exit_process};
  for (Stream &s : stream_table) s = Stream{};
  streams_start();
}

FakeHost::~FakeHost() {
  for (Stream &s : stream_table)
    if (s.buffer && s.buffer != s.spare) free(s.buffer);
  for (Stream &s : stream_table) s = Stream{};
  host = saved_;
  fake = nullptr;
}
