// The little the chart's input and output ask of the host beyond standard
// C++, so that they are the same bytes on every system.
#pragma once

// Standard input and output carry bytes unchanged. The Windows C library
// would write each LF as CR LF and end input at a Ctrl+Z byte. Call before
// any input or output.
void use_binary_stdio();
