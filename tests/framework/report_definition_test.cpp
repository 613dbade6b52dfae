// Report definitions: the project's own ones read, and every fault that would let a
// definition run wrongly refused before any database is touched, naming the file.
#include "framework/report_definition.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "contracts/framework/qrddlgs.h"
#include "tests/framework/report_fixtures.h"

namespace {

using framework::report::ReadDefinition;

TEST(ReportDefinition, ThePriceTableDeclaresTheFilterAndAQueryPerDatabase) {
  const auto files = framework::report::DefinitionFiles(fwtest::ProjectReports() + "/VQR512");
  ASSERT_FALSE(files.empty());
  const auto definition = ReadDefinition(files.front());
  EXPECT_EQ(definition.title, "Tabela de Preços por Cliente");
  for (const char* name : {"P_CDARVPRODINI", "P_CDARVPRODFIN", "P_LISTACLIENTES", "P_TCDCLIENTES"})
    EXPECT_NE(definition.FindParameter(name), nullptr) << name;
  EXPECT_NE(definition.SqlFor("/some/file.db"), definition.SqlFor("postgresql://host/db"));
}

TEST(ReportDefinition, FaultsAreRefusedNamingTheFileAndWhatIsWrong) {
  const std::string columns = R"("columns": [{"column": "A", "title": "A"}])";
  const std::pair<std::string, std::string> cases[] = {
      {"{", "JSON mal formado"},
      {R"({"title": "T", "sql": "SELECT 1 AS A", "colums": []})", "chave desconhecida \"colums\""},
      {R"({"sql": "SELECT 1 AS A", )" + columns + "}", "sem \"title\""},
      {R"({"title": "T", "sql": "DELETE FROM CLIENTE", )" + columns + "}", "aceita apenas SELECT"},
      {R"({"title": "T", "sql": "SELECT 1 AS A; DELETE FROM CLIENTE", )" + columns + "}", "único comando"},
      {R"({"title": "T", "sql": "SELECT :P_X AS A", )" + columns + "}", "parâmetro P_X, que a definição não declara"},
      {R"({"title": "T", "parameters": [{"name": "P_X"}, {"name": "p_x"}], "sql": "SELECT 1 AS A", )" + columns + "}",
       "declarado duas vezes"},
      {R"({"title": "T", "parameters": [{"name": "P-X"}], "sql": "SELECT 1 AS A", )" + columns + "}",
       "não é um nome válido"},
      {R"({"title": "T", "parameters": [{"name": "L", "kind": "list", "keys": {"table": "CLIENTE; DROP", "column": "C"}}],
           "sql": "SELECT 1 AS A", )" +
           columns + "}",
       "não é um nome válido"},
      {R"({"title": "T", "parameters": [{"name": "L", "kind": "list", "keys": {"table": "T", "column": "C"}, "allFlag": "F"}],
           "sql": "SELECT 1 AS A", )" +
           columns + "}",
       "\"allFlag\" de L"},
      {R"({"title": "T", "sql": "SELECT 1 AS A", "columns": [{"column": "A", "title": "A", "kind": "money"}]})",
       "\"money\" não é um valor de \"kind\""},
      {R"({"title": "T", "sql": "SELECT 1 AS A", "columns": [{"column": "A", "title": "A", "kind": "registration"}]})",
       "sem \"kindColumn\""},
      {R"({"title": "T", "sql": "SELECT 1 AS A", "columns": []})", "lista não vazia"},
      {R"({"title": "T", "sql": "SELECT 1 AS A", )" + columns + R"(, "totals": [{"column": "B", "title": "B"}]})",
       "total da coluna B"},
      {R"({"title": "T", "sql": "SELECT 1 AS A", )" + columns +
           R"(, "totals": [{"column": "A", "function": "sum", "title": "S"}]})",
       "soma da coluna A, que não é numérica"},
  };
  fwtest::ReportsFolder folder;
  for (const auto& [json, fault] : cases) {
    SCOPED_TRACE(json);
    folder.Write("X", "def.json", json);
    const std::string file = folder.path() + "/X/def.json";
    try {
      ReadDefinition(file);
      ADD_FAILURE() << "accepted";
    } catch (const Qrddlgs::EReportError& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find("'" + file + "'"), std::string::npos) << message;
      EXPECT_NE(message.find(fault), std::string::npos) << message;
    }
  }
  folder.Write("X", "def.json", R"({"title": "T", "sql": {"sqlite": "SELECT 1 AS A"}, )" + columns + "}");
  try {
    ReadDefinition(folder.path() + "/X/def.json").SqlFor("postgresql://host/db");
    ADD_FAILURE() << "ran without a query for PostgreSQL";
  } catch (const Qrddlgs::EReportError& e) {
    EXPECT_NE(std::string(e.what()).find("não tem consulta para PostgreSQL"), std::string::npos) << e.what();
  }
}

}  // namespace
