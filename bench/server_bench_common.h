#pragma once
// What the server benchmarks share: scratch databases (SQLite files in a temporary
// folder by default; PostgreSQL databases when --pg is given and VQR_PG_URL is set),
// identical copies of a prepared database for each measured run, an in-process
// listener serving the data modules, and timing.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <fmt/format.h>

#include "contracts/server/result_envelope.h"
#include "platform/net/socket_connection.h"
#include "server/modules/data_modules.h"
#include "server/rpc/allocation_policy.h"
#include "server/rpc/method_registry.h"
#include "server/rpc/server.h"
#include "server/store/schema.h"
#include "server/store/store.h"
#include "server/access/sign_in_gate.h"
#include "server/store/transaction.h"
#include "support/in_process/test_users.h"

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(const std::function<void()>& work) {
  auto start = Clock::now();
  work();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Lets the disk write back what earlier runs left dirty, so it does not slow the next.
inline void Settle() {
  ::sync();
  std::this_thread::sleep_for(std::chrono::seconds(1));
}

inline bool HasFlag(int argc, char** argv, const std::string& flag) {
  for (int i = 1; i < argc; ++i)
    if (argv[i] == flag) return true;
  return false;
}

// The integer after `name` on the command line, or `fallback`.
inline int IntOption(int argc, char** argv, const std::string& name, int fallback) {
  for (int i = 1; i + 1 < argc; ++i)
    if (argv[i] == name) return std::atoi(argv[i + 1]);
  return fallback;
}

// Writes `products` leaf products (level 3): CDPRODUTO "000000", "000001", ..., tree
// codes 101001, 101002, ... (999 per second level, 99 second levels per first level),
// each named by `nameFormat` with its number ("Produto {}").
inline void WriteLeafProducts(server::store::Connection& c, int products, const std::string& nameFormat) {
  auto rows = c.bulkWriter("PRODUTO", {"CDPRODUTO", "CDARVPROD", "NMPRODUTO", "NRNIVEL"});
  for (int i = 0; i < products; ++i)
    rows->add({fmt::format("{:06d}", i), fmt::format("{}{:02d}{:03d}", i / 99000 + 1, i / 999 % 99 + 1, i % 999 + 1),
               fmt::format(fmt::runtime(nameFormat), i), std::int64_t{3}});
  rows->finish();
}

// A new database at `target` with the schema, the customer "000001", `products` leaf
// products and that customer's price for every `priceEvery`-th product (from 3,000 up,
// valid from 01/01/2026, to 31/12/2026 or, for every tenth product, open).
inline void PrepareOneCustomerPrices(const std::string& target, int products, int priceEvery) {
  auto store = server::store::Store::Open(target, server::store::Store::Mode::Create);
  auto c = store->connect();
  server::store::Transaction tx(*c);
  server::store::CreateSchema(*c);
  c->execute("INSERT INTO CLIENTE VALUES ('000001', '11222333000181', 'Alfa Comércio Ltda', 'Alfa', 'J')");
  WriteLeafProducts(*c, products, "Refrigerante Sabor {} Garrafa 2L");
  auto prices = c->bulkWriter("TABPRECLIE", {"CDCLIENTE", "CDPRODUTO", "VRPRECOPROD", "DTVALINI", "DTVALFIN"});
  for (int i = 0; i < products; i += priceEvery)
    prices->add({"000001", fmt::format("{:06d}", i), 3.0 + i * 0.001, "2026-01-01",
                 i % 10 ? platform::Variant("2026-12-31") : platform::Variant::Null()});
  prices->finish();
  tx.commit();
}

// Latencies in milliseconds, sorted on demand.
struct Latencies {
  std::vector<double> millis;
  double percentile(double p) {
    std::sort(millis.begin(), millis.end());
    return millis.empty() ? 0 : millis[std::min(millis.size() - 1, static_cast<std::size_t>(p * millis.size()))];
  }
};

// The failures of calls made from many threads: how many, and the first few texts.
struct Failures {
  std::atomic<long> errors{0};
  std::mutex mutex;
  std::vector<std::string> firstErrors;
  void fail(const std::string& what) {
    ++errors;
    std::lock_guard lock(mutex);
    if (firstErrors.size() < 5) firstErrors.push_back(what);
  }
};

// The data part of `method` called on `net`, or Empty after noting the failure (a
// refusal or a broken call) in `failures`.
inline platform::Variant CallOrNote(platform::TSocketConnection& net, const std::string& method,
                                    std::vector<platform::CallArg> args, Failures& failures) {
  try {
    auto envelope = contracts::server::ReadEnvelope(net.Call(method, std::move(args)));
    if (envelope.ok) return envelope.data;
    failures.fail(method + ": " + envelope.message);
  } catch (const std::exception& e) {
    failures.fail(method + ": " + e.what());
  }
  return platform::Variant();
}

// `net` names rdmTabPreClie of the appserver listening on loopback `port`, signed in as
// the test user.
inline void AimAtLoopback(platform::TSocketConnection& net, std::uint16_t port) {
  net.SetServerName("VQR51200.rdmTabPreClie");
  vqrtest::SignInAs(net);
  net.BeforeConnect = [&net, port](platform::TObject*) {
    net.SetHost("127.0.0.1");
    net.SetPort(port);
  };
}

// A new database at `target` with its schema, written in one transaction the caller
// commits: branch 001, cost type 1 and the factors MKP (001), ICMS (002), FRT (005).
struct NewDatabase {
  explicit NewDatabase(const std::string& target)
      : store(server::store::Store::Open(target, server::store::Store::Mode::Create)), c(store->connect()), tx(*c) {
    server::store::CreateSchema(*c);
    c->executeScript(
        "INSERT INTO FILIAL VALUES ('001', 'Matriz');"
        "INSERT INTO TIPOCUSTO VALUES (1, 'Custo Médio');"
        "INSERT INTO FATORPRECO VALUES ('001', 'MKP', 'Markup');"
        "INSERT INTO FATORPRECO VALUES ('002', 'ICMS', 'ICMS');"
        "INSERT INTO FATORPRECO VALUES ('005', 'FRT', 'Frete');");
  }
  std::unique_ptr<server::store::Store> store;
  std::unique_ptr<server::store::Connection> c;
  server::store::Transaction tx;
};

// The reference workload of a recalculation: a new database at `target` with branch
// 001, cost type 1, customer "000001" with the formula x 1,30 / 0,82 + 2,00 and
// kReferenceProducts leaf products, product i (1-based) costing
// (i mod 997) + 1 + (i mod 100)/100; no special price yet.
inline constexpr int kReferenceProducts = 50000;
inline void PrepareReferenceWorkload(const std::string& target) {
  NewDatabase db(target);
  auto& c = db.c;
  c->executeScript(
      "INSERT INTO CLIENTE VALUES ('000001', '11222333000181', 'Alfa Comércio Ltda', 'Alfa', 'J');"
      "INSERT INTO COMPPRECLIE VALUES ('000001', '001', '001', 'N', 1.30, 'MUL');"
      "INSERT INTO COMPPRECLIE VALUES ('000001', '002', '002', 'N', 0.82, 'DIV');"
      "INSERT INTO COMPPRECLIE VALUES ('000001', '005', '003', 'M', 2.00, 'SUM');");
  WriteLeafProducts(*c, kReferenceProducts, "Produto {}");
  auto costs = c->bulkWriter("CUSTOPRODUTO", {"CDFILIAL", "CDPRODUTO", "NRTIPOCUSTO", "VRCUSTO"});
  for (int i = 1; i <= kReferenceProducts; ++i)
    costs->add({"001", fmt::format("{:06d}", i - 1), std::int64_t{1}, (i % 997) + 1 + (i % 100) / 100.0});
  costs->finish();
  db.tx.commit();
}

// The data modules' handlers on `store` (which must outlive them), called by address
// ("rdmTabPreClie.SetCalcCusProd") as the listener calls them.
class ModuleCalls {
 public:
  explicit ModuleCalls(server::store::Store& store) : entries_(server::modules::DataModuleMethods(store)) {}

  // The data part of the reply; raises when the method refuses.
  platform::Variant call(const std::string& address, std::vector<platform::Variant> args) const {
    for (const auto& entry : entries_)
      if (entry.address == address) {
        auto envelope = contracts::server::ReadEnvelope(entry.handler({vqrtest::kTestUser}, args));
        if (!envelope.ok) throw std::runtime_error(address + " refused: " + envelope.message);
        return envelope.data;
      }
    throw std::runtime_error("no " + address);
  }

  // The seconds the call takes; raises when the method refuses.
  double seconds(const std::string& address, std::vector<platform::Variant> args) const {
    return Seconds([&] { call(address, std::move(args)); });
  }

 private:
  std::vector<server::modules::MethodEntry> entries_;
};

// The seconds the data module's handler of `address` takes on `target` with `args`;
// raises when it refuses.
inline double TimeModuleCall(const std::string& target, const std::string& address,
                             std::vector<platform::Variant> args) {
  auto store = server::store::Store::Open(target);
  return ModuleCalls(*store).seconds(address, std::move(args));
}

// The URL of `database` on the PostgreSQL server of `serverUrl` (same host, user and
// options).
inline std::string DatabaseUrl(const std::string& serverUrl, const std::string& database) {
  std::size_t slash = serverUrl.find('/', serverUrl.find("://") + 3);
  std::size_t query = serverUrl.find('?');
  return serverUrl.substr(0, slash) + "/" + database + (query == std::string::npos ? "" : serverUrl.substr(query));
}

// The PostgreSQL server the benchmarks' databases go to (VQR_PG_URL); raises without one.
inline std::string PostgresServerUrl() {
  const char* url = std::getenv("VQR_PG_URL");
  if (!url || !*url) throw std::runtime_error("--pg needs VQR_PG_URL (eval \"$(scripts/pg-throwaway.sh start)\")");
  return url;
}

// Scratch databases, all removed when the object goes away.
class Scratch {
 public:
  explicit Scratch(bool postgres) {
    if (postgres) {
      serverUrl_ = PostgresServerUrl();
    } else {
      std::string pattern = (std::filesystem::temp_directory_path() / "vqrbench.XXXXXX").string();
      if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
      dir_ = pattern;
    }
  }
  ~Scratch() {
    for (const std::string& name : databases_) drop(name);
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  bool postgres() const { return !serverUrl_.empty(); }

  // A new, empty database; returns its target.
  std::string create(const std::string& name) {
    if (!postgres()) return (dir_ / (name + ".db")).string();
    admin().executeScript("CREATE DATABASE " + databaseName(name));
    databases_.push_back(databaseName(name));
    return urlOf(databaseName(name));
  }

  // An identical copy of `source` (no connection may be open to it).
  std::string copy(const std::string& source, const std::string& name) {
    if (!postgres()) {
      std::string target = (dir_ / (name + ".db")).string();
      std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing);
      return target;
    }
    std::string from = source.substr(source.rfind('/') + 1);
    admin().executeScript("CREATE DATABASE " + databaseName(name) + " TEMPLATE " + from);
    databases_.push_back(databaseName(name));
    return urlOf(databaseName(name));
  }

 private:
  server::store::Connection& admin() {
    if (!adminConnection_) adminConnection_ = server::store::Store::Open(serverUrl_)->connect();
    return *adminConnection_;
  }
  std::string databaseName(const std::string& name) const {
    return "vqrbench_" + std::to_string(getpid()) + "_" + name;
  }
  std::string urlOf(const std::string& database) const { return DatabaseUrl(serverUrl_, database); }
  void drop(const std::string& database) {
    try {
      admin().executeScript("DROP DATABASE IF EXISTS " + database + " WITH (FORCE)");
    } catch (const std::exception& e) {
      std::fprintf(stderr, "could not drop %s: %s\n", database.c_str(), e.what());
    }
  }

  std::filesystem::path dir_;
  std::string serverUrl_;
  std::unique_ptr<server::store::Connection> adminConnection_;
  std::vector<std::string> databases_;
};

// The data modules served on a free loopback port by an in-process listener, behind
// the appserver's sign-in (clients sign in as vqrtest::kTestUser, added when missing).
class LocalServer {
 public:
  LocalServer(server::store::Store& store, unsigned workers) {
    server::rpc::KeepFreedMemoryForReuse();  // as the appserver process does
    server::modules::RegisterDataModules(registry_, store);
    {
      server::store::Store::Lease c = store.lease();
      if (!server::access::FindUser(*c, vqrtest::kTestUser)) vqrtest::AddTestUser(*c);
    }
    server::rpc::ServerOptions options;
    options.port = 0;
    options.workers = workers;
    options.gate = std::make_shared<server::access::SignInGate>(store, server::access::SignInOptions{});
    options.onCall = [](const server::rpc::CallRecord&) {};  // no log line per call while measuring
    server_ = std::make_unique<server::rpc::Server>(registry_, options);
    thread_ = std::thread([this] { server_->run(); });
  }
  ~LocalServer() {
    server_->stop();
    thread_.join();
  }
  std::uint16_t port() const { return server_->port(); }

 private:
  server::rpc::MethodRegistry registry_;
  std::unique_ptr<server::rpc::Server> server_;
  std::thread thread_;
};

// The data module against bare SQL doing the same writes, each measured `runs` times on
// its own identical copy of `base`, after the disk has caught up with the previous run;
// the side going first alternates (bare SQL first in even runs, or module first with
// `moduleFirst`). Prints each side's best time and last outcome and their ratio
// against the target; returns the exit code, 1 when the outcomes differ.
inline int CompareOnCopies(Scratch& scratch, const std::string& base, int runs, bool moduleFirst,
                           const std::function<double(const std::string&)>& bareSql,
                           const std::function<double(const std::string&)>& module,
                           const std::function<std::string(const std::string&)>& outcome) {
  double moduleSeconds = 1e9, bareSeconds = 1e9;
  std::string moduleOutcome, bareOutcome;
  for (int run = 0; run < runs; ++run) {
    auto measure = [&](const char* side, const std::function<double(const std::string&)>& work, double& best,
                       std::string& result) {
      std::string target = scratch.copy(base, side + std::to_string(run));
      Settle();
      best = std::min(best, work(target));
      result = outcome(target);
    };
    if ((run % 2 == 0) != moduleFirst) {
      measure("bare", bareSql, bareSeconds, bareOutcome);
      measure("module", module, moduleSeconds, moduleOutcome);
    } else {
      measure("module", module, moduleSeconds, moduleOutcome);
      measure("bare", bareSql, bareSeconds, bareOutcome);
    }
  }
  std::printf("  bare SQL      %8.2f s   %s\n", bareSeconds, bareOutcome.c_str());
  std::printf("  data module   %8.2f s   %s\n", moduleSeconds, moduleOutcome.c_str());
  std::printf("data module / bare SQL: %.2fx (target <= 1.3x)%s\n", moduleSeconds / bareSeconds,
              moduleOutcome == bareOutcome ? "" : "  OUTCOMES DIFFER");
  return moduleOutcome == bareOutcome ? 0 : 1;
}

}  // namespace bench
