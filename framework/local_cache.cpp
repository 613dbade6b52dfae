// Norvexa's local cache: copies of small shared tables kept in the session, refreshed
// on request from the read-only connection.
#include <map>
#include <vector>

#include "contracts/framework/adoibquery.h"
#include "contracts/framework/norvexa.h"
#include "platform/text/ascii_text.h"

namespace Norvexa {

namespace {

struct CacheSource {
  const char* table;
  const char* sql;
};

const std::vector<CacheSource>& Sources() {
  static const std::vector<CacheSource> sources{
      {"COMPPRECLIE",
       "SELECT CDCLIENTE, CDFATPRECO, NRORDEMFAT, IDDETFATPRE, VRFATPRECLIE, IDTPOPERFATCLIE "
       "FROM COMPPRECLIE ORDER BY CDCLIENTE, NRORDEMFAT"},
      {"FATORPRECO", "SELECT CDFATPRECO, SGFATPRECO, NMFATPRECO FROM FATORPRECO ORDER BY SGFATPRECO"},
  };
  return sources;
}

// The cached copies, by table name (unit-level state of the cache).
std::map<std::string, TCachedTable>& Cache() {
  static std::map<std::string, TCachedTable> cache;
  return cache;
}

const CacheSource& SourceOf(const std::string& table) {
  const std::string name = platform::UpperAscii(table);
  for (const CacheSource& source : Sources())
    if (name == source.table) return source;
  throw platform::Exception("Tabela \"" + table + "\" não é mantida no cache local.");
}

std::vector<const CacheSource*> RequestedSources(const platform::Variant& tables) {
  std::vector<const CacheSource*> sources;
  if (tables.kind() == platform::Variant::Kind::String) {
    sources.push_back(&SourceOf(tables.asString()));
    return sources;
  }
  if (tables.kind() != platform::Variant::Kind::Array)
    throw platform::Exception("Cache local: informe a lista de tabelas a atualizar.");
  for (const platform::Variant& table : tables.asArray()) {
    if (table.kind() != platform::Variant::Kind::String)
      throw platform::Exception("Cache local: nome de tabela inválido na lista.");
    sources.push_back(&SourceOf(table.asString()));
  }
  return sources;
}

}  // namespace

void AtualizaLocalCache(const platform::Variant& tables) {
  for (const CacheSource* source : RequestedSources(tables)) {
    auto rows = Adoibquery::dtmDBGeral->Select(source->sql, {}, {});
    Cache()[source->table] = TCachedTable{std::move(rows), std::chrono::system_clock::now()};
  }
}

TCachedTable LocalCache(const std::string& table) {
  const CacheSource& source = SourceOf(table);
  const auto found = Cache().find(source.table);
  return found == Cache().end() ? TCachedTable{} : found->second;
}

}  // namespace Norvexa
