// appserver serve: limits that contradict each other, and an address other than
// loopback without TLS, are refused before anything starts, with a text that names them.
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

TEST(ServeCommand, OnlyLoopbackIsServedWithoutTlsUnlessTheRiskIsAcceptedOutright) {
  server::ServeOptions options;
  options.database = "/nonexistent/never-opened.db";
  options.listen = "0.0.0.0:0";
  EXPECT_EQ(StartError(options),
            "Recusado escutar em 0.0.0.0 sem TLS: senhas e preços passariam abertos pela rede. Informe --tls-cert e "
            "--tls-key (appserver init --tls-cert ... --tls-key ... cria um par autoassinado), ou --insecure para "
            "aceitar o risco.");
  for (const char* address : {"192.168.0.10:5151", "[::]:5151", "servidor.exemplo:5151"}) {
    options.listen = address;
    EXPECT_NE(StartError(options).find("sem TLS"), std::string::npos) << address;
  }
  // Each of these passes the check and fails only at the missing database.
  auto passes = [&](const char* listen, bool insecure, std::string certificate, std::string key) {
    options.listen = listen;
    options.insecure = insecure;
    options.tlsCertificate = std::move(certificate);
    options.tlsKey = std::move(key);
    return StartError(options).find("sem TLS") == std::string::npos;
  };
  EXPECT_TRUE(passes("127.0.0.1:0", false, "", ""));
  EXPECT_TRUE(passes("127.1.2.3:0", false, "", ""));
  EXPECT_TRUE(passes("[::1]:0", false, "", ""));
  EXPECT_TRUE(passes("localhost:0", false, "", ""));
  EXPECT_TRUE(passes("0.0.0.0:0", true, "", "")) << "--insecure";
  EXPECT_TRUE(passes("0.0.0.0:0", false, "server.crt", "server.key"));
  options.listen = "0.0.0.0:0";
  options.tlsKey.clear();
  EXPECT_EQ(StartError(options), "TLS precisa do certificado e da sua chave: informe --tls-cert e --tls-key.");
}

}  // namespace
}  // namespace servertest
