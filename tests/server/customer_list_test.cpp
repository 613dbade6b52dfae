// The customer list text: codes joined by ",", parsed, never pasted into SQL.
#include <gtest/gtest.h>

#include "server/modules/customer_list.h"
#include "server/modules/refusal.h"

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

}  // namespace
}  // namespace servertest
