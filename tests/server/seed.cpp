#include "tests/server/seed.h"

#include "support/in_process/test_users.h"

namespace servertest {

using platform::Variant;

void SeedBasics(server::store::Connection& db) {
  db.executeScript(
      "INSERT INTO FILIAL VALUES ('001', 'Matriz');"
      "INSERT INTO FILIAL VALUES ('002', 'Filial Sul');"
      "INSERT INTO TIPOCUSTO VALUES (1, 'Custo Médio');"
      "INSERT INTO TIPOCUSTO VALUES (2, 'Custo de Reposição');"
      "INSERT INTO TIPOCUSTO VALUES (3, 'Último Custo de Compra');"
      "INSERT INTO FATORPRECO VALUES ('001', 'MKP', 'Markup');"
      "INSERT INTO FATORPRECO VALUES ('002', 'ICMS', 'ICMS');"
      "INSERT INTO FATORPRECO VALUES ('005', 'FRT', 'Frete');"
      "INSERT INTO FATORPRECO VALUES ('006', 'DESC', 'Desconto');"
      "INSERT INTO FATORPRECO VALUES ('008', 'COM', 'Comissão');"
      "INSERT INTO CLIENTE VALUES ('C1', '11222333000181', 'Alfa Comércio de Alimentos Ltda', 'Alfa', 'J');"
      "INSERT INTO CLIENTE VALUES ('C2', '52998224725', 'Beatriz Souza', NULL, 'F');"
      "INSERT INTO CLIENTE VALUES ('C3', '11444777000161', 'Gama Distribuidora Ltda', 'Gama', 'J');"
      "INSERT INTO PRODUTO VALUES ('G1', '1', 'Bebidas', 1);"
      "INSERT INTO PRODUTO VALUES ('G101', '101', 'Refrigerantes', 2);"
      "INSERT INTO PRODUTO VALUES ('P1', '101001', 'Refrigerante Cola 2L', 3);"
      "INSERT INTO PRODUTO VALUES ('P2', '101002', 'Refrigerante Guaraná 2L', 3);"
      "INSERT INTO PRODUTO VALUES ('G102', '102', 'Sucos', 2);"
      "INSERT INTO PRODUTO VALUES ('P3', '102001', 'Suco Uva 1L', 3);"
      "INSERT INTO PRODUTO VALUES ('G2', '2', 'Mercearia', 1);"
      "INSERT INTO PRODUTO VALUES ('G201', '201', 'Arroz', 2);"
      "INSERT INTO PRODUTO VALUES ('P4', '201001', 'Arroz Tipo 1 5kg', 3);"
      "INSERT INTO CUSTOPRODUTO VALUES ('001', 'P1', 1, 10);"
      "INSERT INTO CUSTOPRODUTO VALUES ('001', 'P2', 1, 4);"
      "INSERT INTO CUSTOPRODUTO VALUES ('001', 'P3', 1, 2.5);"
      "INSERT INTO CUSTOPRODUTO VALUES ('001', 'P4', 1, 20);"
      "INSERT INTO CUSTOPRODUTO VALUES ('001', 'P1', 2, 11);"
      "INSERT INTO CUSTOPRODUTO VALUES ('001', 'P2', 2, 4.4);"
      "INSERT INTO CUSTOPRODUTO VALUES ('001', 'P4', 2, 22);");
  vqrtest::AddTestUser(db);
}

void AddFormula(server::store::Connection& db, const std::string& customer, const std::vector<FactorRow>& rows) {
  for (const FactorRow& r : rows)
    db.execute("INSERT INTO COMPPRECLIE VALUES ($1, $2, $3, $4, $5, $6)",
               {customer, r.factor, r.order, r.kind, r.value, r.operation});
}

void AddPrice(server::store::Connection& db, const std::string& customer, const std::string& product, double price,
              std::optional<std::string> start, std::optional<std::string> end) {
  db.execute("INSERT INTO TABPRECLIE VALUES ($1, $2, $3, $4, $5)",
             {customer, product, price, start ? Variant(*start) : Variant::Null(),
              end ? Variant(*end) : Variant::Null()});
}

std::optional<StoredPrice> PriceOf(server::store::Connection& db, const std::string& customer,
                                   const std::string& product) {
  std::optional<StoredPrice> price;
  db.query("SELECT VRPRECOPROD, DTVALINI, DTVALFIN FROM TABPRECLIE WHERE CDCLIENTE = $1 AND CDPRODUTO = $2",
           {customer, product}, [&](const server::store::Row& row) {
             price = StoredPrice{row.real(0), row.isNull(1) ? std::nullopt : std::optional(row.text(1)),
                                 row.isNull(2) ? std::nullopt : std::optional(row.text(2))};
           });
  return price;
}

}  // namespace servertest
