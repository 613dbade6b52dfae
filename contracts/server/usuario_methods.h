#pragma once
// rdmUsuario: the users who may sign in, managed remotely by an admin (the appserver's
// `user` command does the same on the server's own machine) (method_declaration.h).
#include <string>

#include "contracts/server/method_declaration.h"
#include "contracts/server/packets.h"

namespace contracts::server {

// Every user by login: name, role (consulta, precos, reajuste, admin), "S" when active.
struct GetUsuarios : Method<Usuario, "GetUsuarios", PacketOf<UserColumns>, ParamList<>> {};

// Creates the user, whose password (at least 8 characters) is then required, or changes
// its name, role and whether it is active ("S"/"N"); a password given to an existing
// user replaces its own. A user disabled or given a new password loses its sessions.
struct UserArgs {
  std::string CdUsuario;
  std::string NmUsuario;
  std::string IdPapel;
  std::string IdAtivo;
  std::string Senha;
};
struct SetUsuario
    : Method<Usuario, "SetUsuario", NoData,
             ParamList<Arg<"CdUsuario", &UserArgs::CdUsuario>, Arg<"NmUsuario", &UserArgs::NmUsuario>,
                       Arg<"IdPapel", &UserArgs::IdPapel>, Arg<"IdAtivo", &UserArgs::IdAtivo>,
                       Arg<"Senha", &UserArgs::Senha>>> {};

using UsuarioMethods = MethodList<GetUsuarios, SetUsuario>;

}  // namespace contracts::server
