// How often the `faces:` line flags a face of a fair die: fair d20 lists of
// 100, 1,000 and 10,000 rolls, each drawn from the chart's seeded streams,
// and the share of lists with any face outside its interval, which should
// be at most kFacesLevel within its sampling error.
//   bench_faces_level [LISTS]
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "chart/stats/face_interval.h"
#include "chart/stats/monte_carlo.h"

namespace {

constexpr int kFaces = 20;
constexpr int64_t kDefaultLists = 20000;
constexpr uint64_t kSeed = 20;

// Whether a fair list of `rolls` rolls, drawn from stream `index`, has a
// face flagged.
bool flagged(int64_t rolls, uint64_t index) {
  RandomStream stream = random_stream(kSeed, index);
  Counts counts(kFaces, 0);
  for (int64_t r = 0; r < rolls; ++r) ++counts[random_below(stream, kFaces)];
  for (const FaceCheck &check : check_faces(counts, 1))
    if (check.off != Off::kInside) return true;
  return false;
}

} // namespace

int main(int argc, char **argv) {
  int64_t lists = argc > 1 ? std::atoll(argv[1]) : kDefaultLists;
  std::printf("fair d20, %lld lists each, level %.2f\n", static_cast<long long>(lists),
              kFacesLevel);
  uint64_t index = 0;
  for (int64_t rolls : {100, 1000, 10000}) {
    int64_t hits = 0;
    for (int64_t l = 0; l < lists; ++l) hits += flagged(rolls, index++);
    double share = static_cast<double>(hits) / static_cast<double>(lists);
    std::printf("%6lld rolls: %lld flagged, %.4f +- %.4f\n", static_cast<long long>(rolls),
                static_cast<long long>(hits), share,
                std::sqrt(share * (1 - share) / static_cast<double>(lists)));
  }
}
