// The search button: before, list, after; the empty list; the cancelled list; no data
// source; and that pressing it leaves the focus where it was.
#include "contracts/framework/btnpesquisa.h"

#include <gtest/gtest.h>

#include "platform/data/client_dataset.h"
#include "platform/data/data_source.h"
#include "platform/ui/edit.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/user_input.h"
#include "tests/framework/ui_steps.h"
#include "tests/support/dataset_fixtures.h"

namespace {

using platform::FieldType;
using platform::Variant;
using testsupport::ClickIn;
using testsupport::ModalScript;

class SearchButton : public testsupport::UiTest {
 protected:
  void SetUp() override {
    form = fwtest::NewTestForm();
    edit = fwtest::NewOn<platform::TEdit>(form, "medCdClie");
    other = fwtest::NewOn<platform::TEdit>(form, "edtOutro");
    customers = new platform::TClientDataSet(form);
    source = new platform::TDataSource(form);
    source->SetDataSet(customers);
    button = new Btnpesquisa::TBtnPesquisa(form);
    button->SetName("btpCliente");
    button->SetParent(form);
    button->Associate = edit;
    button->Title = "Cliente";
    button->DataSource = source;
    button->EmptyError = "Não há cliente cadastrado.";
    button->OnBeforePesq = [this](platform::TObject*, bool&) {
      log.push_back("before");
      customers->SetData(vqr::test::MakePacket({{"CDCLIENTE", FieldType::String, 21}},
                                               rows));
    };
    button->OnAfterPesq = [this](platform::TObject*) {
      log.push_back("after:" + customers->FieldByName("CDCLIENTE").AsString());
      edit->SetText(customers->FieldByName("CDCLIENTE").AsString());
    };
    form->Show();
  }
  platform::TForm* form = nullptr;
  platform::TEdit* edit = nullptr;
  platform::TEdit* other = nullptr;
  platform::TClientDataSet* customers = nullptr;
  platform::TDataSource* source = nullptr;
  Btnpesquisa::TBtnPesquisa* button = nullptr;
  std::vector<vqr::test::Row> rows{{Variant("C1")}, {Variant("C2")}};
  std::vector<std::string> log;
};

TEST_F(SearchButton, BeforeThenListThenAfterWithTheChosenRow) {
  std::string title;
  ModalScript script({fwtest::Do([&] { title = platform::SnapshotState()["windows"].back()["caption"]; }),
                      fwtest::KeyStep(platform::VK_DOWN), fwtest::KeyStep(platform::VK_RETURN)});
  platform::ClickControl(button);
  EXPECT_EQ(log, (std::vector<std::string>{"before", "after:C2"}));
  EXPECT_EQ(title, "Cliente");
  EXPECT_EQ(edit->Text(), "C2");
}

TEST_F(SearchButton, CancelledListCallsNothingAfter) {
  ModalScript script({fwtest::KeyStep(platform::VK_ESCAPE)});
  platform::ClickControl(button);
  EXPECT_EQ(log, (std::vector<std::string>{"before"}));
}

TEST_F(SearchButton, NoRowsShowsTheEmptyErrorAndNoList) {
  rows.clear();
  std::string shown;
  ModalScript script({fwtest::Do([&] { shown = testsupport::TopMessageText(); }), ClickIn("dlgMessage", "btnOK")});
  platform::ClickControl(button);
  EXPECT_EQ(shown, "Não há cliente cadastrado.");
  EXPECT_EQ(log, (std::vector<std::string>{"before"}));
  EXPECT_EQ(script.Seen(), (std::vector<std::string>{"dlgMessage", "dlgMessage"}));
}

TEST_F(SearchButton, BeforeHandlerCanStopTheSearch) {
  button->OnBeforePesq = [this](platform::TObject*, bool& proceed) {
    log.push_back("before");
    proceed = false;
  };
  ModalScript none({});
  platform::ClickControl(button);
  EXPECT_EQ(log, (std::vector<std::string>{"before"}));
}

TEST_F(SearchButton, FailingBeforeHandlerOpensNothing) {
  button->OnBeforePesq = [](platform::TObject*, bool&) { throw platform::Exception("servidor fora do ar"); };
  ModalScript none({});
  EXPECT_THROW(platform::ClickControl(button), platform::Exception);
  EXPECT_TRUE(log.empty());
}

TEST_F(SearchButton, WithoutADataSourceOnlyOnClickRuns) {
  button->DataSource = nullptr;
  int clicks = 0;
  button->OnClick = [&](platform::TObject*) { ++clicks; };
  ModalScript none({});
  platform::ClickControl(button);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(log.empty());
}

TEST_F(SearchButton, PressingItRunsNoExitHandlerOfTheEdit) {
  int exits = 0;
  edit->OnExit = [&](platform::TObject*) { ++exits; };
  edit->SetFocus();
  ModalScript script({fwtest::KeyStep(platform::VK_RETURN)});
  platform::ClickControl(button);
  EXPECT_EQ(exits, 0);
  EXPECT_EQ(form->ActiveControl(), edit);
}

TEST_F(SearchButton, SnapshotNamesItsKindAndAssociate) {
  const nlohmann::json state = platform::SnapshotState();
  nlohmann::json found;
  for (const auto& control : state["windows"].back()["controls"])
    if (control["name"] == "btpCliente") found = control;
  EXPECT_EQ(found["kind"], "searchbutton");
  EXPECT_EQ(found["associate"], "medCdClie");
  EXPECT_EQ(found["hint"], "Pesquisar");
}

}  // namespace
