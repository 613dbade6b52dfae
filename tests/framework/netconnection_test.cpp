// TNetConnection: the ThrowException switch over real calls.
#include "contracts/framework/netconnection.h"

#include <gtest/gtest.h>

#include "contracts/framework/consiste.h"
#include "contracts/server/result_envelope.h"
#include "platform/variant/data_packet.h"
#include "tests/framework/framework_fixtures.h"

namespace {

class NetConnection : public ::testing::Test {
 protected:
  fwtest::DemoDatabase db{fwtest::Backend::SQLite};
  fwtest::LoopbackAppServer server{db};
  Netconnection::TNetConnection net;
  void SetUp() override { server.Point(net, "VQR51200.rdmTabPreClie"); }
};

TEST_F(NetConnection, FailureEnvelopeComesBackWhenNotThrowing) {
  std::string customer = "NAOEXISTE";
  const auto result = net.Call("GetPrecoProd", {customer, 3});
  const auto envelope = contracts::server::ReadEnvelope(result);
  EXPECT_FALSE(envelope.ok);
  EXPECT_THROW(Consiste::CheckResultServ(result, true, 0), Consiste::EServerRefusal);
}

TEST_F(NetConnection, FailureEnvelopeRaisesAtTheCallWhenThrowing) {
  net.ThrowException = true;
  std::string customer = "NAOEXISTE";
  EXPECT_THROW(net.Call("GetPrecoProd", {customer, 3}), Consiste::EServerRefusal);
  const auto ok = net.Call("GetPesqCliente", {"", "T"});
  EXPECT_GT(Consiste::CheckResultServ(ok, true, 0).asPacket().rowCount(), 0u);
}

TEST_F(NetConnection, VarArgumentsComeBack) {
  std::string customer = db.rows("SELECT CDCLIENTE FROM CLIENTE ORDER BY CDCLIENTE")[0][0];
  const std::string before = customer;
  const auto data = Consiste::CheckResultServ(net.Call("GetFatPreClie", {platform::Var(customer), "Custo"}), true, 0);
  EXPECT_EQ(data.asArray().size(), 2u);
  EXPECT_EQ(customer, before);
}

}  // namespace
