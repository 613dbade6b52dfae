#pragma once
// The customers a copy writes to, held in the connection's temporary
// table TMPCLIENTEALVO (one column, CDCLIENTE) for the set-based statements that
// follow in the same transaction.
#include <cstddef>
#include <string>
#include <string_view>

#include "server/store/connection.h"

namespace server::modules {

inline constexpr const char* kTargetTable = "TMPCLIENTEALVO";

// The copy targets: every customer but the source when `all`, else the codes of
// `list` (contracts/server/customer_list.h) but the source. Raises ECustomerList when
// the list is malformed, Refusal when it names a customer that is not registered (by
// name) or leaves no target. Returns the number of targets.
std::size_t FillCopyTargets(store::Connection& connection, const std::string& source, bool all,
                            std::string_view list);

}  // namespace server::modules
