#pragma once
// Tabvalid: checking a typed code against its picture (Picture.h).
//
// ValidEx(source, type, code, options, fieldName, raiseOnError)
//   Normalises the code in place (blanks around it and the picture's separators
//   removed: " 1.01.001 " -> "101001") and checks that it fits the picture: digits
//   only, and as many as a code of one of the picture's levels has. With voLastLevel
//   the code must be of the last level; with voEmptyAllowed an empty code passes.
//   With a data source, the code must also be found in its dataset's field
//   `fieldName` (CDARVPROD when empty). Returns true when the code is good. A bad code
//   raises EInvalidCode with a Portuguese message naming the code and what is wrong
//   (the code is left as given); with raiseOnError false it returns false instead.
#include <string>

#include "contracts/framework/picture.h"
#include "platform/core/exceptions.h"

namespace platform {
class TDataSource;
}

namespace Tabvalid {

enum TValidOption : unsigned {
  voEmptyAllowed = 1,  // an empty code is accepted
  voLastLevel = 2,     // only codes of the picture's last level are accepted
};
using TValidOptions = unsigned;

class EInvalidCode : public platform::Exception {
 public:
  using platform::Exception::Exception;
};

bool ValidEx(platform::TDataSource* source, Picture::TPictType type, std::string& code, TValidOptions options,
             const std::string& fieldName, bool raiseOnError);

}  // namespace Tabvalid
