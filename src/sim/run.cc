// The simulation run: the dialogue, the two files, the rolls and the report.
#include "sim/run.h"

#include "platform/platform.h"
#include "sim/report.h"
#include "sim/roll/roll.h"

namespace {

constexpr int32_t kStatusOk = 0;
constexpr int32_t kStatusFailed = 1;

// What one run holds from the first prompt to the files' close; run() owns
// it and hands it to each step.
struct RunState {
  int32_t roll_count = 0;      // as answered; 0 when nothing could be read
  int32_t seed = 0;            // as answered; 0 asks for the clock
  Stream *dice_file = nullptr; // the roll log
  Stream *stat_file = nullptr; // the report
  Generator generator;
  Tallies tallies = {}; // rolls of each outcome
};

void ask_answers(RunState *r) {
  write_console("Enter number of rolls: ");
  read_int(&r->roll_count);
  write_console("Enter seed or blank for time: ");
  read_int_or_blank(&r->seed);
}

// A file that cannot be created ends the run before anything is rolled; the
// user gets to read the message before a console window could close. A
// roll log already created is closed at the end of the process.
int32_t give_up(const char *message) {
  write_console(message);
  wait_key();
  return kStatusFailed;
}

// The header, with the clock's value as the seed when the answer asks for
// it, then the rolls and the statistics.
void roll_and_report(RunState *r) {
  write_report_header(r->stat_file, r->roll_count, r->seed);
  if (r->seed == 0) {
    r->seed = read_clock();
    write_clock_line(r->stat_file, r->seed);
  }
  generator_seed(&r->generator, r->seed);
  write_header_end(r->stat_file);

  roll_and_record(&r->generator, r->dice_file, r->roll_count, &r->tallies);
  write_statistics(r->stat_file, r->roll_count, r->tallies);
}

// A write that failed along the way has silenced its file; say so now
// rather than leave a short file behind as if it were whole.
int32_t close_files(RunState *r) {
  bool dice_lost = close_stream(r->dice_file) != 0;
  bool stat_lost = close_stream(r->stat_file) != 0;
  if (dice_lost) write_console("Can't write dice file\n");
  if (stat_lost) write_console("Can't write stat file\n");
  return dice_lost || stat_lost ? kStatusFailed : kStatusOk;
}

} // namespace

int32_t run(int, char **, char **) {
  RunState r;
  ask_answers(&r);
  r.dice_file = create_text_file("dicefile.txt", "w");
  if (!r.dice_file) return give_up("Can't open dice file\n");
  r.stat_file = create_text_file("statfile.txt", "w");
  if (!r.stat_file) return give_up("Can't open stat file\n");
  roll_and_report(&r);
  return close_files(&r);
}
