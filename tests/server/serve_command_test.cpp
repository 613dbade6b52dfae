// appserver serve: limits that contradict each other are refused before anything
// starts, with a text that names them.
#include <gtest/gtest.h>

#include "platform/core/exceptions.h"
#include "server/serve_command.h"

namespace servertest {
namespace {

std::string StartError(const server::ServeOptions& options) {
  try {
    server::RunServe(options);
  } catch (const platform::Exception& e) {
    return e.what();
  }
  return "started";
}

TEST(ServeCommand, LimitsThatContradictEachOtherAreRefusedBeforeStarting) {
  server::ServeOptions options;
  options.database = "/nonexistent/never-opened.db";
  options.maxConnections = 8;
  options.maxConnectionsPerAddress = 16;
  EXPECT_EQ(StartError(options),
            "O limite de conexões por endereço (16) não pode passar do limite de conexões (8).");
  options.maxConnectionsPerAddress = 8;
  options.frameTimeoutSeconds = 0;
  EXPECT_EQ(StartError(options), "Os tempos limite devem ser de pelo menos 1 segundo.");
  options.frameTimeoutSeconds = 30;
  options.memoryBudgetMiB = 0;
  EXPECT_EQ(StartError(options), "O orçamento de memória deve ser maior que zero.");
}

}  // namespace
}  // namespace servertest
