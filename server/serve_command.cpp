#include "server/serve_command.h"

#include <spdlog/spdlog.h>

#include <cstdio>

#include "platform/core/exceptions.h"
#include "server/modules/data_modules.h"
#include "server/rpc/allocation_policy.h"
#include "server/rpc/method_registry.h"
#include "server/rpc/server.h"
#include "server/store/schema.h"
#include "server/store/schema_upgrade.h"
#include "server/store/store.h"

namespace server {

namespace {

void CheckLimits(const ServeOptions& options) {
  if (options.threads == 0) throw platform::Exception("O número de threads deve ser maior que zero.");
  if (options.idleTimeoutSeconds == 0 || options.frameTimeoutSeconds == 0)
    throw platform::Exception("Os tempos limite devem ser de pelo menos 1 segundo.");
  if (options.maxConnections == 0 || options.maxConnectionsPerAddress == 0)
    throw platform::Exception("Os limites de conexões devem ser maiores que zero.");
  if (options.maxConnectionsPerAddress > options.maxConnections)
    throw platform::Exception("O limite de conexões por endereço (" + std::to_string(options.maxConnectionsPerAddress) +
                              ") não pode passar do limite de conexões (" + std::to_string(options.maxConnections) +
                              ").");
  if (options.memoryBudgetMiB == 0) throw platform::Exception("O orçamento de memória deve ser maior que zero.");
}

}  // namespace

void RunServe(const ServeOptions& options) {
  CheckLimits(options);
  auto database = store::Store::Open(options.database, store::Store::Mode::Existing);
  {
    store::Store::Lease connection = database->lease();
    if (!store::HasBaseSchema(*connection))
      throw platform::Exception("O banco de dados " + database->describe() +
                                " não tem as tabelas do sistema; crie-as com appserver init.");
    int was = store::UpgradeSchema(*connection);
    if (was != store::kSchemaVersion)
      rpc::ServerLog().info("Esquema do banco de dados atualizado da versão {} para a {}", was, store::kSchemaVersion);
  }
  rpc::MethodRegistry registry;
  modules::RegisterDataModules(registry, *database);

  rpc::ListenAddress address = rpc::ParseListenAddress(options.listen);
  rpc::ServerOptions serverOptions;
  serverOptions.host = address.host;
  serverOptions.port = address.port;
  serverOptions.workers = options.threads;
  serverOptions.idleTimeout = std::chrono::seconds(options.idleTimeoutSeconds);
  serverOptions.frameTimeout = std::chrono::seconds(options.frameTimeoutSeconds);
  serverOptions.maxConnections = options.maxConnections;
  serverOptions.maxConnectionsPerAddress = options.maxConnectionsPerAddress;
  serverOptions.memoryBudget = options.memoryBudgetMiB << 20;
  serverOptions.stopOnSignals = true;
  rpc::KeepFreedMemoryForReuse();
  rpc::Server listener(registry, serverOptions);
  rpc::ServerLog().info(
      "Banco de dados {}, {} threads; até {} conexões ({} por endereço), ociosas por {} s, quadro em {} s, {} MiB "
      "para as chamadas em recepção",
      database->describe(), options.threads, options.maxConnections, options.maxConnectionsPerAddress,
      options.idleTimeoutSeconds, options.frameTimeoutSeconds, options.memoryBudgetMiB);
  // The one line on standard output: where the server listens (port 0 picks a free one).
  std::printf("appserver atendendo em %s:%u\n", address.host.c_str(), static_cast<unsigned>(listener.port()));
  std::fflush(stdout);
  listener.run();
}

}  // namespace server
