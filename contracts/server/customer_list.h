#pragma once
// The customer list the screens send and the reports take (stListaClie,
// ListaClientes, P_LISTACLIENTES): the chosen CDCLIENTE values joined by ",", no
// spaces; the empty text is no list.
//
//   std::string list = EncodeCustomerList({"000001", "000007"});   // "000001,000007"
//   std::vector<std::string> codes = DecodeCustomerList(list);    // {"000001", "000007"}
//
// A code is taken exactly as it stands, blanks and all, and is only ever bound as a
// parameter, never pasted into a statement. Decoding keeps the codes in their order
// without repetitions and refuses an empty item, naming its position; encoding
// refuses a code that is empty or holds the separator, which the list could not give
// back. Refusals raise ECustomerList with a Portuguese text. Whether each code is a
// registered customer (of at most kMaxCustomerCodeLength characters) is for the
// database to say.
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/exceptions.h"

namespace contracts::server {

class ECustomerList : public platform::Exception {
 public:
  using platform::Exception::Exception;
};

inline constexpr char kCustomerListSeparator = ',';
inline constexpr std::size_t kMaxCustomerCodeLength = 21;

std::string EncodeCustomerList(const std::vector<std::string>& codes);
std::vector<std::string> DecodeCustomerList(std::string_view list);

}  // namespace contracts::server
