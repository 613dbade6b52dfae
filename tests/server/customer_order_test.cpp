// The order customers are listed in, the same on both backends.
#include <gtest/gtest.h>

#include "tests/server/module_fixture.h"

namespace servertest {
namespace {

// Customers are listed by corporate name as a person reads it: case and accents do not
// count ("Açougue" before "Armazém", "ÁGUA" among the "agua"), names equal once folded
// come in the byte order of the stored name, and both backends agree.
class CustomerOrder : public ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    if (IsSkipped()) return;
    const std::vector<std::pair<const char*, const char*>> names = {
        {"K01", "Armazém Central"}, {"K02", "Açougue Bom Preço"}, {"K03", "açougue Aurora"}, {"K04", "ABC Atacado"},
        {"K05", "Ótica Visão"},     {"K06", "Oficina Rápida"},    {"K07", "Zé Lanches"},     {"K08", "Zebu Carnes"},
        {"K09", "Ana"},             {"K10", "ANA"},               {"K11", "ÁGUA Fria"},      {"K12", "agua doce"}};
    int number = 0;
    for (const auto& [code, name] : names)
      db().execute("INSERT INTO CLIENTE (CDCLIENTE, NRINSJURCLIE, NMRAZSOCCLIE, IDTPIJURCLIE) VALUES ($1, $2, $3, 'F')",
                   {std::string(code), "900000000" + std::to_string(10 + number++), std::string(name)});
  }
  // The test's own customers in the order a list gives them.
  static std::vector<std::string> Ours(const std::vector<std::string>& codes) {
    std::vector<std::string> out;
    for (const std::string& code : codes)
      if (code.starts_with("K")) out.push_back(code);
    return out;
  }
};

TEST_P(CustomerOrder, ListsFoldCaseAndAccentsOnEveryBackend) {
  const std::vector<std::string> expected = {"K04", "K03", "K02", "K12", "K11", "K10",
                                             "K09", "K01", "K06", "K05", "K07", "K08"};
  EXPECT_EQ(Ours(Column(data("GetPesqCliente", {"", "T"}), "CDCLIENTE")), expected);
  EXPECT_EQ(Ours(Column(data("GetCDCliente", {"", "T"}), "CDCLIENTE")), expected);
  EXPECT_EQ(Ours(Column(data("GetPesqClieLista", {""}), "CDCLIENTE")), expected);
}

VQR_BACKEND_SUITE(CustomerOrder);

}  // namespace
}  // namespace servertest
