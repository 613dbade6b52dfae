// Lib00500: cost types from the costs data module of a real application server.
#include "contracts/framework/lib00500.h"

#include <gtest/gtest.h>

#include "contracts/framework/showavi.h"
#include "tests/framework/framework_fixtures.h"

namespace {

class CostTypes : public fwtest::ServedDemoTest {
 protected:
  CostTypes() : ServedDemoTest("cus.rdmCustProd") {}
};

TEST_F(CostTypes, ListGivesNamesAndRemembersNumbers) {
  db.writer().execute("INSERT INTO TIPOCUSTO (NRTIPOCUSTO, NMTIPOCUSTO) VALUES (17, 'Custo de Reposição')");
  const auto items = Lib00500::ListaTipoCusto(net, nullptr);
  const auto rows = db.rows("SELECT NRTIPOCUSTO, NMTIPOCUSTO FROM TIPOCUSTO ORDER BY NRTIPOCUSTO");
  ASSERT_EQ(items.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(items[i], rows[i][1]);
    EXPECT_EQ(Lib00500::NumeroTipoCusto(static_cast<int>(i)), std::stoi(rows[i][0]));
  }
  EXPECT_EQ(items.back(), "Custo de Reposição");
  EXPECT_EQ(Lib00500::NumeroTipoCusto(static_cast<int>(items.size()) - 1), 17);
  EXPECT_FALSE(Showavi::ShowAviActive());
}

TEST_F(CostTypes, NoSelectionAndOutOfRangeAreRefused) {
  const auto items = Lib00500::ListaTipoCusto(net, nullptr);
  try {
    Lib00500::NumeroTipoCusto(-1);
    ADD_FAILURE();
  } catch (const platform::Exception& error) {
    EXPECT_EQ(std::string(error.what()), "Tipo de custo deve ser informado.");
  }
  EXPECT_THROW(Lib00500::NumeroTipoCusto(static_cast<int>(items.size())), platform::Exception);
  EXPECT_THROW(Lib00500::NumeroTipoCusto(-2), platform::Exception);
}

TEST_F(CostTypes, EmptyListLeavesNothingToChoose) {
  db.writer().execute("DELETE FROM CUSTOPRODUTO");
  db.writer().execute("DELETE FROM TIPOCUSTO");
  EXPECT_TRUE(Lib00500::ListaTipoCusto(net, nullptr).empty());
  EXPECT_THROW(Lib00500::NumeroTipoCusto(0), platform::Exception);
  EXPECT_THROW(Lib00500::NumeroTipoCusto(-1), platform::Exception);
}

TEST_F(CostTypes, DataModuleKeepsTheRows) {
  Lib00500::ListaTipoCusto(net, Lib00500::dtmCustProd);
  platform::TClientDataSet& kept = *Lib00500::dtmCustProd->cdsTipoCusto;
  ASSERT_TRUE(kept.Active());
  EXPECT_EQ(kept.RecordCount(), db.count("TIPOCUSTO"));
  EXPECT_EQ(kept.RecNo(), 1);
}

TEST_F(CostTypes, FailedCallKeepsThePreviousListAndStopsTheAnimation) {
  const auto items = Lib00500::ListaTipoCusto(net, nullptr);
  const int first = Lib00500::NumeroTipoCusto(0);
  server.stop();
  net.Close();
  EXPECT_THROW(Lib00500::ListaTipoCusto(net, nullptr), platform::Exception);
  EXPECT_FALSE(Showavi::ShowAviActive());
  EXPECT_EQ(Lib00500::NumeroTipoCusto(0), first);
}

TEST_F(CostTypes, WrongModuleIsRefusedByTheServer) {
  Netconnection::TNetConnection wrong;
  server.Point(wrong, "VQR51200.rdmTabPreClie");
  EXPECT_THROW(Lib00500::ListaTipoCusto(wrong, nullptr), platform::Exception);
}

}  // namespace
