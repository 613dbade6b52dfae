// Who may call, on the real listener with the data modules, once per backend: nothing
// but signing in before a sign-in, each role exactly its methods, wrong passwords
// answered later each time and then locked per user and per address (logged, never the
// password), sessions resumed after a reconnect and by other connections until they
// idle too long or their user is disabled, and users kept as Argon2id hashes.
#include <gtest/gtest.h>
#include <spdlog/sinks/ostream_sink.h>
#include <spdlog/spdlog.h>

#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "contracts/server/methods.h"
#include "contracts/server/result_envelope.h"
#include "platform/net/frame_reader.h"
#include "platform/net/sign_in.h"
#include "platform/variant/codec.h"
#include "server/access/method_permissions.h"
#include "server/access/sessions.h"
#include "server/access/sign_in_gate.h"
#include "server/access/users.h"
#include "server/modules/data_modules.h"
#include "server/rpc/call_log.h"
#include "support/in_process/test_users.h"
#include "tests/server/module_fixture.h"
#include "tests/support/raw_socket.h"
#include "tests/server/sample_arguments.h"
#include "tests/support/rpc_test_server.h"

namespace servertest {
namespace {

using namespace std::chrono_literals;
using platform::Variant;
using server::access::Role;

// One user of each role, all with the fixtures' password.
const std::map<std::string, Role> kUsers{
    {"carlos", Role::Consulta}, {"paula", Role::Precos}, {"rita", Role::Reajuste}, {"ana", Role::Admin}};

std::vector<platform::CallArg> SampleArguments(const contracts::server::MethodSpec& method) {
  std::vector<platform::CallArg> args;
  for (const auto& param : method.params) args.emplace_back(SampleOf(param.kind));
  return args;
}

// What the server's log gets while it lives.
class LogCapture {
 public:
  LogCapture() : sink_(std::make_shared<spdlog::sinks::ostream_sink_mt>(text_)) {
    sink_->set_pattern("%v");
    server::rpc::ServerLog().sinks().push_back(sink_);
  }
  ~LogCapture() {
    auto& sinks = server::rpc::ServerLog().sinks();
    sinks.erase(std::remove(sinks.begin(), sinks.end(), sink_), sinks.end());
  }
  std::string text() const { return text_.str(); }

 private:
  std::ostringstream text_;
  std::shared_ptr<spdlog::sinks::ostream_sink_mt> sink_;
};

class AccessTest : public ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    if (IsSkipped()) return;
    for (const auto& [login, role] : kUsers) vqrtest::AddTestUser(db(), login, role);
  }

  // The data modules behind the sign-in gate, on a free loopback port.
  void serve(server::access::SignInOptions options = {}) {
    server::rpc::MethodRegistry registry;
    server::modules::RegisterDataModules(registry, store());
    auto serverOptions = vqrtest::TestOptions();
    serverOptions.gate = std::make_shared<server::access::SignInGate>(store(), options);
    server_ = std::make_unique<vqrtest::TestServer>(std::move(registry), serverOptions);
  }
  std::uint16_t port() const { return server_->port(); }

  // A connection to `module` that signs in with `login` (and the fixtures' password).
  std::unique_ptr<platform::TSocketConnection> connection(const std::string& login,
                                                          std::string_view module = contracts::server::kTabPreClie) {
    auto net = std::make_unique<platform::TSocketConnection>();
    vqrtest::PointAt(*net, port(), nullptr, "VQR51200." + std::string(module));
    vqrtest::SignInAs(*net, login);
    return net;
  }

  std::unique_ptr<vqrtest::TestServer> server_;
};

// One request on a raw socket and its response, and how long the response took.
struct Exchange {
  platform::RpcResponse response;
  std::chrono::milliseconds took;
};
Exchange Send(vqrtest::RawSocket& socket, std::uint32_t msgid, const std::string& address,
              std::vector<Variant> params) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(socket.send(platform::EncodeVariant(platform::RpcRequestFrame({msgid, address, std::move(params)}))));
  std::string bytes =
      socket.receive(10s, nullptr, [](const std::string& b) { return platform::RpcFrameReader::FrameLength(b) > 0; });
  const std::size_t length = platform::RpcFrameReader::FrameLength(bytes);
  EXPECT_GT(length, 0u) << "no reply to " << address;
  Exchange exchange{platform::ReadRpcResponse(platform::DecodeVariant(std::string_view(bytes).substr(0, length))),
                    std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)};
  return exchange;
}

Exchange SignInFrom(std::uint16_t port, const std::string& address, const std::string& login,
                    const std::string& password) {
  vqrtest::RawSocket socket = vqrtest::ConnectLoopbackFrom(port, address);
  return Send(socket, 1, std::string(platform::kSignInAddress), {login, password});
}

TEST_P(AccessTest, NoCallButSigningInIsAnsweredBeforeTheConnectionSignsIn) {
  serve();
  vqrtest::RawSocket socket = vqrtest::ConnectLoopback(port());
  std::uint32_t msgid = 0;
  std::vector<std::string> addresses{"rdmTabPreClie.NaoExiste"};
  for (const auto& method : contracts::server::AllMethods()) addresses.push_back(method.address());
  for (const std::string& address : addresses) {
    std::vector<Variant> params;
    if (const auto* method = contracts::server::FindMethod(address))
      for (const auto& param : method->params) params.push_back(SampleOf(param.kind));
    Exchange refused = Send(socket, ++msgid, address, params);
    EXPECT_EQ(refused.response.errorCode, platform::kSignInRequired) << address;
    EXPECT_EQ(refused.response.error,
              "Entre no sistema (usuário e senha) antes de chamar o servidor de aplicação.")
        << address;
  }
  EXPECT_EQ(count("TABPRECLIEHIST"), 0);
  EXPECT_TRUE(server_->calls().size() == addresses.size()) << "each refusal is a call record";

  Exchange signedIn = Send(socket, ++msgid, std::string(platform::kSignInAddress), {"carlos", vqrtest::kTestPassword});
  ASSERT_EQ(signedIn.response.error, "");
  const platform::TSignInAnswer answer = platform::ReadSignInAnswer(signedIn.response.returnValue);
  EXPECT_EQ(answer.Login, "carlos");
  EXPECT_EQ(answer.Role, "consulta");
  EXPECT_EQ(answer.Session.size(), 64u);
  Exchange answered = Send(socket, ++msgid, "rdmCustProd.GetTipoCusto", {});
  EXPECT_EQ(answered.response.error, "");
  EXPECT_TRUE(contracts::server::ReadEnvelope(answered.response.returnValue).ok);
}

TEST_P(AccessTest, EachRoleCallsExactlyTheMethodsItsPermissionsAllow) {
  // The least role that may call each method: reads for all, price and formula saves
  // from precos, repricing (and its previews) from reajuste, users from admin.
  const std::map<std::string, Role> leastRole{
      {"GetPesqCliente", Role::Consulta},       {"GetCDCliente", Role::Consulta},
      {"GetPrecoProd", Role::Consulta},         {"GetFatPreClie", Role::Consulta},
      {"GetPesqClieLista", Role::Consulta},     {"GetHistPreco", Role::Consulta},
      {"GetLotePreco", Role::Consulta},         {"GetTipoCusto", Role::Consulta},
      {"SetTabPreClie", Role::Precos},          {"SetCompPreco", Role::Precos},
      {"SetCalcCusProd", Role::Reajuste},       {"SetCopiaDados", Role::Reajuste},
      {"SetCopiaPreco", Role::Reajuste},        {"SetDesfazLote", Role::Reajuste},
      {"GetPreviaCalcCusProd", Role::Reajuste}, {"GetPreviaCopiaDados", Role::Reajuste},
      {"GetPreviaCopiaPreco", Role::Reajuste},  {"GetPreviaImpPreco", Role::Reajuste},
      {"SetImpPreco", Role::Reajuste},          {"GetUsuarios", Role::Admin},
      {"SetUsuario", Role::Admin}};
  // What only reads runs on the appserver's readers, everything else on its writers.
  for (const auto& method : contracts::server::AllMethods()) {
    const auto least = leastRole.find(std::string(method.name));
    if (least != leastRole.end()) {
      EXPECT_EQ(server::access::WritesData(method.address()), least->second != Role::Consulta) << method.name;
    }
  }
  serve();
  for (const auto& [login, role] : kUsers) {
    std::map<std::string_view, std::unique_ptr<platform::TSocketConnection>> byModule;
    for (const auto& method : contracts::server::AllMethods()) {
      const auto least = leastRole.find(std::string(method.name));
      ASSERT_NE(least, leastRole.end()) << method.name << " needs a role in this table";
      auto& net = byModule[method.module];
      if (!net) net = connection(login, method.module);
      auto envelope = contracts::server::ReadEnvelope(net->Call(method.name, SampleArguments(method)));
      const bool allowed = static_cast<int>(role) >= static_cast<int>(least->second);
      const bool refusedForRole = envelope.message.rfind("Sem permissão para ", 0) == 0;
      EXPECT_EQ(refusedForRole, !allowed) << login << " " << method.name << ": " << envelope.message;
      if (refusedForRole) {
        EXPECT_NE(envelope.message.find("o usuário " + login + " tem o papel " + server::access::RoleName(role)),
                  std::string::npos)
            << envelope.message;
      }
    }
  }
  EXPECT_EQ(count("TABPRECLIEHIST"), 0) << "the sample arguments change nothing";
  std::set<std::string> callers, logins;
  for (const auto& record : server_->calls()) callers.insert(record.user);
  for (const auto& user : kUsers) logins.insert(user.first);
  EXPECT_EQ(callers, logins) << "each call's record names its user";
}

TEST_P(AccessTest, WrongPasswordsAreAnsweredLaterEachTimeThenLockTheUserAndTheAddress) {
  LogCapture log;
  server::access::SignInOptions options;
  options.throttle = {.attempts = 3, .lockTime = 2s, .delayStep = 150ms, .maxDelay = 1s};
  serve(options);
  const std::string wrong = "senha-que-nao-e";
  Exchange first = SignInFrom(port(), "127.0.0.2", "paula", wrong);
  EXPECT_EQ(first.response.error, "Usuário ou senha inválidos.");
  EXPECT_GE(first.took, 150ms);
  EXPECT_GE(SignInFrom(port(), "127.0.0.2", "paula", wrong).took, 300ms) << "the second waits longer";
  EXPECT_EQ(SignInFrom(port(), "127.0.0.4", "ninguem", wrong).response.error, "Usuário ou senha inválidos.")
      << "an unknown user gets the same answer";
  EXPECT_EQ(SignInFrom(port(), "127.0.0.2", "paula", wrong).response.error, "Usuário ou senha inválidos.");

  const std::string locked = "Entrada bloqueada depois de muitas senhas erradas seguidas; tente de novo em 1 minuto.";
  EXPECT_EQ(SignInFrom(port(), "127.0.0.2", "paula", vqrtest::kTestPassword).response.error, locked)
      << "locked, the right password is refused too";
  EXPECT_EQ(SignInFrom(port(), "127.0.0.3", "paula", vqrtest::kTestPassword).response.error, locked)
      << "the user is locked from every address";
  EXPECT_EQ(SignInFrom(port(), "127.0.0.2", "rita", vqrtest::kTestPassword).response.error, locked)
      << "the address is locked for every user";
  EXPECT_EQ(SignInFrom(port(), "127.0.0.3", "rita", vqrtest::kTestPassword).response.error, "");
  std::this_thread::sleep_for(2100ms);
  EXPECT_EQ(SignInFrom(port(), "127.0.0.3", "paula", vqrtest::kTestPassword).response.error, "")
      << "the lock ends after its time";

  const std::string text = log.text();
  EXPECT_NE(text.find("Entrada de paula de 127.0.0.2:"), std::string::npos) << text;
  EXPECT_NE(text.find(": recusada, senha incorreta"), std::string::npos) << text;
  EXPECT_NE(text.find(": recusada, usuário desconhecido"), std::string::npos) << text;
  EXPECT_NE(text.find("Entrada bloqueada por 2 s: usuário paula após 3 senhas erradas seguidas"), std::string::npos)
      << text;
  EXPECT_NE(text.find("Entrada de rita (reajuste) de 127.0.0.3:"), std::string::npos) << text;
  EXPECT_EQ(text.find(wrong), std::string::npos) << "no password is ever logged";
  EXPECT_EQ(text.find(vqrtest::kTestPassword), std::string::npos) << "no password is ever logged";
}

TEST_P(AccessTest, ASessionIsResumedAcrossConnectionsUntilItIdlesTooLongOrItsUserIsDisabled) {
  server::access::SignInOptions options;
  options.sessionIdle = 2s;  // recorded in the database every half second, to the second
  serve(options);
  auto signIn = std::make_shared<platform::TSignIn>();
  std::vector<std::string> reasons;
  signIn->OnAskPassword = [&](const std::string& reason, const platform::TSignIn::TAttempt& attempt) {
    reasons.push_back(reason);
    return attempt(signIn->Login(), vqrtest::kTestPassword).empty();
  };
  platform::TSocketConnection prices, costs;
  vqrtest::PointAt(prices, port());
  vqrtest::PointAt(costs, port(), nullptr, "cus.rdmCustProd");
  prices.SetSignIn(signIn);
  costs.SetSignIn(signIn);
  ASSERT_EQ(prices.SignInWith("rita", "senha errada"), "Usuário ou senha inválidos.");
  ASSERT_EQ(prices.SignInWith("rita", vqrtest::kTestPassword), "");
  EXPECT_EQ(signIn->Role(), "reajuste");
  auto works = [](platform::TSocketConnection& net, const char* method, std::vector<platform::CallArg> args) {
    return contracts::server::ReadEnvelope(net.Call(method, std::move(args))).ok;
  };
  EXPECT_TRUE(works(prices, "GetPesqCliente", {"", "T"}));
  prices.Close();
  EXPECT_TRUE(works(prices, "GetPesqCliente", {"", "T"})) << "resumed after a reconnection";
  EXPECT_TRUE(works(costs, "GetTipoCusto", {})) << "resumed by another connection";
  EXPECT_TRUE(reasons.empty());
  EXPECT_EQ(count("SESSAOUSUARIO"), 1);

  std::this_thread::sleep_for(3200ms);  // the limit, and the second it is counted in
  EXPECT_TRUE(works(prices, "GetPesqCliente", {"", "T"})) << "the call goes on once signed in again";
  ASSERT_EQ(reasons.size(), 1u) << "an idle session asks for the password again";
  EXPECT_EQ(reasons[0], "Sessão expirada ou encerrada; entre no sistema novamente.");
  EXPECT_TRUE(works(costs, "GetTipoCusto", {})) << "the other connection takes up the new session";
  EXPECT_EQ(reasons.size(), 1u);

  vqrtest::RawSocket stranger = vqrtest::ConnectLoopback(port());
  EXPECT_EQ(Send(stranger, 1, std::string(platform::kResumeAddress), {std::string(64, '0')}).response.error,
            "Sessão expirada ou encerrada; entre no sistema novamente.")
      << "a made-up session resumes nothing";

  server::access::DisableUser(db(), "rita");
  std::this_thread::sleep_for(600ms);
  EXPECT_THROW(prices.Call("GetPesqCliente", {"", "T"}), platform::ESignInError)
      << "a disabled user's open connection is cut off and cannot sign in again";
  EXPECT_EQ(count("SESSAOUSUARIO", "CDUSUARIO = 'rita'"), 0);
}

TEST_P(AccessTest, UsersAreKeptAsArgon2idHashesAndLoseTheirSessionsWhenTheirAccessChanges) {
  using server::access::User;
  const auto hashCost = server::access::HashCost::MinimumForTests;
  server::access::AddUser(db(), User{"Maria.Souza", "Maria Souza", Role::Precos, true}, "uma senha longa", hashCost);
  const auto stored = server::access::FindUser(db(), "MARIA.SOUZA");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->user, (User{"maria.souza", "Maria Souza", Role::Precos, true})) << "logins are kept in lower case";
  EXPECT_EQ(stored->hash.rfind("$argon2id$", 0), 0u) << stored->hash;
  EXPECT_EQ(stored->hash.find("uma senha longa"), std::string::npos);
  auto refusal = [&](const std::function<void()>& work) {
    try {
      work();
    } catch (const platform::Exception& e) {
      return std::string(e.what());
    }
    return std::string("accepted");
  };
  EXPECT_EQ(refusal([&] { server::access::AddUser(db(), User{"maria.souza", "Outra", Role::Admin, true}, "12345678", hashCost); }),
            "Usuário maria.souza já cadastrado.");
  EXPECT_EQ(refusal([&] { server::access::AddUser(db(), User{"joão", "João", Role::Admin, true}, "12345678", hashCost); }),
            "Usuário deve ter só letras sem acento, algarismos, \".\", \"_\" e \"-\".");
  EXPECT_EQ(refusal([&] { server::access::AddUser(db(), User{"joao", "João", Role::Admin, true}, "curta", hashCost); }),
            "Senha deve ter pelo menos 8 caracteres.");

  const auto now = std::chrono::system_clock::now();
  auto sessions = [&] { return count("SESSAOUSUARIO", "CDUSUARIO = 'maria.souza'"); };
  server::access::OpenSession(db(), "maria.souza", now);
  server::access::ChangeUser(db(), User{"maria.souza", "Maria S. Souza", Role::Precos, true});
  EXPECT_EQ(sessions(), 1) << "a new name keeps the sessions";
  server::access::ChangeUser(db(), User{"maria.souza", "Maria S. Souza", Role::Reajuste, true});
  EXPECT_EQ(sessions(), 0) << "a new role needs a new sign-in";
  server::access::OpenSession(db(), "maria.souza", now);
  server::access::ChangePassword(db(), "maria.souza", "outra senha longa", hashCost);
  EXPECT_EQ(sessions(), 0);
  EXPECT_TRUE(server::access::PasswordMatches(server::access::FindUser(db(), "maria.souza")->hash, "outra senha longa"));

  // Remotely, through rdmUsuario: an admin may not lock itself out.
  EXPECT_EQ(callAs("ana", "SetUsuario", {"ana", "Ana", "admin", "N", ""}).message,
            "Um administrador não pode desativar a si mesmo nem deixar o papel admin.");
  EXPECT_EQ(callAs("ana", "SetUsuario", {"novo", "Novo Usuário", "consulta", "S", ""}).message,
            "Informe a senha do novo usuário novo.");
  EXPECT_TRUE(callAs("ana", "SetUsuario", {"novo", "Novo Usuário", "consulta", "S", "senha do novo"}).ok);
  EXPECT_EQ(Column(data("GetUsuarios", {}), "CDUSUARIO"),
            (std::vector<std::string>{"ana", "carlos", "maria.souza", "novo", "paula", "rita", "teste"}));
}

VQR_BACKEND_SUITE(AccessTest);

}  // namespace
}  // namespace servertest
