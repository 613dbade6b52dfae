#pragma once
// The customer list the screens send (stListaClie, P_LISTACLIENTES): the chosen
// CDCLIENTE values joined by ",", no spaces; the empty text is no list.
//
// The list is only ever parsed and its codes bound as parameters; it never becomes
// part of a statement's text. A malformed list (an empty item, a code longer than a
// customer code) raises Refusal naming the offending item. Whether each code is a
// registered customer is checked against the database by the caller.
#include <string>
#include <string_view>
#include <vector>

namespace server::modules {

inline constexpr char kListSeparator = ',';
inline constexpr std::size_t kMaxCustomerCodeLength = 21;

// The codes in their order, without repetitions.
std::vector<std::string> ParseCustomerList(std::string_view list);

// The inverse: codes joined by the separator.
std::string JoinCustomerList(const std::vector<std::string>& codes);

}  // namespace server::modules
