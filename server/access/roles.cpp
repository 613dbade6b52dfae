#include "server/access/roles.h"

namespace server::access {

const char* RoleName(Role role) noexcept {
  switch (role) {
    case Role::Consulta: return "consulta";
    case Role::Precos: return "precos";
    case Role::Reajuste: return "reajuste";
    case Role::Admin: return "admin";
  }
  return "?";
}

std::optional<Role> RoleNamed(std::string_view name) noexcept {
  for (Role role : kRoles)
    if (name == RoleName(role)) return role;
  return std::nullopt;
}

std::string RoleNames() {
  std::string names;
  for (Role role : kRoles) names += (names.empty() ? "" : ", ") + std::string(RoleName(role));
  return names;
}

// The roles are in the order of the permissions they add.
bool Grants(Role role, Permission permission) noexcept {
  return static_cast<int>(role) >= static_cast<int>(permission);
}

Role LeastRoleFor(Permission permission) noexcept { return kRoles[static_cast<std::size_t>(permission)]; }

const char* PermissionText(Permission permission) noexcept {
  switch (permission) {
    case Permission::Consultar: return "consultar preços e relatórios";
    case Permission::GravarPrecos: return "gravar preços e fórmulas";
    case Permission::Reajustar: return "recalcular, copiar, importar e desfazer lotes de preços";
    case Permission::AdministrarUsuarios: return "administrar usuários";
  }
  return "?";
}

}  // namespace server::access
