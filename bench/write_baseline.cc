// The write-only baseline: takes the roll count from standard input like
// dicestat, then writes 3 bytes a roll to dicefile.txt in the roll log's
// 16,384-byte pieces from a buffer filled once. It generates nothing, so its
// time is what the writes alone cost.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kPiece = 16384;
constexpr size_t kRollBytes = 3;

} // namespace

int main() {
  long long rolls = 0;
  if (scanf("%lld", &rolls) != 1 || rolls < 0) return 2;
  static char piece[kPiece];
  for (size_t i = 0; i < kPiece; ++i) piece[i] = "53 "[i % kRollBytes];
  int fd = open("dicefile.txt", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return 1;
  for (unsigned long long left = static_cast<unsigned long long>(rolls) * kRollBytes; left > 0;) {
    size_t size = left < kPiece ? static_cast<size_t>(left) : kPiece;
    if (write(fd, piece, size) != static_cast<ssize_t>(size)) return 1;
    left -= size;
  }
  return close(fd) == 0 ? 0 : 1;
}
