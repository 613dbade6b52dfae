#include "server/init_command.h"

#include <fmt/format.h>

#include <filesystem>

#include "platform/core/exceptions.h"
#include "server/store/schema.h"
#include "server/store/store.h"
#include "server/store/transaction.h"

namespace server {
namespace {

namespace fs = std::filesystem;

void PrepareSQLiteFile(const std::string& path, bool force) {
  std::error_code error;
  bool occupied = fs::exists(path, error) && (!fs::is_regular_file(path, error) || fs::file_size(path, error) > 0);
  if (!occupied) return;
  if (!force)
    throw platform::Exception("O arquivo " + path + " já existe e não está vazio; use --force para recriá-lo.");
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    fs::remove(path + suffix, error);
    if (error) throw platform::Exception("Não foi possível apagar " + path + suffix + ": " + error.message());
  }
}

std::string WritePair(const InitOptions& options) {
  tls::SelfSignedPair pair = options.tls;
  pair.overwrite = options.force;
  std::string names;
  for (const std::string& name : tls::WriteSelfSignedPair(pair)) names += (names.empty() ? "" : ", ") + name;
  return "certificado TLS autoassinado em " + pair.certificateFile + " (chave em " + pair.keyFile + ") para " + names +
         "; dê o certificado ao host com --tls-ca";
}

std::string CreateDatabase(const InitOptions& options) {
  bool sqlite = !store::Store::IsPostgreSQLUrl(options.database);
  if (sqlite) PrepareSQLiteFile(options.database, options.force);
  auto db = store::Store::Open(options.database, store::Store::Mode::Create);
  auto connection = db->connect();
  demo::DemoSummary summary;
  store::Transaction tx(*connection);
  if (store::HasBaseSchema(*connection)) {
    if (!options.force)
      throw platform::Exception("O banco de dados já tem as tabelas do sistema; use --force para recriá-las.");
    store::DropSchema(*connection);
  }
  store::CreateSchema(*connection);
  if (options.demo) summary = demo::FillDemoData(*connection, options.demoOptions);
  tx.commit();
  std::string text = "Esquema criado em " + db->describe();
  if (options.demo)
    text += fmt::format(
        "; demonstração: {} clientes, {} produtos (e {} grupos), {} custos, {} linhas de fórmula, {} preços especiais",
        summary.customers, summary.products, summary.groups, summary.costs, summary.formulaRows, summary.prices);
  return text;
}

}  // namespace

std::string RunInit(const InitOptions& options) {
  const bool pair = !options.tls.certificateFile.empty() || !options.tls.keyFile.empty();
  if (pair && (options.tls.certificateFile.empty() || options.tls.keyFile.empty()))
    throw platform::Exception("Informe o certificado e a chave: --tls-cert e --tls-key.");
  if (!pair && options.database.empty()) throw platform::Exception("Informe o banco de dados a criar: --db.");
  std::string text = options.database.empty() ? "" : CreateDatabase(options);
  if (pair) text += (text.empty() ? "Criado " : "; ") + WritePair(options);
  return text;
}

}  // namespace server
