#include "server/serve_command.h"

#include <spdlog/spdlog.h>

#include <cstdio>

#include "platform/core/exceptions.h"
#include "server/modules/data_modules.h"
#include "server/rpc/method_registry.h"
#include "server/rpc/server.h"
#include "server/store/schema.h"
#include "server/store/store.h"

namespace server {

void RunServe(const ServeOptions& options) {
  if (options.threads == 0) throw platform::Exception("O número de threads deve ser maior que zero.");
  auto database = store::Store::Open(options.database, store::Store::Mode::Existing);
  {
    store::Store::Lease connection = database->lease();
    if (!store::HasSchema(*connection))
      throw platform::Exception("O banco de dados " + database->describe() +
                                " não tem as tabelas do sistema; crie-as com appserver init.");
  }
  rpc::MethodRegistry registry;
  modules::RegisterDataModules(registry, *database);

  rpc::ListenAddress address = rpc::ParseListenAddress(options.listen);
  rpc::ServerOptions serverOptions;
  serverOptions.host = address.host;
  serverOptions.port = address.port;
  serverOptions.workers = options.threads;
  serverOptions.stopOnSignals = true;
  rpc::Server listener(registry, serverOptions);
  rpc::ServerLog().info("Banco de dados {}, {} threads", database->describe(), options.threads);
  // The one line on standard output: where the server listens (port 0 picks a free one).
  std::printf("appserver atendendo em %s:%u\n", address.host.c_str(), static_cast<unsigned>(listener.port()));
  std::fflush(stdout);
  listener.run();
}

}  // namespace server
