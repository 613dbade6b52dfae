// The real host process driven over stdio with the test module: focus and key order,
// modal windows, error display, refusals, signing in and module unload/reload as a
// person (or a script) sees them.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/app_server_process.h"
#include "support/host_process.h"
#include "support/temp_dir.h"

using nlohmann::json;
using testsupport::HostProcess;

namespace {

std::string caption(HostProcess& host, const std::string& path) {
  return host.control(path).value("caption", "");
}

// A host with the main test form open.
struct TestForm : ::testing::Test {
  HostProcess host;
  void SetUp() override {
    host.click("frmHost.mnuTabPreClie");
    ASSERT_EQ(host.activeForm(), "frmTeste");
    clearLog();
  }
  std::string log() { return caption(host, "frmTeste.lblLog"); }
  void clearLog() { host.click("frmTeste.sbtLimpar"); }
};

}  // namespace

TEST(HostStartup, HelloThenStateWithTheFrameAndItsMenu) {
  HostProcess host;
  EXPECT_EQ(host.transcript().front(), R"({"protocol":1,"type":"hello"})");
  json frame = host.window("frmHost");
  ASSERT_FALSE(frame.is_null());
  EXPECT_EQ(host.state()["windows"][0]["name"], "frmHost");
  EXPECT_EQ(frame["kind"], "form");
  std::string menu = frame["menu"].dump();
  EXPECT_NE(menu.find("mnuTabPreClie"), std::string::npos);
  EXPECT_NE(menu.find("Tabela de Preço por Cliente"), std::string::npos);
  EXPECT_EQ(host.finish(), 0);
}

TEST(HostStartup, MissingModuleIsReportedInPortugueseAndTheHostGoesOn) {
  HostProcess::Options options;
  options.module = "/nao/existe/Pkg.so";
  HostProcess host(options);
  host.waitFor([](const json& s) { return s["windows"].back().value("kind", "") == "message"; });
  auto box = host.messageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ((*box)["dlgType"], "error");
  std::string text = (*box)["text"];
  EXPECT_NE(text.find("Não foi possível carregar o módulo /nao/existe/Pkg.so"), std::string::npos) << text;
  EXPECT_NE(text.find("No such file"), std::string::npos) << text;  // the loader's own words
  host.answer("btnOK");
  EXPECT_FALSE(host.messageBox());
  EXPECT_EQ(host.finish(), 0);
}

TEST(HostStartup, EndOfInputEndsTheHostCleanlyEvenWithAModalWindowOpen) {
  HostProcess host;
  host.click("frmHost.mnuTabPreClie");
  host.click("frmTeste.btnModal");
  host.click("frmModal.btnPerguntar");
  ASSERT_TRUE(host.messageBox());
  EXPECT_EQ(host.finish(), 0);
}

TEST(HostStartup, ATerminationSignalEndsTheHostCleanlyAndRemovesItsTemporaryFolders) {
  vqrtest::TempDir tmp;
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    HostProcess::Options options;
    options.env["TMPDIR"] = tmp.path().string();
    HostProcess host(options);
    host.click("frmHost.mnuTabPreClie");
    host.click("frmTeste.btnModal");
    ASSERT_FALSE(std::filesystem::is_empty(tmp.path())) << "the host keeps its reports in a temporary folder";
    EXPECT_EQ(host.signal(signal), 0) << "signal " << signal;
    EXPECT_TRUE(std::filesystem::is_empty(tmp.path())) << "signal " << signal;
  }
}

TEST_F(TestForm, IniProcTwiceKeepsOneFormAndBringsItForward) {
  host.click("frmHost.mnuTabPreClie");
  int count = 0;
  for (const json& w : host.state()["windows"]) count += w["name"] == "frmTeste" ? 1 : 0;
  EXPECT_EQ(count, 1);
  EXPECT_TRUE(host.window("frmTeste")["mdiChild"].get<bool>());
}

TEST_F(TestForm, FocusChangeRunsExitsInnermostFirstAndEntersOutermostFirst) {
  host.focus("frmTeste.edtA2");
  clearLog();
  host.focus("frmTeste.edtB1");
  EXPECT_EQ(log(), "edtA2.Exit;panInner.Exit;panA.Exit;panB.Enter;edtB1.Enter");
  EXPECT_EQ(host.focusPath(), "frmTeste.edtB1");
}

TEST_F(TestForm, FocusInsideTheSameContainerRunsNoContainerHandlers) {
  host.focus("frmTeste.edtA1");
  clearLog();
  host.focus("frmTeste.edtA2");
  EXPECT_EQ(log(), "edtA1.Exit;panInner.Enter;edtA2.Enter");
}

TEST_F(TestForm, ExitHandlerThatAbortsKeepsTheFocusAndShowsItsMessage) {
  host.focus("frmTeste.edtObrigatorio");
  clearLog();
  host.focus("frmTeste.edtA1");
  auto box = host.messageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ((*box)["text"], "Campo obrigatório.");
  host.answer("btnOK");
  EXPECT_EQ(host.focusPath(), "frmTeste.edtObrigatorio");
  EXPECT_EQ(log(), "edtObrigatorio.Recusado");  // panA and edtA1 were never entered
  // Once filled, the same move goes through.
  host.type("ok");
  host.focus("frmTeste.edtA1");
  EXPECT_EQ(host.focusPath(), "frmTeste.edtA1");
}

TEST_F(TestForm, ClickOnAButtonIsCancelledWhenTheExitHandlerAborts) {
  host.focus("frmTeste.edtObrigatorio");
  host.click("frmTeste.btnModal");
  ASSERT_TRUE(host.messageBox());
  host.answer("btnOK");
  EXPECT_TRUE(host.window("frmModal").is_null());
  EXPECT_EQ(host.focusPath(), "frmTeste.edtObrigatorio");
}

TEST_F(TestForm, SpeedButtonClickRunsNoExitHandler) {
  host.focus("frmTeste.edtObrigatorio");
  host.click("frmTeste.sbtLimpar");
  EXPECT_FALSE(host.messageBox());
  EXPECT_EQ(host.focusPath(), "frmTeste.edtObrigatorio");
}

TEST_F(TestForm, KeyPreviewSeesTheKeyBeforeTheControlAndKeyZeroStopsIt) {
  host.focus("frmTeste.edtA1");
  clearLog();
  host.key(65, {}, "a");
  EXPECT_EQ(log(), "Form.KeyDown.65;edtA1.KeyDown.65");
  clearLog();
  host.key(116);  // F5: the form sets the key to 0
  EXPECT_EQ(log(), "Form.KeyDown.116");
}

TEST_F(TestForm, CharacterSetToZeroIsDroppedByFormOrControl) {
  host.focus("frmTeste.edtA1");
  host.type("a#bxc");
  EXPECT_EQ(host.control("frmTeste.edtA1")["text"], "abc");
}

TEST_F(TestForm, TabMovesByTabOrderAndShiftTabBack) {
  host.focus("frmTeste.edtA1");
  host.key(9);
  EXPECT_EQ(host.focusPath(), "frmTeste.edtA2");
  host.key(9);
  EXPECT_EQ(host.focusPath(), "frmTeste.edtB1");
  host.key(9, {.shift = true});
  EXPECT_EQ(host.focusPath(), "frmTeste.edtA2");
}

TEST_F(TestForm, TypingAfterEnteringReplacesTheText) {
  host.focus("frmTeste.edtA1");
  host.type("primeiro");
  host.focus("frmTeste.edtA2");
  host.focus("frmTeste.edtA1");
  host.type("novo");
  EXPECT_EQ(host.control("frmTeste.edtA1")["text"], "novo");
}

TEST_F(TestForm, MessageBoxInsideAModalFormAnswersAndReturns) {
  host.click("frmTeste.btnModal");
  ASSERT_EQ(host.activeForm(), "frmModal");
  EXPECT_TRUE(host.window("frmModal")["modal"].get<bool>());
  host.click("frmModal.btnPerguntar");
  auto box = host.messageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ((*box)["dlgType"], "confirmation");
  EXPECT_FALSE(testsupport::FindControl(*box, "btnYes").is_null());
  host.answer("btnNo");
  EXPECT_EQ(caption(host, "frmModal.lblResposta"), "Não");
  EXPECT_EQ(host.activeForm(), "frmModal");
  host.click("frmModal.btnOK");
  EXPECT_TRUE(host.window("frmModal").is_null());
  EXPECT_EQ(log(), "edtA1.Exit;panA.Exit;modal=1:Não");  // the button took the focus
}

TEST_F(TestForm, HandlerExceptionShowsAnErrorBoxAndTheLoopGoesOn) {
  host.click("frmTeste.btnErro");
  auto box = host.messageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ((*box)["dlgType"], "error");
  EXPECT_EQ((*box)["text"], "Falha de teste no botão.");
  host.answer("btnOK");
  host.focus("frmTeste.edtA1");
  host.type("vivo");
  EXPECT_EQ(host.control("frmTeste.edtA1")["text"], "vivo");
}

TEST_F(TestForm, SilentAbortShowsNothing) {
  host.click("frmTeste.btnAbort");
  EXPECT_FALSE(host.messageBox());
  EXPECT_FALSE(host.error());
}

TEST_F(TestForm, RefusalsChangeNothingAndReportTheReason) {
  host.focus("frmTeste.edtA1");
  clearLog();
  json before = host.window("frmTeste");

  host.click("frmTeste.naoExiste");
  ASSERT_TRUE(host.error());
  EXPECT_NE(host.error()->find("naoExiste"), std::string::npos);

  host.click("frmTeste.btnDesabilitado");
  ASSERT_TRUE(host.error());
  EXPECT_NE(host.error()->find("desabilitado"), std::string::npos);
  EXPECT_EQ(log(), "");

  host.sendRaw("{isto não é json");
  ASSERT_TRUE(host.error());
  EXPECT_NE(host.error()->find("malformada"), std::string::npos);

  host.sendRaw(R"({"type":"type","text":")" + std::string(2 << 20, 'x') + R"("})");
  ASSERT_TRUE(host.error());
  EXPECT_NE(host.error()->find("grande demais"), std::string::npos);

  host.send({{"type", "voar"}});
  ASSERT_TRUE(host.error());
  EXPECT_NE(host.error()->find("desconhecido"), std::string::npos);

  host.send({{"type", "select"}, {"target", "frmTeste.edtA1"}, {"index", 0}});
  ASSERT_TRUE(host.error());

  EXPECT_EQ(host.window("frmTeste"), before);
  EXPECT_EQ(host.focusPath(), "frmTeste.edtA1");
  // The next accepted input clears the error.
  host.type("a");
  EXPECT_FALSE(host.error());
}

TEST_F(TestForm, InputToAWindowBehindAModalOneIsRefused) {
  host.click("frmTeste.btnModal");
  host.click("frmTeste.btnErro");
  ASSERT_TRUE(host.error());
  EXPECT_NE(host.error()->find("modal"), std::string::npos);
  EXPECT_FALSE(host.messageBox());
  host.click("frmHost.mnuDescarregarModulo");
  EXPECT_TRUE(host.error());
  host.close("frmTeste");
  EXPECT_TRUE(host.error());
  EXPECT_FALSE(host.window("frmTeste").is_null());
  host.click("frmModal.btnOK");
  EXPECT_FALSE(host.error());
}

TEST_F(TestForm, CloseBoxOfAnMdiChildFreesItAndIniProcCreatesItAgain) {
  host.focus("frmTeste.edtA1");
  host.type("texto");
  host.close("frmTeste");
  EXPECT_TRUE(host.window("frmTeste").is_null());
  host.click("frmHost.mnuTabPreClie");
  EXPECT_EQ(host.control("frmTeste.edtA1")["text"], "");
}

TEST_F(TestForm, ASizeableChildIsMaximisedResizedAndRestoredButADialogIsNot) {
  auto windowState = [this](const std::string& window, const char* state) {
    return host.send({{"type", "windowState"}, {"target", window}, {"state", state}});
  };
  auto bounds = [this](const std::string& window, json b) {
    return host.send({{"type", "bounds"}, {"target", window}, {"bounds", std::move(b)}});
  };
  windowState("frmTeste", "maximized");
  ASSERT_FALSE(host.error());
  json area = host.window("frmHost")["mdiClient"];
  EXPECT_EQ(host.window("frmTeste")["windowState"], "maximized");
  EXPECT_EQ(host.window("frmTeste")["bounds"], area);
  host.resize(1024, 700);
  EXPECT_EQ(host.window("frmTeste")["bounds"], host.window("frmHost")["mdiClient"]) << "it follows the frame";
  EXPECT_NE(host.window("frmTeste")["bounds"], area);
  bounds("frmTeste", {10, 10, 300, 200});
  EXPECT_TRUE(host.error()) << "a maximised window is restored first";
  windowState("frmTeste", "normal");
  EXPECT_EQ(host.window("frmTeste")["bounds"], json({20, 20, 600, 400}));
  bounds("frmTeste", {30, 25, 640, 420});
  EXPECT_FALSE(host.error());
  EXPECT_EQ(host.window("frmTeste")["bounds"], json({30, 25, 640, 420}));
  windowState("frmTeste", "minimized");
  EXPECT_TRUE(host.error());

  host.click("frmTeste.btnModal");
  ASSERT_EQ(host.activeForm(), "frmModal");
  json dialog = host.window("frmModal")["bounds"];
  windowState("frmModal", "maximized");
  EXPECT_TRUE(host.error());
  bounds("frmModal", {100, 100, 500, 300});
  EXPECT_TRUE(host.error());
  EXPECT_EQ(host.window("frmModal")["bounds"], dialog);
  bounds("frmModal", {120, 90, dialog[2], dialog[3]});
  EXPECT_FALSE(host.error()) << "a dialog still moves";
  host.click("frmModal.btnOK");
}

TEST(HostStatusBar, NamesTheServerAndSaysNoConnectionIsOpenYet) {
  HostProcess::Options options;
  options.extraArgs = {"--server", "127.0.0.1:5999"};
  HostProcess host(options);
  json panels = host.control("frmHost.stbHost")["panels"];
  ASSERT_EQ(panels.size(), 4u);
  EXPECT_EQ(panels[0]["text"], "Servidor: 127.0.0.1:5999");
  EXPECT_EQ(panels[1]["text"], "Desconectado");
  EXPECT_EQ(panels[2]["text"], "");
  EXPECT_EQ(panels[3]["text"], "Usuário: teste (entrada pendente)") << "no server to sign in to yet";
  json area = host.window("frmHost")["mdiClient"];
  EXPECT_EQ(area[3].get<int>() + host.control("frmHost.stbHost")["bounds"][3].get<int>(),
            host.window("frmHost")["bounds"][3].get<int>() - 2 - 24 - 22)
      << "the child windows' area ends where the status bar starts";
}

TEST(HostSignIn, WithoutCredentialsTheSignInWindowComesBeforeTheMenuUntilTheServerAcceptsThePassword) {
  vqrtest::TempDir dir;
  const std::string database = dir.file("entrada.db");
  ASSERT_EQ(vqrtest::RunAppServer({"init", "--db", database}).exitCode, 0);
  vqrtest::AddUser(database, "maria", "precos");
  vqrtest::AppServerProcess server({.database = database});
  HostProcess::Options options;
  options.user.clear();
  options.extraArgs = {"--server", "127.0.0.1:" + std::to_string(server.port())};
  HostProcess host(options);
  json window = host.window("frmEntrar");
  ASSERT_TRUE(window.is_object());
  EXPECT_EQ(window["caption"], "Entrar no sistema");
  EXPECT_TRUE(window.value("modal", false));
  EXPECT_EQ(host.focusPath(), "frmEntrar.edtUsuario");
  host.click("frmHost.mnuTabPreClie");
  EXPECT_TRUE(host.error()) << "the frame's menu waits for the sign-in";
  EXPECT_TRUE(host.window("frmTeste").is_null());
  host.close("frmEntrar");
  EXPECT_TRUE(host.window("frmEntrar").is_object()) << "only signing in closes it";

  host.click("frmEntrar.btnEntrar");
  EXPECT_EQ(caption(host, "frmEntrar.lblMensagem"), "Informe o usuário.");
  host.type("maria");
  host.key(9);
  host.type("senha errada");
  EXPECT_EQ(host.control("frmEntrar.edtSenha")["text"], "************") << "the front end sees no password";
  host.key(13);
  EXPECT_EQ(caption(host, "frmEntrar.lblMensagem"), "Usuário ou senha inválidos.");
  EXPECT_EQ(host.control("frmEntrar.edtSenha")["text"], "");
  EXPECT_EQ(host.focusPath(), "frmEntrar.edtSenha");
  host.type(vqrtest::kTestPassword);
  host.click("frmEntrar.btnEntrar");
  EXPECT_TRUE(host.window("frmEntrar").is_null());
  EXPECT_EQ(host.control("frmHost.stbHost")["panels"][3]["text"], "Usuário: Pessoa maria (maria, precos)");
  host.click("frmHost.mnuTabPreClie");
  EXPECT_FALSE(host.window("frmTeste").is_null());
  for (const std::string& line : host.transcript()) {
    EXPECT_EQ(line.find(vqrtest::kTestPassword), std::string::npos);
    EXPECT_EQ(line.find("senha errada"), std::string::npos);
  }
  EXPECT_EQ(host.finish(), 0);
  EXPECT_NE(server.log().find("Sessão encerrada a pedido de"), std::string::npos) << "the host signs out as it ends";

  options.user = "maria";
  options.password = "senha errada";
  EXPECT_THROW(HostProcess{options}, std::runtime_error) << "a script's refused password ends the host";
}

TEST(HostSignIn, OverTlsTheHostSignsInOnlyWhenGivenTheAuthorityOfTheServersCertificate) {
  vqrtest::TempDir dir;
  const std::string database = dir.file("tls.db");
  const std::string certificate = dir.file("appserver.crt"), key = dir.file("appserver.key");
  ASSERT_EQ(vqrtest::RunAppServer({"init", "--db", database, "--tls-cert", certificate, "--tls-key", key}).exitCode, 0);
  vqrtest::AddUser(database);
  vqrtest::AppServerProcess server({.database = database, .extraArgs = {"--tls-cert", certificate, "--tls-key", key}});
  HostProcess::Options options;
  options.extraArgs = {"--server", "127.0.0.1:" + std::to_string(server.port()), "--tls-ca", certificate};
  {
    HostProcess host(options);
    EXPECT_EQ(host.control("frmHost.stbHost")["panels"][3]["text"], "Usuário: Pessoa teste (teste, admin)");
  }
  options.extraArgs.resize(2);
  EXPECT_THROW(HostProcess{options}, std::runtime_error) << "without TLS a script's host ends with the server's refusal";
  EXPECT_NE(server.log().find("chegou sem TLS a um servidor que só aceita TLS"), std::string::npos) << server.log();
}

TEST(HostModule, UnloadWithAFormOpenClosesItAndReloadRunsInitializeAgain) {
  auto log = std::filesystem::temp_directory_path() / ("vqr_module_" + std::to_string(::getpid()) + ".log");
  std::filesystem::remove(log);
  HostProcess::Options options;
  options.env["VQR_TESTMODULE_LOG"] = log.string();
  {
    HostProcess host(options);
    host.click("frmHost.mnuTabPreClie");
    ASSERT_FALSE(host.window("frmTeste").is_null());
    host.click("frmHost.mnuDescarregarModulo");
    EXPECT_FALSE(host.messageBox());
    EXPECT_TRUE(host.window("frmTeste").is_null());
    host.click("frmHost.mnuCarregarModulo");
    host.click("frmHost.mnuTabPreClie");
    EXPECT_FALSE(host.window("frmTeste").is_null());
    EXPECT_EQ(host.finish(), 0);
  }
  std::ifstream in(log);
  std::string all((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(all, "Initialize\nFinalize\nInitialize\nFinalize\n");
  std::filesystem::remove(log);
}

TEST(HostModule, UnloadIsRefusedWhileAFormRefusesToClose) {
  HostProcess host;
  host.click("frmHost.mnuTabPreClie");
  host.click("frmTeste.chkNaoFechar");
  host.click("frmHost.mnuDescarregarModulo");
  auto box = host.messageBox();
  ASSERT_TRUE(box);
  EXPECT_NE((*box)["text"].get<std::string>().find("não foi fechada"), std::string::npos);
  host.answer("btnOK");
  EXPECT_FALSE(host.window("frmTeste").is_null());
  // The module is still loaded: its menu entry works.
  host.click("frmHost.mnuTabPreClie");
  EXPECT_EQ(host.activeForm(), "frmTeste");
  EXPECT_EQ(host.finish(), 0);
}

TEST(HostModule, MenuAcceleratorOpensTheMenuAndALetterPicksTheItem) {
  HostProcess host;
  host.key(67, {.alt = true});  // Alt+C opens "Cadastros"
  host.key(84);                 // T: "Tabela de Preço por Cliente"
  EXPECT_EQ(host.activeForm(), "frmTeste");
}
