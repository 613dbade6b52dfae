// The dispatcher without sockets: every contract method checked by its own argument
// kinds, the customer each call names in the log (its registration number masked, no
// client text able to break a log line), and the reply surviving a failing call
// observer.
#include "server/rpc/dispatcher.h"

#include <gtest/gtest.h>
#include <spdlog/sinks/ostream_sink.h>
#include <spdlog/spdlog.h>

#include <sstream>

#include "contracts/server/methods.h"
#include "contracts/server/result_envelope.h"
#include "platform/variant/codec.h"
#include "tests/server/sample_arguments.h"

namespace server::rpc {
namespace {

using platform::Variant;

platform::RpcResponse Answer(const Dispatcher& dispatcher, std::string address,
                             std::vector<Variant> params) {
  std::string bytes = dispatcher.answer({1, std::move(address), std::move(params)});
  return platform::ReadRpcResponse(platform::DecodeVariant(bytes));
}

using servertest::SampleOf;

// Values a caller could send by mistake for an argument of `kind`.
std::vector<Variant> WrongValuesFor(contracts::server::ArgKind kind) {
  switch (kind) {
    case contracts::server::ArgKind::String: return {3, 1.5, Variant::Null(), platform::VarArrayOf({})};
    case contracts::server::ArgKind::Integer: return {"3", 3.0, true, Variant::Null()};
    case contracts::server::ArgKind::Double: return {"1,5", true, Variant::Null()};
    case contracts::server::ArgKind::Variant: return {};
  }
  return {};
}

TEST(Dispatcher, EveryContractMethodTakesItsKindsAndRefusesAnythingElse) {
  MethodRegistry registry;
  int handled = 0;
  for (const auto& method : contracts::server::AllMethods())
    registry.add(method.address(), [&](std::vector<Variant>&) {
      ++handled;
      return contracts::server::MakeSuccess();
    });
  std::vector<CallRecord> records;
  Dispatcher dispatcher(registry, [&](const CallRecord& r) { records.push_back(r); });
  auto refusal = [&](const contracts::server::MethodSpec& method, const std::vector<Variant>& args) {
    std::string error = Answer(dispatcher, method.address(), args).error;
    EXPECT_NE(error.find(method.address()), std::string::npos) << error;
    return error;
  };
  for (const auto& method : contracts::server::AllMethods()) {
    std::vector<Variant> args;
    for (const auto& param : method.params) args.push_back(SampleOf(param.kind));
    EXPECT_EQ(Answer(dispatcher, method.address(), args).error, "") << method.address();

    auto tooMany = args;
    tooMany.push_back("extra");
    EXPECT_NE(refusal(method, tooMany), "") << method.address();
    if (!args.empty()) {
      auto tooFew = args;
      tooFew.pop_back();
      EXPECT_NE(refusal(method, tooFew), "") << method.address();
    }
    for (std::size_t i = 0; i < args.size(); ++i) {
      for (const Variant& value : WrongValuesFor(method.params[i].kind)) {
        auto wrong = args;
        wrong[i] = value;
        EXPECT_NE(refusal(method, wrong).find("(" + std::string(method.params[i].name) + ")"), std::string::npos)
            << method.address() << " argument " << i << " sent as " << Variant::KindName(value.kind());
      }
    }
  }
  EXPECT_EQ(handled, static_cast<int>(contracts::server::AllMethods().size()));
  // One record per call, refused ones as errors.
  std::size_t errors = std::count_if(records.begin(), records.end(), [](const CallRecord& r) {
    return r.outcome == CallOutcome::Error;
  });
  EXPECT_EQ(records.size() - errors, contracts::server::AllMethods().size());
}

TEST(Dispatcher, TheSubjectOfACallIsItsArgumentsNamingACustomerWithTheNumberMasked) {
  auto customer = [](std::string_view address, std::vector<Variant> params) {
    return SubjectOf(address, params).customer;
  };
  auto registration = [](std::string_view address, std::vector<Variant> params) {
    return SubjectOf(address, params).registration;
  };
  EXPECT_EQ(registration("rdmTabPreClie.GetPesqCliente", {"12345678000190", ""}), "**********0190");
  EXPECT_EQ(registration("rdmTabPreClie.GetPesqCliente", {"123.456.789-09", ""}), "***.***.*89-09");
  EXPECT_EQ(customer("rdmTabPreClie.GetPesqCliente", {"12345678000190", ""}), "");
  EXPECT_EQ(customer("rdmTabPreClie.GetPrecoProd", {"000123", 3}), "000123");
  auto recalc = SubjectOf("rdmTabPreClie.SetCalcCusProd", {"001", "000123", "52998224725", 3, 1, "", "", "S"});
  EXPECT_EQ(recalc.customer, "000123");
  EXPECT_EQ(recalc.registration, "*******4725");
  EXPECT_EQ(customer("rdmTabPreClie.SetCompPreco", {Variant::Null(), "000456", "Custo"}), "000456");
  EXPECT_EQ(customer("rdmCustProd.GetTipoCusto", {}), "");
  EXPECT_EQ(customer("rdmTabPreClie.Desconhecido", {"000123"}), "");
  EXPECT_EQ(customer("rdmTabPreClie.GetPrecoProd", {}), "");       // missing arguments
  EXPECT_EQ(customer("rdmTabPreClie.GetPrecoProd", {12, 3}), "");  // not a text
}

TEST(CallLog, OneLineSaysMethodCustomerDurationOutcomeAndText) {
  std::ostringstream out;
  auto sink = std::make_shared<spdlog::sinks::ostream_sink_mt>(out);
  sink->set_pattern("%v");
  auto& sinks = ServerLog().sinks();
  sinks.push_back(sink);
  LogCall({"rdmTabPreClie.GetPrecoProd", "000123", std::chrono::microseconds(3250),
           CallOutcome::Ok, ""});
  LogCall({"rdmTabPreClie.SetTabPreClie", "000123", std::chrono::microseconds(1000),
           CallOutcome::Refused, "Preço negativo"});
  LogCall({"rdmCustProd.GetTipoCusto", "", std::chrono::microseconds(0), CallOutcome::Error,
           "Método desconhecido"});
  sinks.pop_back();
  EXPECT_EQ(out.str(),
            "rdmTabPreClie.GetPrecoProd cliente=000123 3.2 ms ok\n"
            "rdmTabPreClie.SetTabPreClie cliente=000123 1.0 ms recusado: Preço negativo\n"
            "rdmCustProd.GetTipoCusto 0.0 ms erro: Método desconhecido\n");
}

TEST(CallLog, NoClientTextBreaksOrFloodsALineAndNoRegistrationNumberIsLoggedInFull) {
  std::ostringstream out;
  auto sink = std::make_shared<spdlog::sinks::ostream_sink_mt>(out);
  sink->set_pattern("%v");
  ServerLog().sinks().push_back(sink);
  MethodRegistry registry;
  registry.add("rdmTabPreClie.GetPesqCliente", [](std::vector<Variant>&) {
    return contracts::server::MakeFailure("Filtro\nrdmTabPreClie.SetTabPreClie cliente=C2 0.1 ms ok");
  });
  registry.add("rdmTabPreClie.GetPrecoProd", [](std::vector<Variant>&) { return contracts::server::MakeSuccess(); });
  Dispatcher dispatcher(registry, LogCall);
  Answer(dispatcher, "rdmTabPreClie.GetPesqCliente", {"11.222.333/0001-81", "x"});
  Answer(dispatcher, "rdmTabPreClie.GetPrecoProd", {"C1\r\nrdmTabPreClie.GetPrecoProd cliente=C3\u2028" + std::string(1u << 20, 'x'), 3});
  Answer(dispatcher, "rdmTabPreClie.Nada\n" + std::string(100000, 'y'), {});
  ServerLog().sinks().pop_back();
  std::vector<std::string> lines;
  std::istringstream text(out.str());
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 3u) << out.str().substr(0, 2000);
  EXPECT_EQ(lines[0].find("11222333000181"), std::string::npos);
  EXPECT_EQ(lines[0].find("11.222.333"), std::string::npos);
  EXPECT_NE(lines[0].find("inscricao=**.***.***/**01-81"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("recusado: Filtro\\nrdmTabPreClie.SetTabPreClie"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("cliente=C1\\r\\nrdmTabPreClie.GetPrecoProd cliente=C3\\u2028xxx"), std::string::npos)
      << lines[1].substr(0, 300);
  for (const std::string& line : lines) EXPECT_LT(line.size(), 1000u);
}

TEST(Dispatcher, AFailingCallObserverDoesNotCostTheReply) {
  MethodRegistry registry;
  registry.add("m.ok", [](std::vector<Variant>&) { return Variant("resposta"); });
  Dispatcher dispatcher(registry, [](const CallRecord&) { throw std::runtime_error("log cheio"); });
  auto response = Answer(dispatcher, "m.ok", {});
  EXPECT_EQ(response.error, "");
  EXPECT_EQ(response.returnValue, Variant("resposta"));
}

TEST(Dispatcher, NonStandardExceptionsStillBecomeErrorReplies) {
  MethodRegistry registry;
  registry.add("m.int", [](std::vector<Variant>&) -> Variant { throw 42; });
  registry.add("m.vazio", [](std::vector<Variant>&) -> Variant { throw std::runtime_error(""); });
  Dispatcher dispatcher(registry, {});
  EXPECT_EQ(Answer(dispatcher, "m.int", {}).error,
            "Erro desconhecido no servidor de aplicação ao executar m.int");
  EXPECT_EQ(Answer(dispatcher, "m.vazio", {}).error, "Erro sem descrição no servidor de aplicação");
}

}  // namespace
}  // namespace server::rpc
