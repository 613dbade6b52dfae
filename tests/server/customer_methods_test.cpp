// GetPesqCliente, GetCDCliente, GetPesqClieLista and rdmCustProd.GetTipoCusto.
#include <gtest/gtest.h>

#include "contracts/server/packets.h"
#include "tests/server/module_fixture.h"

namespace servertest {
namespace {

using platform::Variant;
using Rows = std::vector<std::vector<std::string>>;

class CustomerMethodsTest : public ModuleTest {};

TEST_P(CustomerMethodsTest, AllCustomersComeByCorporateNameWithTheContractColumns) {
  Variant packet = data("GetPesqCliente", {"", "T"});
  EXPECT_EQ(packet.asPacket().columns(), contracts::server::CustomerColumns());
  EXPECT_EQ(Cells(packet), (Rows{{"J", "11222333000181", "Alfa Comércio de Alimentos Ltda", "Alfa", "C1"},
                                 {"F", "52998224725", "Beatriz Souza", "<null>", "C2"},
                                 {"J", "11444777000161", "Gama Distribuidora Ltda", "Gama", "C3"}}));
}

TEST_P(CustomerMethodsTest, RegistrationNumberFindsOneCustomerWhateverItsPunctuation) {
  EXPECT_EQ(Column(data("GetPesqCliente", {"52998224725", ""}), "CDCLIENTE"), std::vector<std::string>{"C2"});
  EXPECT_EQ(Column(data("GetPesqCliente", {"11.444.777/0001-61", ""}), "CDCLIENTE"), std::vector<std::string>{"C3"});
}

TEST_P(CustomerMethodsTest, UnknownOrEmptyRegistrationNumberGivesAnEmptyPacket) {
  for (const char* number : {"99999999999", "", "1122233300018", "11222333000181 OR 1=1"}) {
    Variant packet = data("GetPesqCliente", {number, ""});
    EXPECT_EQ(packet.asPacket().rowCount(), 0u) << number;
    EXPECT_EQ(packet.asPacket().columns(), contracts::server::CustomerColumns());
  }
}

TEST_P(CustomerMethodsTest, AnUnknownFilterIsRefused) {
  EXPECT_EQ(refusal("GetPesqCliente", {"", "X"}), "Filtro de pesquisa de cliente inválido: 'X'.");
}

TEST_P(CustomerMethodsTest, CustomerCodeFindsThatCustomerOrNothing) {
  EXPECT_EQ(Cells(data("GetCDCliente", {"C1", ""})),
            (Rows{{"J", "11222333000181", "Alfa Comércio de Alimentos Ltda", "Alfa", "C1"}}));
  EXPECT_EQ(data("GetCDCliente", {"C9", ""}).asPacket().rowCount(), 0u);
  EXPECT_EQ(data("GetCDCliente", {"c1", ""}).asPacket().rowCount(), 0u) << "codes are exact";
}

TEST_P(CustomerMethodsTest, SelectionListHasEveryCustomerUnmarked) {
  Answer answer = call("GetPesqClieLista", {"C3"});
  ASSERT_TRUE(answer.ok);
  EXPECT_EQ(answer.data.asPacket().columns(), contracts::server::CustomerListColumns());
  EXPECT_EQ(Cells(answer.data), (Rows{{"N", "C1", "11222333000181", "Alfa Comércio de Alimentos Ltda", "J", "Alfa"},
                                      {"N", "C2", "52998224725", "Beatriz Souza", "F", "<null>"},
                                      {"N", "C3", "11444777000161", "Gama Distribuidora Ltda", "J", "Gama"}}));
  EXPECT_EQ(answer.params[0], Variant("C3")) << "the var customer code comes back unchanged";
}

TEST_P(CustomerMethodsTest, SelectionListWorksWithoutACurrentCustomer) {
  EXPECT_EQ(data("GetPesqClieLista", {""}).asPacket().rowCount(), 3u);
}

TEST_P(CustomerMethodsTest, CostTypesComeByNumber) {
  Variant packet = data("GetTipoCusto", {});
  EXPECT_EQ(packet.asPacket().columns(), contracts::server::CostTypeColumns());
  EXPECT_EQ(Cells(packet), (Rows{{"1", "Custo Médio"}, {"2", "Custo de Reposição"}, {"3", "Último Custo de Compra"}}));
}

VQR_BACKEND_SUITE(CustomerMethodsTest);

}  // namespace
}  // namespace servertest
