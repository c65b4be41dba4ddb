// The little the chart's input and output ask of the host beyond standard
// C++, so that they are the same bytes on every system.
#pragma once

#include <csignal>
#include <cstddef>

// Standard input and output carry bytes unchanged. The Windows C library
// would write each LF as CR LF and end input at a Ctrl+Z byte. Call before
// any input or output.
void use_binary_stdio();

// For --follow, which reads rolls as they come.

// A file descriptor open for reading the file at path, or -1 with errno set.
int open_to_follow(const char *path);

// Up to size bytes from fd as soon as any are there: how many, 0 at the
// end, -1 with errno set on an error or EINTR when a signal came.
long read_some(int fd, void *bytes, size_t size);

// Whether more input is waiting on fd now; where the system cannot tell,
// false, so that output is written out at once.
bool input_waiting(int fd);

// Whether fd is a terminal.
bool is_terminal(int fd);

// Ctrl-C (SIGINT) sets *flag to 1 and interrupts a read, instead of ending
// the program.
void on_interrupt(volatile std::sig_atomic_t *flag);

// A short wait before looking again at a file that has not grown: cut
// short by a signal.
void pause_briefly();
