// The multiple-choice list: marks by Space, by the front end's mark input and by the
// buttons; lists already chosen come back marked; OK encodes, Cancel changes nothing.
#include "contracts/framework/pesqlista.h"

#include <gtest/gtest.h>

#include "contracts/server/customer_list.h"
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

class ChoiceList : public testsupport::UiTest {
 protected:
  void SetUp() override { load({"C1", "C2", "C3", "C4"}); }
  void load(const std::vector<std::string>& codes) {
    std::vector<vqr::test::Row> rows;
    for (const std::string& code : codes) rows.push_back({Variant("N"), Variant(code), Variant("Cliente " + code)});
    customers.SetData(vqr::test::MakePacket(
        {{"IDMARCADO", FieldType::String, 1}, {"CDCLIENTE", FieldType::String, 21}, {"NMRAZSOCCLIE", FieldType::String, 50}},
        rows));
    source.SetDataSet(&customers);
  }
  static platform::TDBGrid* grid() {
    return dynamic_cast<platform::TDBGrid*>(platform::Screen().FindWindow("dlgPesquisaLista")->FindByName("dbgPesquisa"));
  }
  static ModalScript::Step Mark(int row) {
    return fwtest::Do([row] { grid()->UserMark(row); });
  }
  std::vector<std::string> marks() {
    std::vector<std::string> result;
    for (int r = 1; r <= customers.RecordCount(); ++r)
      result.push_back(customers.ValueAt(r, customers.FieldByName("IDMARCADO")).toString());
    return result;
  }
  bool run(std::string& list, bool requireMark = false) {
    return Pesqlista::PesquisaLista(&source, "CDCLIENTE", "Cliente", requireMark, list);
  }

  platform::TClientDataSet customers;
  platform::TDataSource source;
};

TEST_F(ChoiceList, MarkedRowsComeBackJoinedByCommas) {
  std::string list;
  ModalScript script({Mark(2), Mark(0), ClickIn("dlgPesquisaLista", "btnOK")});
  EXPECT_TRUE(run(list));
  EXPECT_EQ(list, "C1,C3");  // dataset order, not the order of marking
  EXPECT_EQ(marks(), (std::vector<std::string>{"S", "N", "S", "N"}));
}

TEST_F(ChoiceList, SpaceTogglesTheCurrentRowAndEnterChooses) {
  std::string list;
  ModalScript script({fwtest::KeyStep(platform::VK_DOWN), fwtest::KeyStep(platform::VK_SPACE),
                      fwtest::KeyStep(platform::VK_DOWN), fwtest::KeyStep(platform::VK_SPACE),
                      fwtest::KeyStep(platform::VK_SPACE), fwtest::KeyStep(platform::VK_RETURN)});
  EXPECT_TRUE(run(list));
  EXPECT_EQ(list, "C2");
}

TEST_F(ChoiceList, NothingMarkedGivesAnEmptyList) {
  std::string list = "C9";  // not in the rows: drops out
  ModalScript script({ClickIn("dlgPesquisaLista", "btnOK")});
  EXPECT_TRUE(run(list));
  EXPECT_EQ(list, "");
}

TEST_F(ChoiceList, RowsAlreadyListedStartMarked) {
  std::string list = "C4,C2";
  nlohmann::json state;
  ModalScript script({fwtest::Do([&] { state = platform::SnapshotState(); }), Mark(1),
                      ClickIn("dlgPesquisaLista", "btnOK")});
  EXPECT_TRUE(run(list));
  const nlohmann::json grid = testsupport::FindControl(state["windows"].back(), "dbgPesquisa");
  EXPECT_EQ(grid["marked"], nlohmann::json::array({1, 3}));
  EXPECT_EQ(grid["markedCount"], 2);
  EXPECT_EQ(list, "C4");
}

// The grid shows the mark in its own column and the other visible fields; the snapshot
// carries the marks of the rows in view only, and the label counts them all.
TEST_F(ChoiceList, ALongListSendsTheMarksInViewAndCountsEveryMark) {
  std::vector<std::string> codes;
  for (int i = 0; i < 1000; ++i) codes.push_back("K" + std::to_string(1000 + i));
  load(codes);
  std::string list;
  nlohmann::json all, scrolled;
  std::string label;
  auto grid = [] { return testsupport::FindControl(platform::SnapshotState()["windows"].back(), "dbgPesquisa"); };
  ModalScript script({ClickIn("dlgPesquisaLista", "btnMarcarTodos"), fwtest::Do([&] { all = grid(); }),
                      fwtest::Do([] { ChoiceList::grid()->UserScroll(500); }), Mark(501),
                      fwtest::Do([&] {
                        scrolled = grid();
                        label = dynamic_cast<platform::TControl*>(
                                    platform::Screen().FindWindow("dlgPesquisaLista")->FindByName("lblMarcados"))
                                    ->Caption();
                      }),
                      ClickIn("dlgPesquisaLista", "btnOK")});
  EXPECT_TRUE(run(list));
  std::vector<std::string> titles;
  for (const auto& column : all["columns"]) titles.push_back(column["field"]);
  EXPECT_EQ(titles, (std::vector<std::string>{"CDCLIENTE", "NMRAZSOCCLIE"})) << "the mark has its own column";
  const int visible = all["visibleRows"];
  ASSERT_LT(visible, 100);
  EXPECT_EQ(all["marked"].size(), static_cast<std::size_t>(visible));
  EXPECT_EQ(all["markedCount"], 1000);
  EXPECT_EQ(scrolled["marked"].front(), 500);
  EXPECT_EQ(scrolled["marked"].size(), static_cast<std::size_t>(visible - 1)) << "row 501 was unmarked";
  EXPECT_EQ(scrolled["markedCount"], 999);
  EXPECT_EQ(label, "Marcados: 999 de 1.000");
  EXPECT_EQ(contracts::server::DecodeCustomerList(list).size(), 999u);
  EXPECT_EQ(list.find("K1501"), std::string::npos);
  EXPECT_EQ(marks()[501], "N");
  EXPECT_EQ(marks()[502], "S");
}

TEST_F(ChoiceList, MarkAllAndUnmarkAllButtons) {
  std::string list;
  {
    ModalScript all({ClickIn("dlgPesquisaLista", "btnMarcarTodos"), ClickIn("dlgPesquisaLista", "btnOK")});
    EXPECT_TRUE(run(list));
    EXPECT_EQ(list, "C1,C2,C3,C4");
  }
  ModalScript none({ClickIn("dlgPesquisaLista", "btnDesmarcarTodos"), ClickIn("dlgPesquisaLista", "btnOK")});
  EXPECT_TRUE(run(list));
  EXPECT_EQ(list, "");
}

TEST_F(ChoiceList, CancelLeavesListAndMarksAsTheyWere) {
  std::string list = "C2";
  {
    ModalScript script({Mark(0), Mark(1), Mark(3), fwtest::KeyStep(platform::VK_ESCAPE)});
    EXPECT_FALSE(run(list));
    EXPECT_EQ(list, "C2");
    EXPECT_EQ(marks(), (std::vector<std::string>{"N", "N", "N", "N"}));
  }
  ModalScript button({Mark(0), ClickIn("dlgPesquisaLista", "btnCancel")});
  EXPECT_FALSE(run(list));
  EXPECT_EQ(list, "C2");
}

TEST_F(ChoiceList, RequiredMarkKeepsTheListOpen) {
  std::string list;
  std::string message;
  ModalScript script({ClickIn("dlgPesquisaLista", "btnOK"), fwtest::Do([&] { message = testsupport::TopMessageText(); }),
                      ClickIn("dlgMessage", "btnOK"), Mark(2), ClickIn("dlgPesquisaLista", "btnOK")});
  EXPECT_TRUE(run(list, true));
  EXPECT_EQ(message, "Marque ao menos um item da lista.");
  EXPECT_EQ(list, "C3");
}

TEST_F(ChoiceList, KeysThatCannotBeEncodedAreRefused) {
  load({"C1", "C,2"});
  std::string list = "untouched";
  std::string error;
  platform::Application().OnShowError = [&](const std::string& text) { error = text; };
  ModalScript script({Mark(1), ClickIn("dlgPesquisaLista", "btnOK"), ClickIn("dlgPesquisaLista", "btnCancel")});
  EXPECT_FALSE(run(list));
  EXPECT_NE(error.find("C,2"), std::string::npos) << error;
  EXPECT_EQ(list, "untouched");
}

TEST_F(ChoiceList, EmptyRowsSayNoRowsAndKeepTheList) {
  load({});
  std::string list = "C1";
  ModalScript script({ClickIn("dlgMessage", "btnOK")});
  EXPECT_FALSE(run(list));
  EXPECT_EQ(list, "C1");
}

TEST_F(ChoiceList, MarkInputOutsideTheRowsIsRefused) {
  std::string list;
  std::optional<std::string> refusal;
  ModalScript script({fwtest::Do([&] { refusal = grid()->MarkRefusal(9); }), ClickIn("dlgPesquisaLista", "btnCancel")});
  run(list);
  EXPECT_TRUE(refusal.has_value());
}

}  // namespace
