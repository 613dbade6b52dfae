#include "server/modules/lookups.h"

#include "server/modules/refusal.h"

namespace server::modules {

void RequireCustomer(store::Connection& connection, const std::string& customer) {
  if (customer.empty()) throw Refusal("Cliente deve ser informado.");
  if (!connection.exists("SELECT 1 FROM CLIENTE WHERE CDCLIENTE = $1", {customer}))
    throw Refusal("Cliente " + customer + " não cadastrado.");
}

void RequireProduct(store::Connection& connection, const std::string& product) {
  if (product.empty()) throw Refusal("Produto deve ser informado.");
  if (!connection.exists("SELECT 1 FROM PRODUTO WHERE CDPRODUTO = $1", {product}))
    throw Refusal("Produto " + product + " não cadastrado.");
}

void RequireBranch(store::Connection& connection, const std::string& branch) {
  if (branch.empty()) throw Refusal("Filial deve ser informada.");
  if (!connection.exists("SELECT 1 FROM FILIAL WHERE CDFILIAL = $1", {branch}))
    throw Refusal("Filial " + branch + " não cadastrada.");
}

void RequireCostType(store::Connection& connection, std::int64_t costType) {
  if (!connection.exists("SELECT 1 FROM TIPOCUSTO WHERE NRTIPOCUSTO = $1", {costType}))
    throw Refusal("Tipo de custo " + std::to_string(costType) + " não cadastrado.");
}

}  // namespace server::modules
