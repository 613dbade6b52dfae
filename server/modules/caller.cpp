#include "server/modules/caller.h"

#include "platform/core/exceptions.h"

namespace server::modules {

const std::string& ChangeAuthor(const store::Connection& connection) {
  if (connection.caller().empty())
    throw platform::Exception("Gravação recusada: a chamada não identifica o usuário que a faz.");
  return connection.caller();
}

}  // namespace server::modules
