#pragma once
// What a recalculation, copy or import wrote over since its preview. The preview
// answers the history's position (HistoryMark: the highest NRSEQHIST it sees, read
// after its statements, so on PostgreSQL under the locks of every price it would
// write); the command sent with that position as its call's condition lists the
// prices it wrote whose history has a change after it from anyone but the command
// itself (contracts/server/tab_pre_clie_methods.h). A product's rows are numbered
// under its lock in the order they were applied, so a change the preview could not
// have seen on a price it locked numbers above the position.
#include <cstdint>
#include <optional>

#include "contracts/server/tab_pre_clie_methods.h"
#include "server/store/connection.h"

namespace server::modules {

std::int64_t HistoryMark(store::Connection& c);

// The position the current call states (store::Connection::callCondition); nullopt
// when it states none. A condition of another kind, or a position below 0, is refused.
std::optional<std::int64_t> CallHistoryMark(const store::Connection& c);

// The prices of `batch` written over a change recorded after the call's position, each
// with the last such change; empty rows when the call states no position.
contracts::server::RunReply ChangedSincePreview(store::Connection& c, std::int64_t batch);

}  // namespace server::modules
