// The little the chart's input and output ask of the host beyond standard
// C++, so that they are the same bytes on every system.
#pragma once

// Where a path's file name begins: after its last separator. Windows also
// takes '\' and a drive's ':' ("C:statfile.txt").
#ifdef _WIN32
inline constexpr const char *kPathSeparators = "/\\:";
#else
inline constexpr const char *kPathSeparators = "/";
#endif

// Standard input and output carry bytes unchanged. The Windows C library
// would write each LF as CR LF and end input at a Ctrl+Z byte. Call before
// any input or output.
void use_binary_stdio();
