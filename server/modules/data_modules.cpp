#include "server/modules/data_modules.h"

#include "contracts/server/methods.h"
#include "server/access/method_permissions.h"
#include "server/modules/cust_prod.h"
#include "server/modules/method_adapter.h"
#include "server/modules/tab_pre_clie.h"
#include "server/modules/usuario.h"
#include "server/rpc/method_registry.h"

namespace server::modules {

std::vector<MethodEntry> DataModuleMethods(store::Store& store) {
  namespace c = contracts::server;
  namespace t = tab_pre_clie;
  std::vector<MethodEntry> entries{
      Implement<c::GetPesqCliente>(store, &t::GetPesqCliente),
      Implement<c::GetCDCliente>(store, &t::GetCDCliente),
      Implement<c::GetPrecoProd>(store, &t::GetPrecoProd),
      Implement<c::SetTabPreClie>(store, &t::SetTabPreClie),
      Implement<c::GetFatPreClie>(store, &t::GetFatPreClie),
      Implement<c::SetCompPreco>(store, &t::SetCompPreco),
      Implement<c::SetCalcCusProd>(store, &t::SetCalcCusProd),
      Implement<c::GetPesqClieLista>(store, &t::GetPesqClieLista),
      Implement<c::SetCopiaDados>(store, &t::SetCopiaDados),
      Implement<c::SetCopiaPreco>(store, &t::SetCopiaPreco),
      Implement<c::GetPreviaCalcCusProd>(store, &t::GetPreviaCalcCusProd),
      Implement<c::GetPreviaCopiaDados>(store, &t::GetPreviaCopiaDados),
      Implement<c::GetPreviaCopiaPreco>(store, &t::GetPreviaCopiaPreco),
      Implement<c::GetHistPreco>(store, &t::GetHistPreco),
      Implement<c::GetLotePreco>(store, &t::GetLotePreco),
      Implement<c::SetDesfazLote>(store, &t::SetDesfazLote),
      Implement<c::GetPreviaImpPreco>(store, &t::GetPreviaImpPreco),
      Implement<c::SetImpPreco>(store, &t::SetImpPreco),
      Implement<c::GetTipoCusto>(store, &cust_prod::GetTipoCusto),
      Implement<c::GetUsuarios>(store, &usuario::GetUsuarios),
      Implement<c::SetUsuario>(store, &usuario::SetUsuario),
  };
  for (const MethodEntry& entry : entries) {
    if (!contracts::server::FindMethod(entry.address))
      throw platform::Exception("Método fora do contrato: " + entry.address);
    if (!access::PermissionOf(entry.address))
      throw platform::Exception("Método sem permissão definida: " + entry.address);
  }
  if (entries.size() != contracts::server::AllMethods().size())
    throw platform::Exception("Há métodos do contrato sem implementação no servidor");
  return entries;
}

void RegisterDataModules(rpc::MethodRegistry& registry, store::Store& store) {
  for (MethodEntry& entry : DataModuleMethods(store)) registry.add(std::move(entry.address), std::move(entry.handler));
}

}  // namespace server::modules
