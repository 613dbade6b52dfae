#pragma once
// rdmUsuario: the users, managed remotely by an admin (contracts/server/usuario_methods.h)
// through the same functions as the `appserver user` command (server/access/users.h).
#include "contracts/server/usuario_methods.h"
#include "server/modules/method_adapter.h"
#include "server/store/connection.h"

namespace server::modules::usuario {

PacketPtr GetUsuarios(store::Connection& c);
// Creates or changes the user; an admin may neither disable itself nor give up its
// own role, so a database never loses its last way in by mistake.
void SetUsuario(store::Connection& c, const contracts::server::UserArgs& a);

}  // namespace server::modules::usuario
