#include "server/serve_command.h"

#include <spdlog/spdlog.h>

#include <cstdio>
#include <optional>

#include "platform/core/exceptions.h"
#include "server/access/method_permissions.h"
#include "server/access/users.h"
#include "server/modules/data_modules.h"
#include "server/modules/unfinished_batches.h"
#include "server/rpc/allocation_policy.h"
#include "server/rpc/method_registry.h"
#include "server/rpc/server.h"
#include "server/sole_server_lock.h"
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
  if (options.sessionIdleSeconds == 0) throw platform::Exception("O limite de inatividade da sessão deve ser de pelo menos 1 segundo.");
  if (options.signInAttempts == 0 || options.signInLockSeconds == 0)
    throw platform::Exception("As tentativas de entrada e o tempo de bloqueio devem ser maiores que zero.");
}

unsigned ReadThreads(const ServeOptions& options) { return options.readThreads ? options.readThreads : options.threads; }
unsigned WriteThreads(const ServeOptions& options) {
  return options.writeThreads ? options.writeThreads : options.threads;
}

// What a first start needs said: nobody can sign in yet, or a password of a test.
void WarnAboutUsers(store::Store& database) {
  store::Store::Lease connection = database.lease();
  if (!connection->exists("SELECT 1 FROM USUARIO WHERE IDATIVO = 'S'", {}))
    rpc::ServerLog().warn("Nenhum usuário ativo no banco de dados: ninguém consegue entrar; crie um com "
                          "appserver user add");
  const auto weak = access::UsersWithTestHashes(*connection);
  if (!weak.empty()) {
    std::string names;
    for (const auto& login : weak) names += (names.empty() ? "" : ", ") + login;
    rpc::ServerLog().warn("Usuários com senha guardada em hash de custo de teste (--test-hash): {}; troque-as com "
                          "appserver user passwd",
                          names);
  }
}

}  // namespace

void CheckListening(const rpc::ListenAddress& address, const ServeOptions& options) {
  if (options.tlsCertificate.empty() != options.tlsKey.empty())
    throw platform::Exception("TLS precisa do certificado e da sua chave: informe --tls-cert e --tls-key.");
  if (!options.tlsCertificate.empty() || rpc::IsLoopbackHost(address.host)) return;
  if (options.insecure) {
    rpc::ServerLog().warn("Escutando em {} sem TLS (--insecure): senhas e preços passam abertos pela rede",
                          address.host);
    return;
  }
  throw platform::Exception("Recusado escutar em " + address.host +
                            " sem TLS: senhas e preços passariam abertos pela rede. Informe --tls-cert e --tls-key "
                            "(appserver init --tls-cert ... --tls-key ... cria um par autoassinado), ou --insecure "
                            "para aceitar o risco.");
}

void RunServe(const ServeOptions& options) {
  CheckLimits(options);
  rpc::ListenAddress address = rpc::ParseListenAddress(options.listen);
  CheckListening(address, options);
  auto database = store::Store::Open(options.database, store::Store::Mode::Existing);
  std::optional<SoleServerLock> sole;
  if (database->backend() == store::Backend::SQLite) sole.emplace(options.database);
  {
    store::Store::Lease connection = database->lease();
    if (!store::HasBaseSchema(*connection))
      throw platform::Exception("O banco de dados " + database->describe() +
                                " não tem as tabelas do sistema; crie-as com appserver init.");
    int was = store::UpgradeSchema(*connection);
    if (was != store::kSchemaVersion)
      rpc::ServerLog().info("Esquema do banco de dados atualizado da versão {} para a {}", was, store::kSchemaVersion);
    // PostgreSQL writes in one transaction: only SQLite leaves unfinished batches.
    if (sole && sole->sole()) {
      for (std::int64_t batch : modules::TakeBackUnfinishedBatches(*connection))
        rpc::ServerLog().warn("Lote {} interrompido antes do fim: desfeito", batch);
    } else if (sole) {
      rpc::ServerLog().warn("Outro servidor de aplicação usa {}: lotes interrompidos só são desfeitos quando um "
                            "servidor inicia sozinho no banco",
                            database->describe());
    }
  }
  WarnAboutUsers(*database);
  rpc::MethodRegistry registry;
  modules::RegisterDataModules(registry, *database);

  access::SignInOptions signIn;
  signIn.sessionIdle = std::chrono::seconds(options.sessionIdleSeconds);
  signIn.throttle.attempts = options.signInAttempts;
  signIn.throttle.lockTime = std::chrono::seconds(options.signInLockSeconds);
  rpc::ServerOptions serverOptions;
  serverOptions.host = address.host;
  serverOptions.port = address.port;
  serverOptions.workers = ReadThreads(options);
  serverOptions.writeWorkers = WriteThreads(options);
  serverOptions.writes = access::WritesData;
  serverOptions.idleTimeout = std::chrono::seconds(options.idleTimeoutSeconds);
  serverOptions.frameTimeout = std::chrono::seconds(options.frameTimeoutSeconds);
  serverOptions.maxConnections = options.maxConnections;
  serverOptions.maxConnectionsPerAddress = options.maxConnectionsPerAddress;
  serverOptions.memoryBudget = options.memoryBudgetMiB << 20;
  serverOptions.stopOnSignals = true;
  serverOptions.gate = std::make_shared<access::SignInGate>(*database, signIn);
  serverOptions.tlsCertificateFile = options.tlsCertificate;
  serverOptions.tlsKeyFile = options.tlsKey;
  rpc::KeepFreedMemoryForReuse();
  rpc::Server listener(registry, serverOptions);
  rpc::ServerLog().info(
      "Banco de dados {}, {} threads de leitura e {} de gravação; até {} conexões ({} por endereço), ociosas por {} s, quadro em {} s, {} MiB "
      "para as chamadas em recepção; {}; sessões expiram após {} s sem chamadas; entrada bloqueada por {} s após {} "
      "senhas erradas seguidas",
      database->describe(), ReadThreads(options), WriteThreads(options), options.maxConnections, options.maxConnectionsPerAddress,
      options.idleTimeoutSeconds, options.frameTimeoutSeconds, options.memoryBudgetMiB,
      options.tlsCertificate.empty() ? "sem TLS" : "TLS com " + options.tlsCertificate, options.sessionIdleSeconds,
      options.signInLockSeconds, options.signInAttempts);
  // The one line on standard output: where the server listens (port 0 picks a free one).
  std::printf("appserver atendendo em %s:%u\n", address.host.c_str(), static_cast<unsigned>(listener.port()));
  std::fflush(stdout);
  listener.run();
}

}  // namespace server
