#pragma once
// ModuleTest: the data modules on a seeded database (seed.h), once per backend. Calls
// go through the same handlers the listener runs, by method name, made by the user
// kTestUser (callAs names another):
//
//   auto answer = call("GetPrecoProd", {"C1", 3});   // envelope and params after the call
//   EXPECT_TRUE(answer.ok);
//   EXPECT_EQ(refusal("SetTabPreClie", {...}), "Preço não pode ser negativo.");
#include <map>
#include <string>
#include <vector>

#include "contracts/server/price_basis.h"
#include "contracts/server/result_envelope.h"
#include "platform/variant/data_packet.h"
#include "server/modules/data_modules.h"
#include "tests/server/backend_fixture.h"
#include "support/app_server_process.h"
#include "tests/server/seed.h"

namespace servertest {

struct Answer {
  bool ok = false;
  std::string message;
  platform::Variant data;
  std::vector<platform::Variant> params;  // as the method left them
  std::string code{};                     // a refusal's error code (rpc::CodedRefusal)
};

using vqrtest::kTestUser;

class ModuleTest : public BackendTest {
 protected:
  void SetUp() override;

  // Calls the method of any module by name with the given arguments.
  Answer call(const std::string& method, std::vector<platform::Variant> params);
  Answer callAs(const std::string& user, const std::string& method, std::vector<platform::Variant> params,
               platform::Variant condition = {});
  // The data part of a call that must succeed.
  platform::Variant data(const std::string& method, std::vector<platform::Variant> params);
  // The text of a call that must be refused.
  std::string refusal(const std::string& method, std::vector<platform::Variant> params);

  // Every price row and history row, to show that a refused call wrote nothing.
  struct Snapshot {
    std::vector<std::vector<std::string>> prices;
    std::vector<std::vector<std::string>> history;
    std::vector<std::vector<std::string>> formulas;
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
    friend void PrintTo(const Snapshot& s, std::ostream* os) {
      *os << s.prices.size() << " prices, " << s.history.size() << " history rows, " << s.formulas.size()
          << " formula rows";
    }
  };
  Snapshot snapshot();

  // Prices of a customer as "product=price" with dates when present.
  std::vector<std::string> pricesOf(const std::string& customer);

  // SetTabPreClie with the flag "S".
  Answer setPrice(const std::string& customer, const std::string& product, double price, const std::string& start = "",
                  const std::string& end = "");
  // SetTabPreClie based on the values read (contracts/server/price_basis.h).
  Answer setPriceBasedOn(const contracts::server::PriceBasis& basis, const std::string& customer,
                         const std::string& product, double price, const std::string& start = "",
                         const std::string& end = "");

 private:
  std::map<std::string, server::modules::MethodHandler> handlers_;
};

// Cells of a packet as texts ("<null>" for null), row by row.
std::vector<std::vector<std::string>> Cells(const platform::Variant& packet);
// One column of a packet as texts.
std::vector<std::string> Column(const platform::Variant& packet, const std::string& name);

}  // namespace servertest
