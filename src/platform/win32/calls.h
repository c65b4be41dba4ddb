// Every call the Windows backend makes to the system, in one table, so that
// a test can make any of them fail or come up short and put the real ones
// back with `sys = Win32Calls{}`. Each member is set where it is declared:
// a slot cannot be left out, nor filled by position. This is the one file
// of the backend that names the system's functions; the others call
// through `sys`.
#pragma once

#include <windows.h>

struct Win32Calls {
  // Files, pipes and devices
  decltype(&::CreateFileA) CreateFileA = ::CreateFileA;
  decltype(&::ReadFile) ReadFile = ::ReadFile;
  decltype(&::WriteFile) WriteFile = ::WriteFile;
  decltype(&::CloseHandle) CloseHandle = ::CloseHandle;
  decltype(&::GetFileType) GetFileType = ::GetFileType;
  decltype(&::GetStdHandle) GetStdHandle = ::GetStdHandle;
  decltype(&::GetLastError) GetLastError = ::GetLastError;
  // The console
  decltype(&::GetConsoleMode) GetConsoleMode = ::GetConsoleMode;
  decltype(&::SetConsoleMode) SetConsoleMode = ::SetConsoleMode;
  decltype(&::ReadConsoleA) ReadConsoleA = ::ReadConsoleA;
  decltype(&::WriteConsoleA) WriteConsoleA = ::WriteConsoleA;
  decltype(&::MessageBoxA) MessageBoxA = ::MessageBoxA;
  // The clock
  decltype(&::GetLocalTime) GetLocalTime = ::GetLocalTime;
  decltype(&::GetTimeZoneInformation) GetTimeZoneInformation = ::GetTimeZoneInformation;
  // What the process was started with
  decltype(&::GetCommandLineA) GetCommandLineA = ::GetCommandLineA;
  decltype(&::GetModuleFileNameA) GetModuleFileNameA = ::GetModuleFileNameA;
  decltype(&::GetEnvironmentStrings) GetEnvironmentStrings = ::GetEnvironmentStrings;
  decltype(&::FreeEnvironmentStringsA) FreeEnvironmentStringsA = ::FreeEnvironmentStringsA;
  decltype(&::GetEnvironmentVariableA) GetEnvironmentVariableA = ::GetEnvironmentVariableA;
  // Memory
  decltype(&::GetProcessHeap) GetProcessHeap = ::GetProcessHeap;
  decltype(&::HeapAlloc) HeapAlloc = ::HeapAlloc;
  decltype(&::HeapFree) HeapFree = ::HeapFree;
  // Faults and the end of the process
  decltype(&::SetUnhandledExceptionFilter) SetUnhandledExceptionFilter =
      ::SetUnhandledExceptionFilter;
  decltype(&::UnhandledExceptionFilter) UnhandledExceptionFilter = ::UnhandledExceptionFilter;
  decltype(&::GetCurrentProcess) GetCurrentProcess = ::GetCurrentProcess;
  decltype(&::TerminateProcess) TerminateProcess = ::TerminateProcess;
  decltype(&::ExitProcess) ExitProcess = ::ExitProcess;
};

extern Win32Calls sys;
