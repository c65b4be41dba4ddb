// The controlling terminal, opened once at start-up for the single-key wait.
#pragma once

// Opens the terminal; without one the key wait answers -1 at once.
void terminal_open();

// Closes it again at the end of the process.
void terminal_close();

// One key in raw mode: no echo, no line editing, no signal keys. The
// terminal's mode is put back afterwards, and also if SIGTERM or SIGHUP ends
// the process meanwhile. Returns the key's code, or -1.
int terminal_read_key();
