// The host table for Windows: handles are the system's own, and the process
// heap supplies memory.
#include <windows.h>

#include <cstdint>

#include "platform/host.h"
#include "platform/win32/win32.h"

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

Handle std_handle(int slot) {
  return handle_from(GetStdHandle(kStdHandles[slot]));
}

// Created or cut to length 0; other processes may read and write it
// meanwhile.
Handle create_file(const char *name) {
  return handle_from(CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Goes on after a short write; a failed call, or one that takes nothing,
// ends it.
bool write_file(Handle handle, const void *data, size_t size, size_t *written) {
  const char *bytes = static_cast<const char *>(data);
  size_t done = 0;
  while (done < size) {
    size_t piece = size - done < kLargestTransfer ? size - done : kLargestTransfer;
    DWORD took = 0;
    if (!WriteFile(handle_of(handle), bytes + done, static_cast<DWORD>(piece), &took, nullptr) ||
        took == 0)
      break;
    done += took;
  }
  *written = done;
  return done == size;
}

// A pipe whose writer has gone reports a broken pipe: that is end of input.
ReadStatus read_file(Handle handle, void *data, size_t size, size_t *got) {
  size_t piece = size < kLargestTransfer ? size : kLargestTransfer;
  DWORD took = 0;
  BOOL ok = ReadFile(handle_of(handle), data, static_cast<DWORD>(piece), &took, nullptr);
  *got = ok ? took : 0;
  if (ok) return ReadStatus::kOk;
  return GetLastError() == ERROR_BROKEN_PIPE ? ReadStatus::kEnded : ReadStatus::kFailed;
}

bool close_handle(Handle handle) {
  return CloseHandle(handle_of(handle)) != 0;
}

bool is_char_device(Handle handle) {
  return GetFileType(handle_of(handle)) == FILE_TYPE_CHAR;
}

void *allocate(size_t size) {
  return HeapAlloc(GetProcessHeap(), 0, size);
}

void release(void *block) {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}

// At the end of the process the console input device is closed, then the
// environment block goes back to the host.
void end_frame() {
  console_close();
  environment_release();
}

void exit_process(int32_t status) {
  ExitProcess(static_cast<UINT>(status));
}

} // namespace

Host host = {std_handle,
             create_file,
             write_file,
             read_file,
             close_handle,
             is_char_device,
             allocate,
             release,
             console_read_key,
             end_frame,
             win32_local_time,
             win32_zone_info,
             win32_environment_variable,
             win32_show_fatal,
             exit_process};
