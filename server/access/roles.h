#pragma once
// Roles and permissions: what a signed-in user may do. Each role grants the
// permissions of the role before it and one more:
//
//   consulta   Consultar             reads and reports
//   precos     + GravarPrecos        saves and deletes of prices and formula rows
//   reajuste   + Reajustar           recalculations, copies, imports and undo of batches,
//                                    and their previews
//   admin      + AdministrarUsuarios the users
//
// The permission each remote method needs is in method_permissions.h.
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace server::access {

enum class Role { Consulta, Precos, Reajuste, Admin };
enum class Permission { Consultar, GravarPrecos, Reajustar, AdministrarUsuarios };

// Every role, from the least allowed to the most.
inline constexpr std::array<Role, 4> kRoles{Role::Consulta, Role::Precos, Role::Reajuste, Role::Admin};

// "consulta", "precos", "reajuste", "admin": the role's name in the database and in commands.
const char* RoleName(Role role) noexcept;
std::optional<Role> RoleNamed(std::string_view name) noexcept;
// "consulta, precos, reajuste, admin", for messages that list them.
std::string RoleNames();

bool Grants(Role role, Permission permission) noexcept;
// The least allowed role that grants the permission.
Role LeastRoleFor(Permission permission) noexcept;
// The permission in words, as a refusal names it ("gravar preços e fórmulas").
const char* PermissionText(Permission permission) noexcept;

}  // namespace server::access
