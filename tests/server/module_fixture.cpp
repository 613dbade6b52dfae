#include "tests/server/module_fixture.h"

#include "contracts/server/methods.h"
#include "server/rpc/coded_refusal.h"

namespace servertest {

using platform::Variant;

void ModuleTest::SetUp() {
  BackendTest::SetUp();
  if (IsSkipped()) return;
  SeedBasics(db());
  for (auto& entry : server::modules::DataModuleMethods(store())) handlers_[entry.address] = entry.handler;
}

Answer ModuleTest::call(const std::string& method, std::vector<Variant> params) {
  return callAs(kTestUser, method, std::move(params));
}

Answer ModuleTest::callAs(const std::string& user, const std::string& method, std::vector<Variant> params,
                          Variant condition) {
  std::string address;
  for (const auto& entry : contracts::server::AllMethods())
    if (entry.name == method) address = entry.address();
  if (address.empty()) throw std::runtime_error("no method " + method);
  Variant result;
  try {
    result = handlers_.at(address)(server::rpc::CallContext{user, std::move(condition)}, params);
  } catch (const server::rpc::CodedRefusal& e) {
    return Answer{false, e.what(), {}, std::move(params), e.code()};
  }
  contracts::server::Envelope envelope = contracts::server::ReadEnvelope(result);
  return Answer{envelope.ok, envelope.message, envelope.data, std::move(params)};
}

Variant ModuleTest::data(const std::string& method, std::vector<Variant> params) {
  Answer answer = call(method, std::move(params));
  EXPECT_TRUE(answer.ok) << method << " refused: " << answer.message;
  return answer.data;
}

std::string ModuleTest::refusal(const std::string& method, std::vector<Variant> params) {
  Answer answer = call(method, std::move(params));
  EXPECT_FALSE(answer.ok) << method << " was accepted";
  return answer.message;
}

ModuleTest::Snapshot ModuleTest::snapshot() {
  return Snapshot{rows("SELECT * FROM TABPRECLIE ORDER BY CDCLIENTE, CDPRODUTO"),
                  rows("SELECT CDCLIENTE, CDPRODUTO, VRPRECOANT, VRPRECONOV, IDORIGALT FROM TABPRECLIEHIST "
                       "ORDER BY NRSEQHIST"),
                  rows("SELECT * FROM COMPPRECLIE ORDER BY CDCLIENTE, NRORDEMFAT")};
}

std::vector<std::string> ModuleTest::pricesOf(const std::string& customer) {
  std::vector<std::string> result;
  db().query("SELECT CDPRODUTO, VRPRECOPROD, DTVALINI, DTVALFIN FROM TABPRECLIE WHERE CDCLIENTE = $1 ORDER BY CDPRODUTO",
             {customer}, [&](const server::store::Row& row) {
               std::string text = row.text(0) + "=" + Variant(row.real(1)).toString();
               if (!row.isNull(2)) text += " " + row.text(2);
               if (!row.isNull(3)) text += ".." + row.text(3);
               result.push_back(text);
             });
  return result;
}

Answer ModuleTest::setPrice(const std::string& customer, const std::string& product, double price,
                            const std::string& start, const std::string& end) {
  return call("SetTabPreClie", {customer, product, price, start, end, "S"});
}

Answer ModuleTest::setPriceBasedOn(const contracts::server::PriceBasis& basis, const std::string& customer,
                                   const std::string& product, double price, const std::string& start,
                                   const std::string& end) {
  return callAs(kTestUser, "SetTabPreClie", {customer, product, price, start, end, "S"},
                contracts::server::PriceBasisValue(basis));
}

std::vector<std::vector<std::string>> Cells(const Variant& packet) {
  std::vector<std::vector<std::string>> cells;
  const platform::DataPacket& p = packet.asPacket();
  for (std::size_t r = 0; r < p.rowCount(); ++r) {
    std::vector<std::string> row;
    for (std::size_t c = 0; c < p.columnCount(); ++c)
      row.push_back(p.isNull(r, c) ? "<null>" : p.value(r, c).toString());
    cells.push_back(std::move(row));
  }
  return cells;
}

std::vector<std::string> Column(const Variant& packet, const std::string& name) {
  const platform::DataPacket& p = packet.asPacket();
  int col = p.columnIndex(name);
  if (col < 0) throw std::runtime_error("no column " + name);
  std::vector<std::string> values;
  for (std::size_t r = 0; r < p.rowCount(); ++r)
    values.push_back(p.isNull(r, col) ? "<null>" : p.value(r, col).toString());
  return values;
}

}  // namespace servertest
