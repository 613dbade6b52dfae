#include "platform/ui/column_fit.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace platform {

namespace {

// Adds `total` pixels over `widths` in proportion to `shares` (integers; the last
// share-holding column takes what rounding leaves).
void Spread(std::vector<int>& widths, const std::vector<std::int64_t>& shares, int total) {
  std::int64_t sum = 0;
  for (std::int64_t s : shares) sum += s;
  if (sum <= 0 || total <= 0) return;
  int given = 0;
  std::size_t last = 0;
  for (std::size_t i = 0; i < widths.size(); ++i) {
    if (shares[i] <= 0) continue;
    const int part = static_cast<int>(shares[i] * total / sum);
    widths[i] += part;
    given += part;
    last = i;
  }
  widths[last] += total - given;
}

}  // namespace

std::vector<int> FitColumns(const std::vector<ColumnWish>& wishes, int room) {
  std::vector<int> widths;
  std::vector<std::int64_t> growth;  // how a column shares room beyond the wishes
  std::vector<std::int64_t> give;    // how far a column may be narrowed
  int wanted = 0;
  int minimum = 0;
  for (const ColumnWish& w : wishes) {
    const int least = w.fixed ? w.wanted : std::min(w.minimum, w.wanted);
    widths.push_back(least);
    growth.push_back(w.fixed ? 0 : w.wanted);
    give.push_back(w.wanted - least);
    wanted += w.wanted;
    minimum += least;
  }
  if (wanted <= room) {
    for (std::size_t i = 0; i < wishes.size(); ++i) widths[i] = wishes[i].wanted;
    Spread(widths, growth, room - wanted);
  } else if (minimum < room) {
    Spread(widths, give, room - minimum);
  }
  return widths;
}

}  // namespace platform
