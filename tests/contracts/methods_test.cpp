// The methods the application server has always offered keep their wire: each one's
// address, its arguments in order with their kinds and "var" marks, and the shape of
// its data part, whatever records the two sides fill from them.
#include <gtest/gtest.h>

#include "contracts/server/methods.h"

namespace contractstest {
namespace {

namespace c = contracts::server;

// "S" text, "I" integer, "D" double, "V" variant; a "&" after the kind marks "var".
std::string WireOf(const c::MethodSpec& method) {
  std::string wire;
  for (const c::ParamSpec& param : method.params) {
    if (!wire.empty()) wire += ' ';
    wire += "SIDV"[static_cast<int>(param.kind)];
    if (param.byRef) wire += '&';
  }
  switch (method.data) {
    case c::DataKind::None: return wire + " -> nothing";
    case c::DataKind::Packet: return wire + " -> packet";
    case c::DataKind::PacketAndText: return wire + " -> [packet, text]";
    case c::DataKind::PacketAndRecord: return wire + " -> [packet, record]";
  }
  return wire;
}

TEST(Methods, TheTenMethodsOfTheOriginalContractKeepTheirWire) {
  const std::vector<std::pair<std::string, std::string>> wires{
      {"rdmTabPreClie.GetPesqCliente", "S S -> packet"},
      {"rdmTabPreClie.GetCDCliente", "S S -> packet"},
      {"rdmTabPreClie.GetPrecoProd", "S I -> packet"},
      {"rdmTabPreClie.SetTabPreClie", "S S D S S S -> nothing"},
      {"rdmTabPreClie.GetFatPreClie", "S& S -> [packet, text]"},
      {"rdmTabPreClie.SetCompPreco", "V S& S -> [packet, text]"},
      {"rdmTabPreClie.SetCalcCusProd", "S S& S& I I S S S -> nothing"},
      {"rdmTabPreClie.GetPesqClieLista", "S& -> packet"},
      {"rdmTabPreClie.SetCopiaDados", "S S& S& I S& S& I S S -> nothing"},
      {"rdmTabPreClie.SetCopiaPreco", "S S& I S& S& S S S& S S -> nothing"},
  };
  for (const auto& [address, wire] : wires) {
    const c::MethodSpec* method = c::FindMethod(address);
    ASSERT_NE(method, nullptr) << address;
    EXPECT_EQ(WireOf(*method), wire) << address;
  }
}

}  // namespace
}  // namespace contractstest
