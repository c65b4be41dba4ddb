#include "fake_host.h"

#include <cstdlib>
#include <cstring>

#include "platform/io/stream.h"

namespace {

FakeHost *fake;

long write_some(Handle handle, const void *data, size_t size) {
  fake->write_sizes.push_back(size);
  size_t room = fake->accept_limit - fake->accepted;
  size_t taken = size < room ? size : room;
  fake->files[static_cast<size_t>(handle)].append(static_cast<const char *>(data), taken);
  fake->accepted += taken;
  if (taken == size) return static_cast<long>(taken);
  ++fake->failed_writes; // a full disk: the bytes that fit are kept, the write fails
  return kWriteFailed;
}

// A scripted read longer than the buffer is delivered over several reads.
ReadStatus read_some(Handle, void *data, size_t size, size_t *got) {
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

bool close_file(Handle) {
  return !fake->fail_close;
}

} // namespace

const StreamHooks host_file_hooks = {write_some, read_some, close_file};

ProcessArguments host_start(ProcessArguments given) {
  return given;
}
void host_open_terminal() {}
void host_set_float_state() {}
void host_finish() {}
void host_exit(int32_t) {
  abort();
}
void host_show_fatal(const char *text) {
  fake->fatal_text += text;
}

Handle host_std_handle(int slot) {
  return slot;
}
Handle host_create_file(const char *) {
  if (fake->refuse_create) return kNoHandle;
  fake->files.emplace_back();
  return static_cast<Handle>(fake->files.size() - 1);
}
bool host_is_char_device(Handle) {
  return fake->char_device;
}
void *host_allocate(size_t size) {
  return fake->fail_allocation ? nullptr : malloc(size);
}
void host_release(void *block) {
  free(block);
}

int host_read_key() {
  return -1;
}
void host_local_time(LocalTime *now) {
  *now = fake->now;
}
ZoneQuery host_zone_info(ZoneInfo *zone) {
  *zone = fake->zone;
  return fake->zone_query;
}
const char *host_environment_variable(const char *name) {
  auto found = fake->variables.find(name);
  return found == fake->variables.end() ? nullptr : found->second.c_str();
}

FakeHost::FakeHost() {
  fake = this;
  start_streams();
}

FakeHost::~FakeHost() {
  end_streams();
  fake = nullptr;
}
