#pragma once
// How a grid shares its width among its columns.
//
// Each column asks for a width (its content, or more where the screen designed it
// wider) and may be narrowed down to a minimum; a column a person sized by hand keeps
// its width. With room for every wish, the room left over is shared by the other
// columns in proportion to their wishes; with less, each is narrowed in proportion to
// how far it can give; below the sum of the minimums each column keeps its minimum
// and the grid scrolls sideways.
#include <vector>

namespace platform {

struct ColumnWish {
  int wanted = 0;
  int minimum = 0;
  bool fixed = false;  // sized by a person: exactly `wanted`
};

std::vector<int> FitColumns(const std::vector<ColumnWish>& wishes, int room);

}  // namespace platform
