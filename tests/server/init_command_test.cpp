// appserver init: creates the schema (and demo data) in one go, and a self-signed TLS
// pair for a first install, and never overwrites an existing database or pair unless
// told to.
#include <gtest/gtest.h>

#include <filesystem>
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

TEST(InitCommandFile, AFirstInstallGetsASelfSignedPairWhoseKeyOnlyItsOwnerReads) {
  vqrtest::TempDir dir;
  InitOptions o;
  o.tls.certificateFile = dir.file("appserver.crt");
  o.tls.keyFile = dir.file("appserver.key");
  o.tls.names = {"precos.exemplo", "10.0.0.7"};
  EXPECT_EQ(RunInit(o), "Criado certificado TLS autoassinado em " + o.tls.certificateFile + " (chave em " +
                            o.tls.keyFile + ") para precos.exemplo, 10.0.0.7; dê o certificado ao host com --tls-ca");
  EXPECT_EQ(std::filesystem::status(o.tls.keyFile).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  std::ifstream certificate(o.tls.certificateFile);
  std::string first;
  std::getline(certificate, first);
  EXPECT_EQ(first, "-----BEGIN CERTIFICATE-----");
  EXPECT_THROW(RunInit(o), platform::Exception) << "an existing pair is kept";
  o.force = true;
  EXPECT_NO_THROW(RunInit(o));
  o.tls.keyFile.clear();
  EXPECT_THROW(RunInit(o), platform::Exception) << "a certificate needs its key";
}

}  // namespace
}  // namespace servertest
