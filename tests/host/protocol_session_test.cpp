// The protocol session in-process: hello first, one idle state per input, refusals of
// malformed or inapplicable inputs that change nothing, and mid-handler snapshots.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "host/protocol_session.h"
#include "platform/core/exceptions.h"
#include "platform/ui/buttons.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/edit.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/std_controls.h"
#include "tests/support/ui_driver.h"

using nlohmann::json;
using namespace platform;

namespace {

struct Session : testsupport::UiTest {
  std::vector<json> sent;
  std::shared_ptr<host::ProtocolSession> session;
  TForm* form = nullptr;
  TEdit* edit = nullptr;
  TComboBox* combo = nullptr;
  TButton* button = nullptr;

  void SetUp() override {
    form = NewForm<TForm>(&Application());
    form->SetName("frmSessao");
    edit = add<TEdit>("edtNome");
    combo = add<TComboBox>("cbbTipo");
    combo->Items = {"A", "B"};
    button = add<TButton>("btnOK");
    add<TLabel>("lblTitulo");
    form->Show();
    session = host::ProtocolSession::create([this](const std::string& m) { sent.push_back(json::parse(m)); });
    session->start();
    Application().ProcessMessages();
  }
  void TearDown() override {
    session->stop();
    Application().ProcessMessages();
    testsupport::UiTest::TearDown();
  }
  template <class T>
  T* add(const char* name) {
    auto* c = new T(form);
    c->SetName(name);
    c->SetParent(form);
    return c;
  }
  // Sends one message and handles it; returns the idle state that answers it.
  json input(const std::string& text) {
    session->receive(text);
    Application().HandleMessage();
    return sent.back();
  }
};

}  // namespace

TEST_F(Session, StartsWithHelloThenAState) {
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0], json({{"type", "hello"}, {"protocol", 1}}));
  EXPECT_EQ(sent[1]["type"], "state");
  EXPECT_EQ(sent[1]["idle"], true);
  EXPECT_EQ(sent[1]["inputs"], 0);
}

TEST_F(Session, EveryInputGetsExactlyOneIdleStateWithARisingSeq) {
  input(R"({"type":"focus","target":"frmSessao.edtNome"})");
  input(R"({"type":"type","text":"ab"})");
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_EQ(sent[3]["inputs"], 2);
  EXPECT_GT(sent[3]["seq"].get<int>(), sent[2]["seq"].get<int>());
  EXPECT_EQ(edit->Text(), "ab");
}

TEST_F(Session, RefusedInputsChangeNothingAndSayWhy) {
  edit->SetFocus();
  std::string before = platform::SnapshotState().dump();
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"not json", "malformada"},
      {"[1,2]", "objeto"},
      {R"({"target":"x"})", "type"},
      {R"({"type":"fly"})", "desconhecido"},
      {R"({"type":"click","target":"frmNada.btnOK"})", "Janela desconhecida"},
      {R"({"type":"click","target":"frmSessao.btnNada"})", "Controle desconhecido"},
      {R"({"type":"click","target":"frmSessao"})", "controle"},
      {R"({"type":"focus","target":"frmSessao.lblTitulo"})", "não recebe o foco"},
      {R"({"type":"select","target":"frmSessao.cbbTipo","index":2})", "inexistente"},
      {R"({"type":"select","target":"frmSessao.cbbTipo","index":"1"})", "inteiro"},
      {R"({"type":"select","target":"frmSessao.edtNome","index":0})", "não é"},
      {R"({"type":"key","vk":300})", "inválido"},
      {R"({"type":"key","vk":65,"char":"ab"})", "único"},
      {R"({"type":"key","vk":65,"ctrl":"sim"})", "verdadeiro ou falso"},
      {R"({"type":"type","text":5})", "texto"},
      {R"({"type":"resize","width":0,"height":600})", "inválido"},
      {R"({"type":"close","target":"frmSessao.btnOK"})", "janela"},
      {R"({"type":"cell","target":"frmSessao.edtNome","row":0,"col":0})", "não é uma grade"},
  };
  for (const auto& [message, why] : cases) {
    json state = input(message);
    ASSERT_TRUE(state["error"].is_string()) << message;
    EXPECT_NE(state["error"].get<std::string>().find(why), std::string::npos)
        << message << " -> " << state["error"];
    EXPECT_EQ(platform::SnapshotState().dump(), before) << message;
  }
  EXPECT_TRUE(input(R"({"type":"type","text":"z"})")["error"].is_null());
}

TEST_F(Session, DisabledAndHiddenTargetsAreRefused) {
  button->SetEnabled(false);
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  std::string refusal = input(R"({"type":"click","target":"frmSessao.btnOK"})")["error"];
  EXPECT_NE(refusal.find("desabilitado"), std::string::npos);
  button->SetEnabled(true);
  button->Hide();
  EXPECT_TRUE(input(R"({"type":"click","target":"frmSessao.btnOK"})")["error"].is_string());
  EXPECT_EQ(clicks, 0);
}

TEST_F(Session, HandlerErrorsAreShownNotRefused) {
  button->OnClick = [](TObject*) { throw Exception("falhou"); };
  std::size_t before = sent.size();
  session->receive(R"({"type":"click","target":"frmSessao.btnOK"})");
  session->receive(R"({"type":"click","target":"dlgMessage.btnOK"})");  // answered at once
  Application().HandleMessage();
  ASSERT_EQ(sent.size(), before + 2);
  const json& boxOpen = sent[before];
  EXPECT_TRUE(boxOpen["idle"].get<bool>());  // waiting inside the error box's loop
  EXPECT_TRUE(boxOpen["error"].is_null());
  EXPECT_EQ(boxOpen["windows"].back()["name"], "dlgMessage");
  EXPECT_EQ(boxOpen["windows"].back()["text"], "falhou");
  EXPECT_EQ(sent.back()["activeForm"], "frmSessao");
  EXPECT_EQ(sent.back()["inputs"], 2);
}

TEST_F(Session, RepaintAndWaitPushBusySnapshotsInTheMiddleOfAHandler) {
  button->OnClick = [](TObject*) {
    Application().SetWaitKind(6);
    Application().SetWaitKind(std::nullopt);
  };
  std::size_t before = sent.size();
  input(R"({"type":"click","target":"frmSessao.btnOK"})");
  ASSERT_EQ(sent.size(), before + 3);
  EXPECT_EQ(sent[before]["idle"], false);
  EXPECT_EQ(sent[before]["wait"]["kind"], 6);
  EXPECT_TRUE(sent[before + 1]["wait"].is_null());
  EXPECT_EQ(sent[before + 2]["idle"], true);
}

TEST_F(Session, StoppedSessionSendsNothingMore) {
  session->stop();
  Application().ProcessMessages();
  std::size_t before = sent.size();
  input(R"({"type":"type","text":"x"})");
  EXPECT_EQ(sent.size(), before);
}
