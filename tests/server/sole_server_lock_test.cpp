// Only an appserver alone on a SQLite file may take back the batches left unfinished
// there: another live one may still be writing them.
#include "server/sole_server_lock.h"

#include <gtest/gtest.h>

#include <optional>

#include "support/temp_dir.h"

namespace servertest {
namespace {

TEST(SoleServerLock, ASecondServerOnTheFileIsNotSoleUntilTheFirstEnds) {
  vqrtest::TempDir folder;
  const std::string database = (folder.path() / "precos.db").string();
  std::optional<server::SoleServerLock> first(database);
  EXPECT_TRUE(first->sole());
  EXPECT_FALSE(server::SoleServerLock(database).sole()) << "the first still serves the file";
  EXPECT_TRUE(server::SoleServerLock((folder.path() / "outro.db").string()).sole()) << "another file";
  first.reset();
  EXPECT_TRUE(server::SoleServerLock(database).sole()) << "the first has ended";
}

}  // namespace
}  // namespace servertest
