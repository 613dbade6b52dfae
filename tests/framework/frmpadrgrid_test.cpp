// The grid base screen: its parts, handlers reached by name, confirm and cancel, the
// record commands' enabling, and release on close with the unit told.
#include "contracts/framework/frmpadrgrid.h"

#include <gtest/gtest.h>

#include "platform/data/client_dataset.h"
#include "platform/ui/screen.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/user_input.h"
#include "tests/framework/ui_steps.h"
#include "tests/support/dataset_fixtures.h"

namespace {

using platform::FieldType;
using platform::Variant;
using testsupport::ClickIn;
using testsupport::ModalScript;

class TfrmTeste : public Frmpadrgrid::TfrmPadraoGrid {
 public:
  explicit TfrmTeste(platform::TComponent* owner, std::vector<std::string>& log)
      : Frmpadrgrid::TfrmPadraoGrid(owner), log_(log) {}
  platform::TClientDataSet* cdsDados = nullptr;

  void FormCreate(platform::TObject* Sender) override {
    TfrmPadraoGrid::FormCreate(Sender);
    SetName("frmTeste");
    SetCaption("Tela de Teste");
    lblCodTela->SetCaption("TST00001");
    cdsDados = new platform::TClientDataSet(this);
    cdsDados->AfterPost = [this](platform::TDataSet&) { log_.push_back("AfterPost"); };
    cdsDados->SetData(vqr::test::MakePacket({{"CODIGO", FieldType::String, 3}, {"VALOR", FieldType::Float, 0}},
                                            {{Variant("001"), Variant(1.5)}, {Variant("002"), Variant(2.5)},
                                             {Variant("003"), Variant(3.5)}}));
    dtsPadrao->SetDataSet(cdsDados);
    log_.push_back("FormCreate");
  }
  void FormClose(platform::TObject* Sender, platform::TCloseAction& Action) override {
    log_.push_back("FormClose");
    TfrmPadraoGrid::FormClose(Sender, Action);
  }
  void sbtAlterarClick(platform::TObject* Sender) override {
    log_.push_back("sbtAlterarClick");
    dbgPadrao->SetSelectedIndex(1);
    TfrmPadraoGrid::sbtAlterarClick(Sender);
  }

 private:
  std::vector<std::string>& log_;
};

class GridBaseScreen : public testsupport::UiTest {
 protected:
  void SetUp() override {
    frm = platform::NewForm<TfrmTeste>(&platform::Application(), log);
    frm->OnRelease = [this] {
      ++released;
      frm = nullptr;
    };
    frm->Show();
  }
  platform::TClientDataSet& rows() { return *frm->cdsDados; }
  std::vector<std::string> log;
  TfrmTeste* frm = nullptr;
  int released = 0;
};

TEST_F(GridBaseScreen, SuppliesTheNamedControlsAndMenus) {
  for (const char* name : {"panMenu", "sbtIncluir", "sbtExcluir", "sbtAlterar", "sbtConsultar", "sbtVerificar",
                           "sbtConfirmar", "sbtCancelar", "sbtImprimir", "sbtAjuda", "sbtFechar", "lblCodTela",
                           "scbFolhaDados", "dbgPadrao", "dbnPadrao", "dbtNome", "mnuOperacao", "mnuVerificar",
                           "mnuListagem", "mnuManutencao"})
    EXPECT_NE(frm->FindByName(name), nullptr) << name;
  for (auto* button : {frm->sbtIncluir, frm->sbtExcluir, frm->sbtAlterar, frm->sbtConsultar, frm->sbtVerificar,
                       frm->sbtConfirmar, frm->sbtCancelar, frm->sbtImprimir, frm->sbtAjuda, frm->sbtFechar}) {
    EXPECT_EQ(button->Width(), 21);
    EXPECT_EQ(button->Height(), 21);
    EXPECT_FALSE(button->Hint().empty());
    EXPECT_FALSE(button->Focusable());
  }
  std::vector<std::string> items;
  for (const auto* item : frm->mnuManutencao->Items()) items.push_back(item->Name());
  EXPECT_EQ(items, (std::vector<std::string>{"mnuIncluir", "mnuExcluir", "mnuAlterar", "mnuConsultar",
                                             "mnuConfirmar", "mnuCancelar"}));
  const nlohmann::json window = platform::SnapshotState()["windows"].back();
  EXPECT_EQ(window["name"], "frmTeste");
  EXPECT_TRUE(window["mdiChild"].get<bool>());
  EXPECT_EQ(log.front(), "FormCreate");
  EXPECT_TRUE(frm->KeyPreview);
}

TEST_F(GridBaseScreen, ConfirmPostsTheRowBeingEdited) {
  rows().Edit();
  rows().FieldByName("VALOR").SetAsFloat(9);
  platform::ClickControl(frm->sbtConfirmar);
  EXPECT_EQ(rows().State(), platform::dsBrowse);
  EXPECT_EQ(rows().FieldByName("VALOR").AsFloat(), 9);
  EXPECT_EQ(log.back(), "AfterPost");
  rows().Edit();
  rows().FieldByName("VALOR").SetAsFloat(10);
  platform::ClickMenuItem(frm->mnuConfirmar);
  EXPECT_EQ(rows().FieldByName("VALOR").AsFloat(), 10);
}

TEST_F(GridBaseScreen, CancelDropsTheRowBeingEdited) {
  rows().Edit();
  rows().FieldByName("VALOR").SetAsFloat(9);
  platform::ClickControl(frm->sbtCancelar);
  EXPECT_EQ(rows().State(), platform::dsBrowse);
  EXPECT_EQ(rows().FieldByName("VALOR").AsFloat(), 1.5);
  EXPECT_EQ(rows().ChangeCount(), 0);
}

TEST_F(GridBaseScreen, OverriddenHandlerRunsAndCallsTheBase) {
  platform::ClickControl(frm->sbtAlterar);
  EXPECT_EQ(log.back(), "sbtAlterarClick");
  EXPECT_EQ(rows().State(), platform::dsEdit);
  EXPECT_TRUE(frm->dbgPadrao->Focused());
  EXPECT_TRUE(frm->dbgPadrao->EditorMode());
  EXPECT_EQ(frm->dbgPadrao->SelectedField()->FieldName(), "VALOR");
  platform::ClickControl(frm->sbtCancelar);
  platform::ClickMenuItem(frm->mnuAlterar);  // the menu item shares the handler
  EXPECT_EQ(std::count(log.begin(), log.end(), "sbtAlterarClick"), 2);
}

TEST_F(GridBaseScreen, RecordCommandsFollowTheDatasetState) {
  EXPECT_TRUE(frm->sbtAlterar->Enabled());
  EXPECT_TRUE(frm->sbtIncluir->Enabled());
  EXPECT_FALSE(frm->sbtConfirmar->Enabled());
  rows().Edit();
  EXPECT_FALSE(frm->sbtIncluir->Enabled());
  EXPECT_FALSE(frm->sbtAlterar->Enabled());
  EXPECT_FALSE(frm->sbtVerificar->Enabled());
  EXPECT_FALSE(frm->mnuVerificar->Enabled);
  EXPECT_TRUE(frm->sbtConfirmar->Enabled());
  EXPECT_TRUE(frm->mnuCancelar->Enabled);
  rows().Cancel();
  rows().EmptyDataSet();
  frm->dtsPadraoStateChange(frm->dtsPadrao);
  EXPECT_FALSE(frm->sbtAlterar->Enabled());
  EXPECT_FALSE(frm->sbtExcluir->Enabled());
  EXPECT_TRUE(frm->sbtIncluir->Enabled());
}

TEST_F(GridBaseScreen, DeleteAsksFirst) {
  {
    ModalScript no({ClickIn("dlgMessage", "btnNo")});
    platform::ClickControl(frm->sbtExcluir);
    EXPECT_EQ(rows().RecordCount(), 3);
  }
  std::string asked;
  ModalScript yes({fwtest::Do([&] { asked = testsupport::TopMessageText(); }), ClickIn("dlgMessage", "btnYes")});
  platform::ClickControl(frm->sbtExcluir);
  EXPECT_EQ(asked, "Confirma exclusão?");
  EXPECT_EQ(rows().RecordCount(), 2);
}

TEST_F(GridBaseScreen, FourthCommandFindsARow) {
  ModalScript script({fwtest::KeyStep(platform::VK_DOWN), fwtest::KeyStep(platform::VK_DOWN),
                      fwtest::KeyStep(platform::VK_RETURN)});
  platform::ClickControl(frm->sbtConsultar);
  EXPECT_EQ(script.Seen().front(), "dlgPesquisa");
  EXPECT_EQ(rows().FieldByName("CODIGO").AsString(), "003");
}

TEST_F(GridBaseScreen, InsertAppendsARow) {
  platform::ClickControl(frm->sbtIncluir);
  EXPECT_EQ(rows().State(), platform::dsInsert);
  EXPECT_TRUE(frm->dbgPadrao->Focused());
}

TEST_F(GridBaseScreen, ClosingFreesTheScreenAndTellsTheUnit) {
  TfrmTeste* closing = frm;
  platform::ClickControl(frm->sbtFechar);
  EXPECT_EQ(log.back(), "FormClose");
  EXPECT_TRUE(closing->Releasing());
  EXPECT_EQ(released, 0);  // still there until the running input is handled
  platform::Application().ProcessMessages();
  EXPECT_EQ(released, 1);
  EXPECT_EQ(frm, nullptr);
  const auto& forms = platform::Screen().Forms();
  EXPECT_EQ(std::find(forms.begin(), forms.end(), closing), forms.end());
}

TEST_F(GridBaseScreen, DestroyedWithItsOwnerTellsTheUnitOnce) {
  delete frm;
  EXPECT_EQ(released, 1);
  EXPECT_EQ(frm, nullptr);
}

TEST_F(GridBaseScreen, UnitCanCreateItAgainAfterRelease) {
  bool boIdCriado = true;
  frm->OnRelease = [&] {
    boIdCriado = false;
    frm = nullptr;
  };
  platform::CloseWindow(frm);
  platform::Application().ProcessMessages();
  EXPECT_FALSE(boIdCriado);
  frm = platform::NewForm<TfrmTeste>(&platform::Application(), log);
  frm->Show();
  EXPECT_EQ(std::count(log.begin(), log.end(), "FormCreate"), 2);
}

TEST_F(GridBaseScreen, HelpShowsTheScreenCode) {
  std::string shown;
  ModalScript script({fwtest::Do([&] { shown = testsupport::TopMessageText(); }), ClickIn("dlgMessage", "btnOK")});
  platform::ClickControl(frm->sbtAjuda);
  EXPECT_EQ(shown.rfind("TST00001 - Tela de Teste", 0), 0u) << shown;
}

}  // namespace
