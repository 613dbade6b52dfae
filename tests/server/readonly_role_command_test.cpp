// appserver readonly-role: the PostgreSQL role of the hosts' read-only queries reads the
// business tables and nothing else, and writes nothing even when it asks to; SQLite
// needs none.
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/core/exceptions.h"
#include "server/readonly_role_command.h"
#include "server/store/store_error.h"
#include "tests/server/backend_fixture.h"
#include "tests/server/seed.h"

namespace servertest {
namespace {

class ReadOnlyRoleTest : public BackendTest {};

TEST_P(ReadOnlyRoleTest, TheHostsRoleReadsTheBusinessTablesAndCanWriteNothing) {
  const std::string role = "vqr_leitura_" + std::to_string(::getpid());
  if (!postgres()) {
    EXPECT_THROW(server::RunReadOnlyRole({target(), role}, "senha de leitura"), platform::Exception);
    return;
  }
  SeedBasics(db());
  EXPECT_NE(server::RunReadOnlyRole({target(), role}, "senha de leitura").find(role + " criado"), std::string::npos);
  EXPECT_NE(server::RunReadOnlyRole({target(), role}, "outra senha").find(role + " atualizado"), std::string::npos);
  EXPECT_THROW(server::RunReadOnlyRole({target(), "robert'); drop table cliente; --"}, "x"), platform::Exception);
  std::string url = target();
  url.replace(url.find("postgres@"), 9, role + ":outra%20senha@");
  {
    auto reader = server::store::Store::Open(url)->connect();
    EXPECT_EQ(reader->queryInteger("SELECT COUNT(*) FROM CLIENTE", {}), 3);
    EXPECT_EQ(reader->queryInteger("SELECT COUNT(*) FROM TABPRECLIEHIST", {}), 0);
    auto refused = [&](const std::string& sql) {
      try {
        reader->executeScript(sql);
      } catch (const server::store::StoreError&) {
        return true;
      }
      return false;
    };
    EXPECT_TRUE(refused("INSERT INTO FILIAL VALUES ('009', 'Nova')"));
    reader->executeScript("SET SESSION CHARACTERISTICS AS TRANSACTION READ WRITE");
    EXPECT_TRUE(refused("UPDATE TABPRECLIE SET VRPRECOPROD = 1")) << "refused by its rights, not only by default";
    EXPECT_TRUE(refused("DELETE FROM CLIENTE"));
    EXPECT_TRUE(refused("CREATE TABLE INTRUSA (X INTEGER)"));
    EXPECT_TRUE(refused("SELECT DSHASHSENHA FROM USUARIO")) << "the password hashes stay the server's";
    EXPECT_TRUE(refused("SELECT CDSESSAO FROM SESSAOUSUARIO"));
  }
  EXPECT_EQ(count("FILIAL"), 2);
  db().executeScript("DROP OWNED BY " + role + "; DROP ROLE " + role);
}

VQR_BACKEND_SUITE(ReadOnlyRoleTest);

}  // namespace
}  // namespace servertest
