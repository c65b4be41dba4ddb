// The simulation run: the dialogue, the two files, the rolls and the report.
#include "sim/run.h"

#include "platform/platform.h"
#include "sim/report.h"
#include "sim/roll/roll.h"

namespace {

constexpr int32_t kStatusOk = 0;
constexpr int32_t kStatusFailed = 1;

int32_t roll_count; // as answered; 0 when nothing could be read
int32_t seed;       // as answered; 0 asks for the clock
Stream *dice_file;
Stream *stat_file;
Generator generator;
Tallies tallies; // rolls of each outcome

// A file that cannot be created ends the run before anything is rolled; the
// user gets to read the message before a console window could close. A
// roll log already created is closed at the end of the process.
int32_t give_up(const char *message) {
  write_console(message);
  wait_key();
  return kStatusFailed;
}

} // namespace

int32_t run(int, char **, char **) {
  write_console("Enter number of rolls: ");
  read_int(&roll_count);
  write_console("Enter seed or blank for time: ");
  read_int_or_blank(&seed);

  dice_file = create_text_file("dicefile.txt", "w");
  if (!dice_file) return give_up("Can't open dice file\n");
  stat_file = create_text_file("statfile.txt", "w");
  if (!stat_file) return give_up("Can't open stat file\n");

  write_report_header(stat_file, roll_count, seed);
  if (seed == 0) {
    seed = read_clock();
    write_clock_line(stat_file, seed);
  }
  generator_seed(&generator, seed);
  write_header_end(stat_file);

  roll_and_record(&generator, dice_file, roll_count, &tallies);
  write_statistics(stat_file, roll_count, tallies);

  // A write that failed along the way has silenced its file; say so now
  // rather than leave a short file behind as if it were whole.
  bool dice_lost = close_stream(dice_file) != 0;
  bool stat_lost = close_stream(stat_file) != 0;
  if (dice_lost) write_console("Can't write dice file\n");
  if (stat_lost) write_console("Can't write stat file\n");
  return dice_lost || stat_lost ? kStatusFailed : kStatusOk;
}
