// appserver init: creates the schema (and demo data) in one go, and never overwrites
// an existing database unless told to.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/core/exceptions.h"
#include "server/init_command.h"
#include "server/store/schema.h"
#include "server/store/store.h"
#include "tests/server/backend_fixture.h"

namespace servertest {
namespace {

using server::InitOptions;
using server::RunInit;

class InitCommandTest : public BackendTest {
 protected:
  bool wantsSchema() const override { return false; }
  InitOptions options(bool demo, bool force = false) {
    InitOptions o;
    o.database = untouchedTarget();
    o.demo = demo;
    o.force = force;
    o.demoOptions.customers = 5;
    o.demoOptions.products = 20;
    return o;
  }
};

TEST_P(InitCommandTest, CreatesSchemaAndDemoData) {
  std::string summary = RunInit(options(true));
  EXPECT_NE(summary.find("5 clientes"), std::string::npos) << summary;
  auto created = server::store::Store::Open(untouchedTarget())->connect();
  EXPECT_TRUE(server::store::HasSchema(*created));
  EXPECT_EQ(*created->queryInteger("SELECT COUNT(*) FROM CLIENTE", {}), 5);
  EXPECT_EQ(*created->queryInteger("SELECT COUNT(*) FROM PRODUTO WHERE NRNIVEL = 3", {}), 20);
}

TEST_P(InitCommandTest, AnExistingDatabaseIsKeptUnlessForced) {
  RunInit(options(true));
  {
    auto existing = server::store::Store::Open(untouchedTarget())->connect();
    existing->execute("INSERT INTO FILIAL VALUES ('999', 'Guardada')");
  }
  EXPECT_THROW(RunInit(options(false)), platform::Exception);
  auto kept = server::store::Store::Open(untouchedTarget())->connect();
  EXPECT_EQ(*kept->queryInteger("SELECT COUNT(*) FROM FILIAL WHERE CDFILIAL = '999'", {}), 1);
  kept.reset();
  RunInit(options(false, true));
  auto fresh = server::store::Store::Open(untouchedTarget())->connect();
  EXPECT_EQ(*fresh->queryInteger("SELECT COUNT(*) FROM FILIAL", {}), 0);
  EXPECT_TRUE(server::store::HasSchema(*fresh));
}

VQR_BACKEND_SUITE(InitCommandTest);

TEST(InitCommandFile, AnEmptyFileMayBeInitialisedButNotAFileWithContent) {
  vqrtest::TempDir dir;
  InitOptions o;
  o.database = dir.file("empty.db");
  std::ofstream(o.database).close();
  EXPECT_NO_THROW(RunInit(o));
  o.database = dir.file("notes.txt");
  std::ofstream(o.database) << "not a database";
  EXPECT_THROW(RunInit(o), platform::Exception);
  std::ifstream in(o.database);
  std::string text;
  std::getline(in, text);
  EXPECT_EQ(text, "not a database");
}

}  // namespace
}  // namespace servertest
