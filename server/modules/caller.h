#pragma once
// The user a write names in the history and the batches: the one the connection works
// for during the call (store::Connection::caller). A write with no one calling is
// refused, so no change is ever anonymous.
#include <string>

#include "server/store/connection.h"

namespace server::modules {

const std::string& ChangeAuthor(const store::Connection& connection);

}  // namespace server::modules
