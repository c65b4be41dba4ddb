// A null-ended table of strings in one block from the heap, built from what
// a host hands over: the argument list and the environment table on a host
// that does not build them itself.
#pragma once

#include <cstddef>

#include "platform/host.h"

struct TableSpace {
  size_t entries; // strings in the table, before its null
  size_t bytes;   // of their text, each with its terminating zero
};

// `fill(table, text)` fills a table and its text and returns their space;
// with both null it only measures. Called once to measure and once into a
// block that holds the table and, after it, the text. Null when memory runs
// out; `*space` is the measure.
template <class Fill> char **build_table(Fill fill, TableSpace *space) {
  *space = fill(nullptr, nullptr);
  size_t table_size = (space->entries + 1) * sizeof(char *);
  char **table = static_cast<char **>(host_allocate(table_size + space->bytes));
  if (table) fill(table, reinterpret_cast<char *>(table) + table_size);
  return table;
}
