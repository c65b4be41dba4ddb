#include "programs.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdlib>

#include <gtest/gtest.h>

std::string shell_quote(std::string_view text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

int run_shell(const std::string &command) {
  int status = std::system(command.c_str());
#ifdef _WIN32
  return status; // the command's own exit status
#else
  return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

std::string dicestat_report(std::string_view answers, std::string *log) {
  Scratch scratch;
  write_file(scratch.path("answers"), answers);
#ifdef _WIN32
  std::string command = "set \"TZ=UTC\" && cd /d \"" + scratch.dir + "\" && \"" + DICESTAT_BINARY +
                        "\" <answers >NUL";
#else
  std::string command = "cd " + shell_quote(scratch.dir) + " && TZ=UTC " +
                        shell_quote(DICESTAT_BINARY) + " <answers >/dev/null";
#endif
  EXPECT_EQ(run_shell(command), 0) << command;
  if (log != nullptr) *log = read_file(scratch.path("dicefile.txt"));
  return read_file(scratch.path("statfile.txt"));
}

size_t count_of(std::string_view haystack, std::string_view needle) {
  size_t n = 0;
  for (size_t at = haystack.find(needle); at != std::string_view::npos;
       at = haystack.find(needle, at + needle.size()))
    ++n;
  return n;
}
