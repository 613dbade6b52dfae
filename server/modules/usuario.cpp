#include "server/modules/usuario.h"

#include <memory>

#include "contracts/server/packets.h"
#include "platform/variant/data_packet.h"
#include "server/access/users.h"
#include "server/modules/caller.h"
#include "server/modules/refusal.h"

namespace server::modules::usuario {
namespace {

using access::Role;
using access::User;

User ReadUser(const std::string& login, const std::string& name, const std::string& role, const std::string& active) {
  auto parsed = access::RoleNamed(role);
  if (!parsed) throw Refusal("Papel inválido: '" + ShownValue(role) + "' (" + access::RoleNames() + ").");
  if (active != "S" && active != "N") throw Refusal("Indicador de usuário ativo inválido: '" + ShownValue(active) + "'.");
  return User{access::NormalizedLogin(login), name, *parsed, active == "S"};
}

}  // namespace

PacketPtr GetUsuarios(store::Connection& c) {
  auto packet = std::make_shared<platform::DataPacket>(contracts::server::UserColumns());
  for (const User& user : access::ListUsers(c)) {
    packet->appendString(user.login);
    packet->appendString(user.name);
    packet->appendString(access::RoleName(user.role));
    packet->appendString(user.active ? "S" : "N");
    packet->endRow();
  }
  return packet;
}

void SetUsuario(store::Connection& c, const contracts::server::UserArgs& a) {
  const User user = ReadUser(a.CdUsuario, a.NmUsuario, a.IdPapel, a.IdAtivo);
  const std::string& password = a.Senha;
  if (user.login == ChangeAuthor(c) && (!user.active || user.role != Role::Admin))
    throw Refusal("Um administrador não pode desativar a si mesmo nem deixar o papel admin.");
  if (!password.empty()) access::CheckNewPassword(password);
  if (!access::FindUser(c, user.login)) {
    if (password.empty()) throw Refusal("Informe a senha do novo usuário " + user.login + ".");
    access::AddUser(c, user, password, access::HashCost::Interactive);
    return;
  }
  access::ChangeUser(c, user);
  if (!password.empty()) access::ChangePassword(c, user.login, password, access::HashCost::Interactive);
}

}  // namespace server::modules::usuario
