// TNetConnection: the ThrowException switch over real calls.
#include "contracts/framework/netconnection.h"

#include <gtest/gtest.h>

#include "contracts/framework/consiste.h"
#include "contracts/server/methods.h"
#include "contracts/server/result_envelope.h"
#include "platform/variant/data_packet.h"
#include "server/rpc/method_registry.h"
#include "tests/framework/framework_fixtures.h"
#include "tests/support/rpc_test_server.h"

namespace {

namespace c = contracts::server;
using platform::Variant;

// A typed call compiles only with the declared count and kinds of arguments.
template <class M, class... A>
concept Compiles = requires(Netconnection::TNetConnection& net, A&&... args) {
  net.template Call<M>(std::forward<A>(args)...);
};
using Literal = const char (&)[1];
static_assert(Compiles<c::GetPesqCliente, std::string&, Literal>);
static_assert(Compiles<c::GetPesqCliente, const std::string&, std::string>);
static_assert(!Compiles<c::GetPesqCliente, std::string&>);                    // too few
static_assert(!Compiles<c::GetPesqCliente, std::string&, Literal, Literal>);  // too many
static_assert(!Compiles<c::GetPesqCliente, const char*, Literal>);            // a pointer is no literal
static_assert(!Compiles<c::GetPesqCliente, std::string_view, Literal>);
static_assert(!Compiles<c::GetPesqCliente, int, Literal>);
static_assert(Compiles<c::GetPrecoProd, std::string&, const int&>);
static_assert(!Compiles<c::GetPrecoProd, std::string&, double>);
static_assert(!Compiles<c::GetPrecoProd, std::string&, bool>);
static_assert(Compiles<c::GetPrecoProd, std::string&, std::int64_t>);  // a 64-bit integer
static_assert(!Compiles<c::GetPrecoProd, std::string&, unsigned>);
static_assert(!Compiles<c::GetPrecoProd, std::string&, Literal>);
static_assert(Compiles<c::SetTabPreClie, std::string, std::string, double, std::string, std::string, Literal>);
static_assert(!Compiles<c::SetTabPreClie, std::string, std::string, int, std::string, std::string, Literal>);
static_assert(!Compiles<c::SetTabPreClie, std::string, std::string, float, std::string, std::string, Literal>);
static_assert(Compiles<c::GetFatPreClie, std::string&, Literal>);
static_assert(!Compiles<c::GetFatPreClie, const std::string&, Literal>);  // a var needs a variable
static_assert(!Compiles<c::GetFatPreClie, std::string, Literal>);
static_assert(!Compiles<c::GetFatPreClie, Literal, Literal>);
static_assert(Compiles<c::SetCompPreco, Variant, std::string&, Literal>);
static_assert(!Compiles<c::SetCompPreco, std::string&, std::string&, Literal>);
static_assert(Compiles<c::GetTipoCusto>);
static_assert(!Compiles<c::GetTipoCusto, Literal>);

class NetConnection : public fwtest::ServedDemoTest {
 protected:
  NetConnection() : ServedDemoTest("VQR51200.rdmTabPreClie") {}
};

TEST_F(NetConnection, FailureEnvelopeComesBackWhenNotThrowing) {
  std::string customer = "NAOEXISTE";
  const auto result = net.Call<c::GetPrecoProd>(customer, 3);
  const auto envelope = contracts::server::ReadEnvelope(result);
  EXPECT_FALSE(envelope.ok);
  EXPECT_THROW(Consiste::CheckResultServ(result, true, 0), Consiste::EServerRefusal);
}

TEST_F(NetConnection, FailureEnvelopeRaisesAtTheCallWhenThrowing) {
  net.ThrowException = true;
  std::string customer = "NAOEXISTE";
  EXPECT_THROW(net.Call<c::GetPrecoProd>(customer, 3), Consiste::EServerRefusal);
  const auto ok = net.Call<c::GetPesqCliente>("", "T");
  EXPECT_GT(Consiste::CheckResultServ(ok, true, 0).asPacket().rowCount(), 0u);
}

TEST_F(NetConnection, VarArgumentsComeBack) {
  std::string customer = db.rows("SELECT CDCLIENTE FROM CLIENTE ORDER BY CDCLIENTE")[0][0];
  const std::string before = customer;
  const auto data = Consiste::CheckResultServ(net.Call<c::GetFatPreClie>(customer, "Custo"), true, 0);
  EXPECT_EQ(data.asArray().size(), 2u);
  EXPECT_EQ(customer, before);
}

// A typed call sends the declared kinds in order (the listener checks them against
// the contract) and writes what the method left in a "var" text into the variable.
TEST(TypedCall, SendsTheDeclaredKindsAndWritesVarsBack) {
  std::vector<std::vector<Variant>> received;
  server::rpc::MethodRegistry registry;
  for (const auto& method : c::AllMethods())
    registry.add(method.address(), [&](std::vector<Variant>& params) {
      received.push_back(params);
      for (Variant& param : params)
        if (param.kind() == Variant::Kind::String) param = "servidor:" + param.asString();
      return c::MakeSuccess();
    });
  vqrtest::TestServer server(std::move(registry));
  Netconnection::TNetConnection net;
  vqrtest::PointAt(net, server.port());
  std::string customer = "C1", registration = "111", all = "T", list = "C2,C3", replace = "N";
  const std::string branch = "001";
  net.Call<c::SetTabPreClie>(customer, std::string("P1"), 10.0, std::string(""), "", "S");
  net.Call<c::SetCalcCusProd>(branch, customer, registration, 3, 2, "", "", "S");
  EXPECT_EQ(customer, "servidor:C1");
  EXPECT_EQ(registration, "servidor:111");
  net.Call<c::SetCopiaPreco>(branch, customer, 3, all, list, "01/01/2026", "", replace, "1", "2");
  EXPECT_EQ(all, "servidor:T");
  EXPECT_EQ(list, "servidor:C2,C3");
  EXPECT_EQ(replace, "servidor:N");
  EXPECT_EQ(branch, "001");
  ASSERT_EQ(received.size(), 3u);
  EXPECT_EQ(received[0], (std::vector<Variant>{"C1", "P1", 10.0, "", "", "S"}));
  EXPECT_EQ(received[0][2].kind(), Variant::Kind::Double);
  EXPECT_EQ(received[1], (std::vector<Variant>{"001", "C1", "111", 3, 2, "", "", "S"}));
}

}  // namespace
