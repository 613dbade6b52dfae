// The single-choice search list: choosing, cancelling, the empty list, typing to find.
#include "contracts/framework/pesquisa.h"

#include <gtest/gtest.h>

#include "platform/data/client_dataset.h"
#include "platform/data/data_source.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/screen.h"
#include "platform/ui/snapshot.h"
#include "support/host_process.h"
#include "tests/framework/ui_steps.h"
#include "tests/support/dataset_fixtures.h"

namespace {

using platform::FieldType;
using platform::Variant;
using testsupport::ClickIn;
using testsupport::ModalScript;

class SearchList : public testsupport::UiTest {
 protected:
  void SetUp() override {
    customers.SetData(vqr::test::MakePacket(
        {{"NRINSJURCLIE", FieldType::String, 20}, {"NMRAZSOCCLIE", FieldType::String, 50}, {"CDCLIENTE", FieldType::String, 21}},
        {{Variant("11111111111"), Variant("Alfa Ltda"), Variant("C1")},
         {Variant("22222222222"), Variant("Água Viva"), Variant("C2")},
         {Variant("33333333333"), Variant("Bravo SA"), Variant("C3")},
         {Variant("44444444444"), Variant("Beta ME"), Variant("C4")},
         {Variant("55555555555"), Variant("Carlos Dias"), Variant("C5")}}));
    source.SetDataSet(&customers);
  }
  platform::TDBGrid* grid() {
    return dynamic_cast<platform::TDBGrid*>(platform::Screen().FindWindow("dlgPesquisa")->FindByName("dbgPesquisa"));
  }
  std::string current() { return customers.FieldByName("CDCLIENTE").AsString(); }

  platform::TClientDataSet customers;
  platform::TDataSource source;
};

TEST_F(SearchList, EnterChoosesTheRowTheGridIsOn) {
  ModalScript script({fwtest::KeyStep(platform::VK_DOWN), fwtest::KeyStep(platform::VK_DOWN),
                      fwtest::KeyStep(platform::VK_RETURN)});
  EXPECT_TRUE(Pesquisa::Pesquisar(&source, "Cliente|Não há cliente cadastrado.", false, true));
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(current(), "C3");
  EXPECT_EQ(platform::Screen().FindWindow("dlgPesquisa"), nullptr);
}

TEST_F(SearchList, OkButtonChooses) {
  ModalScript script({fwtest::KeyStep(platform::VK_DOWN), ClickIn("dlgPesquisa", "btnOK")});
  EXPECT_TRUE(Pesquisa::Pesquisar(&source, "Cliente|x", false, true));
  EXPECT_EQ(current(), "C2");
}

TEST_F(SearchList, CancelReturnsFalseAndPutsTheRowBack) {
  customers.SetRecNo(4);
  {
    ModalScript escape({fwtest::KeyStep(platform::VK_UP), fwtest::KeyStep(platform::VK_ESCAPE)});
    EXPECT_FALSE(Pesquisa::Pesquisar(&source, "Cliente|x", false, true));
    EXPECT_EQ(current(), "C4");
    EXPECT_TRUE(escape.Done());
  }
  ModalScript button({fwtest::KeyStep(platform::VK_DOWN), ClickIn("dlgPesquisa", "btnCancel")});
  EXPECT_FALSE(Pesquisa::Pesquisar(&source, "Cliente|x", false, true));
  EXPECT_EQ(current(), "C4");
  EXPECT_TRUE(button.Done());
}

TEST_F(SearchList, WindowIsASearchListWithTheProtocolNames) {
  nlohmann::json state;
  ModalScript script({fwtest::Do([&] { state = platform::SnapshotState(); }), ClickIn("dlgPesquisa", "btnCancel")});
  Pesquisa::Pesquisar(&source, "Cliente|Não há cliente cadastrado.", false, true);
  const nlohmann::json& window = state["windows"].back();
  EXPECT_EQ(window["name"], "dlgPesquisa");
  EXPECT_EQ(window["kind"], "search");
  EXPECT_EQ(window["caption"], "Cliente");
  EXPECT_TRUE(window["modal"].get<bool>());
  std::vector<std::string> names;
  for (const auto& control : window["controls"]) names.push_back(control["name"]);
  EXPECT_EQ(names, (std::vector<std::string>{"lblPesquisa", "edtPesquisa", "dbgPesquisa", "btnOK", "btnCancel"}));
  EXPECT_EQ(state["focus"], "dlgPesquisa.dbgPesquisa");
  EXPECT_EQ(testsupport::FindControl(window, "dbgPesquisa")["rowCount"], 5);
}

TEST_F(SearchList, EmptyListShowsTheNoRowsTextAndChoosesNothing) {
  customers.EmptyDataSet();
  std::string shown;
  ModalScript script({fwtest::Do([&] { shown = testsupport::TopMessageText(); }), ClickIn("dlgMessage", "btnOK")});
  EXPECT_FALSE(Pesquisa::Pesquisar(&source, "Cliente|Não há cliente cadastrado.", false, true));
  EXPECT_EQ(shown, "Não há cliente cadastrado.");
  EXPECT_EQ(script.Seen(), (std::vector<std::string>{"dlgMessage", "dlgMessage"}));
}

TEST_F(SearchList, ClosedDatasetCountsAsEmptyAndSilentWhenAsked) {
  customers.Close();
  ModalScript none({});
  EXPECT_FALSE(Pesquisa::Pesquisar(&source, "Cliente|Não há cliente cadastrado.", false, false));
}

TEST_F(SearchList, SingleRowIsChosenWithoutTheListWhenAsked) {
  customers.SetData(vqr::test::MakePacket({{"CDCLIENTE", FieldType::String, 21}}, {{Variant("ONLY")}}));
  ModalScript none({});
  EXPECT_TRUE(Pesquisa::Pesquisar(&source, "Cliente|x", true, true));
  EXPECT_EQ(current(), "ONLY");
}

TEST_F(SearchList, TypingFindsRowsInTheSelectedColumn) {
  std::vector<std::string> seen;
  ModalScript script({fwtest::Do([&] { grid()->SetSelectedIndex(1); }), fwtest::TypeStep("b"),
                      fwtest::Do([&] { seen.push_back(current()); }), fwtest::TypeStep("r"),
                      fwtest::Do([&] { seen.push_back(current()); }), fwtest::TypeStep("c"),
                      fwtest::Do([&] { seen.push_back(current()); }), fwtest::KeyStep(platform::VK_BACK),
                      fwtest::TypeStep("agu"), fwtest::Do([&] { seen.push_back(current()); }),
                      fwtest::KeyStep(platform::VK_RETURN)});
  EXPECT_TRUE(Pesquisa::Pesquisar(&source, "Cliente|x", false, true));
  // "b" finds Bravo (first B in the list's order), "br" stays, "brc" starts over at "c",
  // and "agu" finds "Água" ignoring the accent.
  EXPECT_EQ(seen, (std::vector<std::string>{"C3", "C3", "C5", "C2"}));
  EXPECT_EQ(current(), "C2");
}

TEST_F(SearchList, RowBeingEditedIsPostedBeforeTheList) {
  customers.Edit();
  customers.FieldByName("NMRAZSOCCLIE").SetAsString("Alfa Alterada");
  ModalScript script({fwtest::KeyStep(platform::VK_DOWN), fwtest::KeyStep(platform::VK_RETURN)});
  EXPECT_TRUE(Pesquisa::Pesquisar(&source, "Cliente|x", false, true));
  EXPECT_EQ(customers.State(), platform::dsBrowse);
  EXPECT_EQ(customers.ChangeCount(), 1);
  EXPECT_EQ(current(), "C2");
}

TEST_F(SearchList, NoDataSourceIsAClearError) {
  EXPECT_THROW(Pesquisa::Pesquisar(nullptr, "x|y", false, true), platform::Exception);
}

}  // namespace
