#include "server/modules/lookups.h"

#include <optional>

#include "server/modules/refusal.h"

namespace server::modules {

void RequireCustomer(store::Connection& connection, const std::string& customer) {
  if (customer.empty()) throw Refusal("Cliente deve ser informado.");
  if (!connection.exists("SELECT 1 FROM CLIENTE WHERE CDCLIENTE = $1", {customer}))
    throw Refusal("Cliente " + ShownValue(customer) + " não cadastrado.");
}

void RequireProduct(store::Connection& connection, const std::string& product) {
  if (product.empty()) throw Refusal("Produto deve ser informado.");
  if (!connection.exists("SELECT 1 FROM PRODUTO WHERE CDPRODUTO = $1", {product}))
    throw Refusal("Produto " + ShownValue(product) + " não cadastrado.");
}

void RequirePricedProduct(store::Connection& connection, const std::string& product) {
  if (product.empty()) throw Refusal("Produto deve ser informado.");
  std::optional<bool> leaf;
  connection.query(
      "SELECT CASE WHEN P.NRNIVEL = (SELECT MAX(NRNIVEL) FROM PRODUTO) THEN 1 ELSE 0 END FROM PRODUTO P "
      "WHERE P.CDPRODUTO = $1",
      {product}, [&](const store::Row& row) { leaf = row.integer(0) == 1; });
  if (!leaf) throw Refusal("Produto " + ShownValue(product) + " não cadastrado.");
  if (!*leaf)
    throw Refusal("Produto " + ShownValue(product) +
                  " é um grupo de produtos; preço especial só nos produtos do último nível.");
}

void RequireBranch(store::Connection& connection, const std::string& branch) {
  if (branch.empty()) throw Refusal("Filial deve ser informada.");
  if (!connection.exists("SELECT 1 FROM FILIAL WHERE CDFILIAL = $1", {branch}))
    throw Refusal("Filial " + ShownValue(branch) + " não cadastrada.");
}

void RequireCostType(store::Connection& connection, std::int64_t costType) {
  if (!connection.exists("SELECT 1 FROM TIPOCUSTO WHERE NRTIPOCUSTO = $1", {costType}))
    throw Refusal("Tipo de custo " + std::to_string(costType) + " não cadastrado.");
}

}  // namespace server::modules
