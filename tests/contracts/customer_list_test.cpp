// The customer list as the screens, the framework's choice list, the reports and the
// server all encode and decode it: codes exactly as given, joined by ",", nothing
// silently dropped or trimmed.
#include <gtest/gtest.h>

#include "contracts/server/customer_list.h"

namespace contractstest {
namespace {

using contracts::server::DecodeCustomerList;
using contracts::server::EncodeCustomerList;
using Codes = std::vector<std::string>;

template <class F>
std::string RefusalOf(F&& f) {
  try {
    f();
  } catch (const contracts::server::ECustomerList& e) {
    return e.what();
  }
  return "accepted";
}

TEST(CustomerList, DecodingKeepsEveryCodeAsItStandsInItsOrderOnce) {
  EXPECT_EQ(DecodeCustomerList(""), Codes{}) << "the empty text is no list";
  EXPECT_EQ(DecodeCustomerList("C1"), (Codes{"C1"}));
  EXPECT_EQ(DecodeCustomerList("000001,000007,000003"), (Codes{"000001", "000007", "000003"}));
  EXPECT_EQ(DecodeCustomerList("C2,C1,C2,C1"), (Codes{"C2", "C1"}));
  // Blanks and hostile text are kept verbatim: they are only ever bound as parameters,
  // and the database check names what it does not know.
  EXPECT_EQ(DecodeCustomerList(" A , B"), (Codes{" A ", " B"}));
  EXPECT_EQ(DecodeCustomerList("1,' OR 1=1 --,2'); DROP TABLE CLIENTE;--"),
            (Codes{"1", "' OR 1=1 --", "2'); DROP TABLE CLIENTE;--"}));
}

TEST(CustomerList, AnEmptyItemIsRefusedByItsPosition) {
  const std::vector<std::pair<std::string, int>> lists{{",C1", 1}, {"C1,,C2", 2}, {"C1,", 2}, {",", 1}};
  for (const auto& [list, position] : lists)
    EXPECT_EQ(RefusalOf([&] { DecodeCustomerList(list); }),
              "Lista de clientes inválida: item vazio na posição " + std::to_string(position) + ".")
        << list;
}

TEST(CustomerList, EncodingIsTheInverseAndRefusesWhatItCouldNotGiveBack) {
  const Codes codes{"000001", "C2", "x y"};
  EXPECT_EQ(EncodeCustomerList(codes), "000001,C2,x y");
  EXPECT_EQ(DecodeCustomerList(EncodeCustomerList(codes)), codes);
  EXPECT_EQ(EncodeCustomerList({}), "");
  EXPECT_EQ(RefusalOf([] { EncodeCustomerList({"A", ""}); }), "Código de cliente impróprio para uma lista: ''.");
  EXPECT_EQ(RefusalOf([] { EncodeCustomerList({"A,B"}); }), "Código de cliente impróprio para uma lista: 'A,B'.");
  EXPECT_EQ(RefusalOf([] { EncodeCustomerList({std::string(100, 'x') + "\n,"}); }),
            "Código de cliente impróprio para uma lista: '" + std::string(40, 'x') + "…'.")
      << "a long code is quoted by its start";
}

}  // namespace
}  // namespace contractstest
