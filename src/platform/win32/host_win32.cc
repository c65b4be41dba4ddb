// The host for Windows: handles are the system's own, and the process heap
// supplies memory.
#include <cfenv>
#include <cstdint>
#include <cstdlib>

#include "platform/host_support.h"
#include "platform/win32/calls.h"
#include "platform/win32/win32.h"

Win32Calls sys;

namespace {

// The largest piece one WriteFile or ReadFile call takes.
constexpr size_t kLargestTransfer = UINT32_MAX;

constexpr DWORD kStdHandles[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};

HANDLE handle_of(Handle handle) {
  return reinterpret_cast<HANDLE>(handle);
}

// INVALID_HANDLE_VALUE is kNoHandle.
Handle handle_from(HANDLE handle) {
  return reinterpret_cast<Handle>(handle);
}

DWORD piece_of(size_t size) {
  return static_cast<DWORD>(size < kLargestTransfer ? size : kLargestTransfer);
}

long write_some(Handle handle, const void *data, size_t size) {
  DWORD took = 0;
  if (!sys.WriteFile(handle_of(handle), data, piece_of(size), &took, nullptr)) return kWriteFailed;
  return static_cast<long>(took);
}

// A pipe whose writer has gone reports a broken pipe: that is end of input.
ReadStatus read_some(Handle handle, void *data, size_t size, size_t *got) {
  DWORD took = 0;
  BOOL ok = sys.ReadFile(handle_of(handle), data, piece_of(size), &took, nullptr);
  *got = ok ? took : 0;
  if (ok) return ReadStatus::kOk;
  return sys.GetLastError() == ERROR_BROKEN_PIPE ? ReadStatus::kEnded : ReadStatus::kFailed;
}

bool close_handle(Handle handle) {
  return sys.CloseHandle(handle_of(handle)) != 0;
}

} // namespace

const StreamHooks host_file_hooks = {write_some, read_some, close_handle};

// Round to nearest, every exception masked, 64-bit significands on the x87
// unit.
void host_set_float_state() {
  fesetenv(FE_PC64_ENV);
}

// At the end of the process the console input device is closed, then the
// environment block goes back to the host.
void host_finish() {
  console_close();
  environment_release();
}

void host_exit(int32_t status) {
  sys.ExitProcess(static_cast<UINT>(status));
  abort(); // the slot's call does not return
}

Handle host_std_handle(int slot) {
  return handle_from(sys.GetStdHandle(kStdHandles[slot]));
}

// Created or cut to length 0; other processes may read and write it
// meanwhile.
Handle host_create_file(const char *name) {
  return handle_from(sys.CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool host_is_char_device(Handle handle) {
  return sys.GetFileType(handle_of(handle)) == FILE_TYPE_CHAR;
}

void *host_allocate(size_t size) {
  return sys.HeapAlloc(sys.GetProcessHeap(), 0, size);
}

void host_release(void *block) {
  if (block) sys.HeapFree(sys.GetProcessHeap(), 0, block);
}
