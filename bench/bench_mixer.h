// The ratio lines of bench_mixer. Its parts (bench_mixer_*.cpp) add their own pairs here at
// start, so that one main() prints them all.
#pragma once
#include <vector>

#include "bench/bench_ratio.h"

namespace bench_mixer {

inline std::vector<bench_ratio::Pair>& pairs() {
  static std::vector<bench_ratio::Pair> all;
  return all;
}

struct AddPair {
  explicit AddPair(bench_ratio::Pair p) { pairs().push_back(std::move(p)); }
};

}  // namespace bench_mixer
