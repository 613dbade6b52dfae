// The customer list text: codes joined by ",", parsed, never pasted into SQL; and the
// order customers are listed in, the same on both backends.
#include <gtest/gtest.h>

#include "server/modules/customer_list.h"
#include "server/modules/refusal.h"
#include "tests/server/module_fixture.h"

namespace servertest {
namespace {

using server::modules::JoinCustomerList;
using server::modules::ParseCustomerList;
using server::modules::Refusal;
using Codes = std::vector<std::string>;

std::string RefusalOf(const std::string& list) {
  try {
    ParseCustomerList(list);
  } catch (const Refusal& e) {
    return e.what();
  }
  return "accepted";
}

TEST(CustomerList, CodesComeInOrderWithoutRepetitions) {
  EXPECT_EQ(ParseCustomerList("000001,000007,000003"), (Codes{"000001", "000007", "000003"}));
  EXPECT_EQ(ParseCustomerList("C2,C1,C2,C1"), (Codes{"C2", "C1"}));
  EXPECT_EQ(ParseCustomerList("C1"), (Codes{"C1"}));
}

TEST(CustomerList, TheEmptyTextIsNoList) { EXPECT_TRUE(ParseCustomerList("").empty()); }

TEST(CustomerList, EmptyItemsAreRefusedByPosition) {
  EXPECT_EQ(RefusalOf(",C1"), "Lista de clientes inválida: item vazio na posição 1.");
  EXPECT_EQ(RefusalOf("C1,,C2"), "Lista de clientes inválida: item vazio na posição 2.");
  EXPECT_EQ(RefusalOf("C1,"), "Lista de clientes inválida: item vazio na posição 2.");
  EXPECT_EQ(RefusalOf(","), "Lista de clientes inválida: item vazio na posição 1.");
}

TEST(CustomerList, ItemsAreTakenAsTheyAreSoHostileTextIsJustAnUnknownCode) {
  // Too long for a customer code: refused by name before any database is asked.
  EXPECT_EQ(RefusalOf("1,2'); DROP TABLE CLIENTE;--"), "Cliente 2'); DROP TABLE CLIENTE;-- não cadastrado.");
  // Short hostile items and blanks are kept verbatim; the database check names them.
  EXPECT_EQ(ParseCustomerList("1,' OR 1=1 --, C2"), (Codes{"1", "' OR 1=1 --", " C2"}));
}

TEST(CustomerList, JoinIsTheInverseOfParse) {
  Codes codes{"000001", "C2", "x y"};
  EXPECT_EQ(JoinCustomerList(codes), "000001,C2,x y");
  EXPECT_EQ(ParseCustomerList(JoinCustomerList(codes)), codes);
  EXPECT_EQ(JoinCustomerList({}), "");
}

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
