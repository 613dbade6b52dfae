#pragma once
// Picture: the pictures of the system's hierarchical codes.
//
// A picture such as "0.00.000" describes a code of levels: each run of '0' is one
// level (here of 1, 2 and 3 digits) and the characters between runs are separators
// shown but never stored (the product code 1.01.001 is stored as "101001"). Everything
// about a code is derived from that one definition:
//   EditMask()      "0.99.999;0;_", the mask of every edit and field of such codes:
//                   the first level's digits required, the deeper levels' optional,
//                   so a code of any level fits it ("1", "101", "101001") and shows
//                   with the levels it has ("1.01")
//   GetTtNiveis()   the number of levels (3), sent to the server as TtNiveis
//   CodeLength(n)   digits of a code of level n (1, 3, 6)
//   LevelOfCode(c)  the level whose codes have c's length, 0 when none
//   FormatCode(c)   the stored code laid into the picture ("101001" -> "1.01.001")
//
// TPictType names the pictures the system knows; PictureOf(type) gives the one
// object of each (raising EPictureError for an unknown type).
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/exceptions.h"

namespace Picture {

enum TPictType : int {
  ptProduto = 0,  // product code (CDARVPROD)
};

// A picture definition that cannot be used, or an unknown picture type.
class EPictureError : public platform::Exception {
 public:
  using platform::Exception::Exception;
};

class TDBPicture {
 public:
  // Raises EPictureError unless the picture is runs of '0' separated by other characters.
  TDBPicture(std::string picture, std::string description);

  const std::string& PictureText() const noexcept { return picture_; }
  // What the code is, for messages: "Código do produto".
  const std::string& Description() const noexcept { return description_; }
  std::string EditMask() const;
  int GetTtNiveis() const noexcept { return static_cast<int>(levelEnds_.size()); }
  // Level runs from 1 to GetTtNiveis(); raises EPictureError outside.
  int CodeLength(int level) const;
  int LevelOfCode(std::string_view code) const noexcept;
  // Whether `c` is one of the separators the picture shows between levels.
  bool IsSeparator(char c) const noexcept;
  std::string FormatCode(std::string_view code) const;

 private:
  std::string picture_;
  std::string description_;
  std::vector<int> levelEnds_;  // cumulative digits at the end of each level
};

const TDBPicture& PictureOf(TPictType type);

}  // namespace Picture
