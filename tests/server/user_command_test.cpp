// appserver user: users are added, given a new password, disabled and listed, each
// password read from standard input and never from the command line.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/core/exceptions.h"
#include "server/access/password_hash.h"
#include "server/access/sessions.h"
#include "server/access/users.h"
#include "server/store/store.h"
#include "server/user_command.h"
#include "tests/server/backend_fixture.h"

namespace servertest {
namespace {

class UserCommandTest : public BackendTest {
 protected:
  std::string run(const std::string& action, const std::string& login, const std::string& input = "",
                  const std::string& role = "") {
    server::UserOptions options;
    options.database = target();
    options.action = action;
    options.login = login;
    options.name = "Maria Souza";
    options.role = role;
    options.testHash = true;
    std::istringstream in(input);
    return server::RunUser(options, in, false);
  }
  std::string refusal(const std::function<void()>& work) {
    try {
      work();
    } catch (const platform::Exception& e) {
      return e.what();
    }
    return "accepted";
  }
};

TEST_P(UserCommandTest, AddsChangesDisablesAndListsUsersWithPasswordsFromStandardInput) {
  EXPECT_EQ(run("add", "Maria", "uma senha longa\r\n", "precos"), "Usuário maria (precos) criado.");
  EXPECT_TRUE(server::access::PasswordMatches(server::access::FindUser(db(), "maria")->hash, "uma senha longa"))
      << "the first line, without its line end";
  EXPECT_EQ(refusal([&] { run("add", "joao", "", "precos"); }), "Senha não informada: escreva-a na entrada padrão.");
  EXPECT_EQ(refusal([&] { run("add", "joao", "uma senha longa", "chefe"); }),
            "Papel inválido: 'chefe' (consulta, precos, reajuste, admin).");
  EXPECT_EQ(refusal([&] { run("passwd", "joao", "uma senha longa"); }), "Usuário joao não cadastrado.");

  server::access::OpenSession(db(), "maria", std::chrono::system_clock::now());
  EXPECT_EQ(run("passwd", "maria", "outra senha longa\n"), "Senha de maria trocada; suas sessões foram encerradas.");
  EXPECT_EQ(count("SESSAOUSUARIO"), 0);
  EXPECT_TRUE(server::access::PasswordMatches(server::access::FindUser(db(), "maria")->hash, "outra senha longa"));
  EXPECT_EQ(run("disable", "MARIA"), "Usuário maria desativado; suas sessões foram encerradas.");
  EXPECT_EQ(run("list", ""),
            "usuário              papel    ativo nome\n"
            "maria                precos   não   Maria Souza");
}

VQR_BACKEND_SUITE(UserCommandTest);

}  // namespace
}  // namespace servertest
