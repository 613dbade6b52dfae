#include "server/access/method_permissions.h"

#include "contracts/server/methods.h"

namespace server::access {
namespace {

namespace c = contracts::server;

template <class M>
MethodPermission Needs(Permission permission) {
  return {std::string(M::module) + "." + std::string(M::name), permission};
}

}  // namespace

const std::vector<MethodPermission>& MethodPermissions() {
  using P = Permission;
  static const std::vector<MethodPermission> table{
      Needs<c::GetPesqCliente>(P::Consultar),
      Needs<c::GetCDCliente>(P::Consultar),
      Needs<c::GetPrecoProd>(P::Consultar),
      Needs<c::GetFatPreClie>(P::Consultar),
      Needs<c::GetPesqClieLista>(P::Consultar),
      Needs<c::GetHistPreco>(P::Consultar),
      Needs<c::GetLotePreco>(P::Consultar),
      Needs<c::GetTipoCusto>(P::Consultar),

      Needs<c::SetTabPreClie>(P::GravarPrecos),
      Needs<c::SetCompPreco>(P::GravarPrecos),

      // A preview runs the command's own statements and rolls them back.
      Needs<c::GetPreviaCalcCusProd>(P::Reajustar),
      Needs<c::GetPreviaCopiaDados>(P::Reajustar),
      Needs<c::GetPreviaCopiaPreco>(P::Reajustar),
      Needs<c::SetCalcCusProd>(P::Reajustar),
      Needs<c::SetCopiaDados>(P::Reajustar),
      Needs<c::SetCopiaPreco>(P::Reajustar),
      Needs<c::SetDesfazLote>(P::Reajustar),
      // An import writes many prices at once as one batch, like a copy.
      Needs<c::GetPreviaImpPreco>(P::Reajustar),
      Needs<c::SetImpPreco>(P::Reajustar),

      Needs<c::GetUsuarios>(P::AdministrarUsuarios),
      Needs<c::SetUsuario>(P::AdministrarUsuarios),
  };
  return table;
}

std::optional<Permission> PermissionOf(std::string_view address) {
  for (const MethodPermission& entry : MethodPermissions())
    if (entry.address == address) return entry.permission;
  return std::nullopt;
}

bool WritesData(std::string_view address) {
  const std::optional<Permission> permission = PermissionOf(address);
  return permission && *permission != Permission::Consultar;
}

}  // namespace server::access
