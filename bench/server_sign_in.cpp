// What signing in costs a connection: a sign-in with a password hashed at the
// production cost (Argon2id INTERACTIVE), the resume of its session by a new
// connection, and a wrong password (held back by the server), each against a trivial
// call on a connection already signed in, medians of the runs.
//
//   bench_server_sign_in [--pg] [--runs N]
#include <cstdio>
#include <memory>

#include "bench/server_bench_common.h"
#include "platform/net/sign_in.h"
#include "server/access/users.h"

namespace {

using bench::Seconds;

constexpr const char* kLogin = "medida";
constexpr const char* kPassword = "senha de produção";

std::unique_ptr<platform::TSocketConnection> Connection(std::uint16_t port, std::shared_ptr<platform::TSignIn> signIn) {
  auto net = std::make_unique<platform::TSocketConnection>();
  net->SetServerName("cus.rdmCustProd");
  net->SetHost("127.0.0.1");
  net->SetPort(port);
  net->SetSignIn(std::move(signIn));
  return net;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const int runs = bench::IntOption(argc, argv, "--runs", 15);
    bench::Scratch scratch(bench::HasFlag(argc, argv, "--pg"));
    const std::string target = scratch.create("sign_in");
    auto store = server::store::Store::Open(target, server::store::Store::Mode::Create);
    {
      auto c = store->connect();
      server::store::CreateSchema(*c);
      server::access::AddUser(*c, {kLogin, "Medida", server::access::Role::Consulta, true}, kPassword,
                              server::access::HashCost::Interactive);
    }
    bench::LocalServer server(*store, 4);

    std::vector<double> signIns, resumes, wrongs, calls;
    auto caller = Connection(server.port(), std::make_shared<platform::TSignIn>());
    if (!caller->SignInWith(kLogin, kPassword).empty()) throw std::runtime_error("the caller cannot sign in");
    for (int run = 0; run < runs; ++run) {
      auto fresh = std::make_shared<platform::TSignIn>();
      auto net = Connection(server.port(), fresh);
      std::string refusal;
      signIns.push_back(Seconds([&] { refusal = net->SignInWith(kLogin, kPassword); }));
      if (!refusal.empty()) throw std::runtime_error("sign-in refused: " + refusal);
      auto other = Connection(server.port(), fresh);
      resumes.push_back(Seconds([&] { other->Open(); }));
      calls.push_back(Seconds([&] { caller->Call("GetTipoCusto", {}); }));
      // A right password clears the count of wrong ones, so each is the first in a row.
      if (run < 3) {
        auto wrong = Connection(server.port(), std::make_shared<platform::TSignIn>());
        wrongs.push_back(Seconds([&] { refusal = wrong->SignInWith(kLogin, "errada!!"); }));
      }
    }
    const double call = bench::Median(calls);
    auto line = [&](const char* what, const std::vector<double>& times) {
      const double median = bench::Median(times);
      std::printf("  %-34s %8.2f ms  %8.1fx a call\n", what, median * 1000, median / call);
    };
    std::printf("Signing in on %s, median of %d runs (a call: %.3f ms)\n", scratch.postgres() ? "PostgreSQL" : "SQLite",
                runs, call * 1000);
    line("sign-in, Argon2id INTERACTIVE", signIns);
    line("resume of the session", resumes);
    line("wrong password (first three)", wrongs);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_server_sign_in: %s\n", e.what());
    return 1;
  }
}
