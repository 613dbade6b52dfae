// Standard controls: radio groups by parent, check boxes, alignment and anchors of
// panels, menus with accelerators, maximised windows, and what each kind writes into
// the snapshot.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/ui/animate.h"
#include "platform/ui/buttons.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/mask_edit.h"
#include "platform/ui/menus.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/status_bar.h"
#include "platform/ui/std_controls.h"
#include "platform/ui/user_input.h"
#include "platform/ui/window_update.h"
#include "tests/support/ui_driver.h"

using namespace platform;

namespace {
struct Controls : testsupport::UiTest {
  TForm* form = nullptr;
  void SetUp() override {
    form = NewForm<TForm>(&Application());
    form->SetName("frmControles");
    form->Show();
  }
  template <class T>
  T* add(const char* name, TControl* parent = nullptr) {
    auto* c = new T(form);
    c->SetName(name);
    c->SetParent(parent ? parent : form);
    return c;
  }
};
}  // namespace

TEST_F(Controls, RadioButtonsUncheckOnlyTheirSiblings) {
  auto* g1 = add<TGroupBox>("grb1");
  auto* g2 = add<TGroupBox>("grb2");
  auto* a = add<TRadioButton>("rbtA", g1);
  auto* b = add<TRadioButton>("rbtB", g1);
  auto* c = add<TRadioButton>("rbtC", g2);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  a->SetChecked(true);
  c->SetChecked(true);
  ClickControl(b);
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(b->Checked());
  EXPECT_TRUE(c->Checked());
  ClickControl(b);  // already checked: no new click
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(Screen().ActiveControl(), b);
}

TEST_F(Controls, CheckBoxTogglesByClickAndSpaceAndCodeRunsOnClick) {
  auto* chk = add<TCheckBox>("chkTodos");
  int clicks = 0;
  chk->OnClick = [&](TObject*) { ++clicks; };
  ClickControl(chk);
  EXPECT_TRUE(chk->Checked());
  DispatchKey(VK_SPACE, {}, U' ');
  EXPECT_FALSE(chk->Checked());
  chk->SetChecked(false);  // no change, no click
  EXPECT_EQ(clicks, 2);
}

TEST_F(Controls, AlignedPanelsShareTheClientArea) {
  form->SetBounds(0, 0, 400, 300);
  auto* top = add<TPanel>("panTop");
  top->SetHeight(32);
  top->SetAlign(alTop);
  auto* bottom = add<TPanel>("panBottom");
  bottom->SetHeight(40);
  bottom->SetAlign(alBottom);
  auto* client = add<TScrollBox>("scbClient");
  client->SetAlign(alClient);
  // The window's border and title bar are not part of its client area.
  const int clientHeight = 300 - 2 * kFormBorderWidth - kFormTitleHeight;
  EXPECT_EQ(form->ClientHeight(), clientHeight);
  EXPECT_EQ(client->Top(), 32);
  EXPECT_EQ(client->Height(), clientHeight - 32 - 40);
  EXPECT_EQ(bottom->Top(), clientHeight - 40);
  form->SetWidth(500);
  EXPECT_EQ(client->Width(), 500 - 2 * kFormBorderWidth);
  top->Hide();
  EXPECT_EQ(client->Top(), 0);
  // A menu bar takes its height from the client area, and the bottom panel follows.
  form->SetMenu(new TMainMenu(form));
  EXPECT_EQ(bottom->Top(), clientHeight - kFormMenuHeight - 40);
  form->SetClientHeight(200);
  EXPECT_EQ(form->ClientHeight(), 200);
  EXPECT_EQ(bottom->Top(), 160);
}

TEST_F(Controls, AltLetterOpensAMenuAndALetterClicksItsItem) {
  auto* menu = new TMainMenu(form);
  form->SetMenu(menu);
  auto* manut = new TMenuItem(form);
  manut->SetName("mnuManutencao");
  manut->Caption = "&Manutenção";
  menu->Items()->Add(manut);
  auto* formula = new TMenuItem(form);
  formula->SetName("mnuFormComp");
  formula->Caption = "&Fórmula de Composição";
  manut->Add(formula);
  int clicks = 0;
  formula->OnClick = [&](TObject*) { ++clicks; };
  DispatchKey('M', {ssAlt}, std::nullopt);
  EXPECT_EQ(menu->OpenItem(), manut);
  EXPECT_EQ(menu->Snapshot()[0]["open"], true);
  DispatchKey('F', {}, U'f');
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(menu->OpenItem(), nullptr);
  formula->Enabled = false;
  DispatchKey('M', {ssAlt}, std::nullopt);
  DispatchKey('F', {}, U'f');
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(form->FindByName("mnuFormComp"), formula);
  EXPECT_TRUE(InputRefusal(formula, form));
}

TEST_F(Controls, SnapshotFieldsOfEachKind) {
  auto* lbl = add<TLabel>("Label1");
  lbl->SetCaption("Cliente");
  lbl->Font().Bold = true;
  auto* med = add<TMaskEdit>("medCdClie");
  med->SetColor(clInfoBk);
  med->SetEditMask("000.000.000-00;0;_");
  med->SetText("12345678901");
  auto* anm = add<TAnimate>("anmAnimacao");
  anm->CommonAVI = aviFindFile;
  anm->StopFrame = 8;
  auto* disabled = add<TPanel>("panFormula");
  disabled->SetEnabled(false);
  nlohmann::json w;
  form->WriteSnapshot(w);
  const auto& c = w["controls"];
  EXPECT_EQ(c[0]["caption"], "Cliente");
  EXPECT_EQ(c[0]["font"]["bold"], true);
  EXPECT_EQ(c[1]["kind"], "maskedit");
  EXPECT_EQ(c[1]["color"], "clInfoBk");
  EXPECT_EQ(c[1]["text"], "12345678901");
  EXPECT_EQ(c[1]["editText"], "123.456.789-01");
  EXPECT_EQ(c[2]["clip"], "findFile");
  EXPECT_EQ(c[2]["stopFrame"], 8);
  EXPECT_EQ(c[3]["enabled"], false);
  EXPECT_TRUE(LockWindowUpdate(nullptr));
}

TEST_F(Controls, RefusalsNameTheReason) {
  auto* pan = add<TPanel>("panCliente");
  auto* edt = add<TEdit>("edtNmClie", pan);
  EXPECT_FALSE(InputRefusal(edt));
  pan->SetEnabled(false);
  EXPECT_NE(InputRefusal(edt)->find("desabilitado"), std::string::npos);
  pan->SetEnabled(true);
  pan->Hide();
  EXPECT_NE(InputRefusal(edt)->find("visível"), std::string::npos);
  pan->Show();
  form->Hide();
  EXPECT_TRUE(InputRefusal(edt));
}

TEST_F(Controls, AnActionKeepsItsButtonAndMenuItemInStepAndRunsOnlyWhenEnabled) {
  auto* menu = new TMainMenu(form);
  form->SetMenu(menu);
  auto* item = new TMenuItem(form);
  item->SetName("mnuGravar");
  menu->Items()->Add(item);
  auto* button = add<TSpeedButton>("sbtGravar");
  int runs = 0;
  TObject* sender = nullptr;
  TAction* action = NewAction(form, "actGravar", "&Gravar", "Gravar", [&](TObject* s) {
    ++runs;
    sender = s;
  });
  item->SetAction(action);
  button->SetAction(action);
  EXPECT_EQ(item->Caption, "&Gravar");
  EXPECT_EQ(button->Hint(), "Gravar");

  action->SetEnabled(false);
  EXPECT_FALSE(item->Enabled);
  EXPECT_FALSE(button->Enabled());
  EXPECT_TRUE(InputRefusal(button).has_value()) << "a disabled command refuses the click";
  EXPECT_TRUE(InputRefusal(item, form).has_value());
  item->Click();
  EXPECT_EQ(runs, 0);

  action->SetEnabled(true);
  button->Click();
  item->Click();
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(sender, item) << "the handler is told which client ran it";

  delete action;  // clients outlive it and go back to their own state
  button->Click();
  EXPECT_EQ(runs, 2);
  TAction* again = NewAction(form, "actOutra", "", "Outra", nullptr);
  button->SetAction(again);
  delete button;  // and an action outlives its clients
  again->SetEnabled(false);
  EXPECT_TRUE(again->Clients().empty());
}

TEST_F(Controls, AnOpenMenuIsWalkedWithArrowsOverEnabledItemsAndClosedByAClickElsewhere) {
  auto* menu = new TMainMenu(form);
  form->SetMenu(menu);
  auto item = [&](TMenuItem* parent, const char* name, const char* caption) {
    auto* i = new TMenuItem(form);
    i->SetName(name);
    i->Caption = caption;
    parent->Add(i);
    return i;
  };
  TMenuItem* operacao = item(menu->Items(), "mnuOperacao", "&Operação");
  TMenuItem* atualizar = item(operacao, "mnuVerificar", "&Atualizar");
  TMenuItem* listagem = item(operacao, "mnuListagem", "&Listagem");
  TMenuItem* fechar = item(operacao, "mnuFechar", "&Fechar");
  TMenuItem* manutencao = item(menu->Items(), "mnuManutencao", "&Manutenção");
  item(manutencao, "mnuIncluir", "&Incluir");
  listagem->Enabled = false;
  std::string clicked;
  fechar->OnClick = [&](TObject*) { clicked += "fechar "; };
  DispatchKey('O', {ssAlt}, std::nullopt);
  EXPECT_EQ(menu->HighlightedItem(), atualizar);
  DispatchKey(VK_DOWN, {}, std::nullopt);
  EXPECT_EQ(menu->HighlightedItem(), fechar) << "the disabled item is skipped";
  EXPECT_EQ(menu->Snapshot()[0]["items"][2]["highlighted"], true);
  DispatchKey(VK_RIGHT, {}, std::nullopt);
  EXPECT_EQ(menu->OpenItem(), manutencao);
  DispatchKey(VK_LEFT, {}, std::nullopt);
  DispatchKey(VK_UP, {}, std::nullopt);  // wraps from the first to the last
  DispatchKey(VK_RETURN, {}, U'\r');
  EXPECT_EQ(clicked, "fechar ");
  EXPECT_EQ(menu->OpenItem(), nullptr);
  DispatchKey('O', {ssAlt}, std::nullopt);
  ClickControl(add<TButton>("btnOutro"));
  EXPECT_EQ(menu->OpenItem(), nullptr) << "a click elsewhere closes the menu";
  DispatchKey('O', {ssAlt}, std::nullopt);
  delete operacao;  // an open item going away leaves no dangling menu
  EXPECT_EQ(menu->OpenItem(), nullptr);
}

TEST_F(Controls, AnchoredControlsKeepTheirDistancesWhenTheParentIsResized) {
  auto* panel = add<TPanel>("panDados");
  panel->SetBounds(0, 0, 300, 200);
  auto* stretched = add<TScrollBox>("scbDados", panel);
  stretched->SetBounds(10, 20, 280, 170);
  stretched->SetAnchors({akLeft, akTop, akRight, akBottom});
  auto* corner = add<TLabel>("lblCodTela", panel);
  corner->SetBounds(240, 5, 50, 13);
  corner->SetAnchors({akTop, akRight});
  auto* still = add<TLabel>("lblFixo", panel);
  still->SetBounds(5, 5, 50, 13);
  panel->SetBounds(0, 0, 400, 260);
  EXPECT_EQ(stretched->Width(), 380);
  EXPECT_EQ(stretched->Height(), 230);
  EXPECT_EQ(corner->Left(), 340);
  EXPECT_EQ(still->Left(), 5);
  // Bounds set in code become the new distances.
  stretched->SetBounds(10, 20, 100, 100);
  panel->SetBounds(0, 0, 300, 200);
  EXPECT_EQ(stretched->Width(), 0) << "100 wide at 400 is 0 wide at 300, never negative";
  panel->SetBounds(0, 0, 400, 260);
  EXPECT_EQ(stretched->Width(), 100);
}

TEST_F(Controls, MaximisedChildFillsTheFrameAreaFollowsItAndRestoresItsBounds) {
  auto* frame = NewForm<TForm>(&Application());
  frame->SetName("frmHost");
  frame->SetFormStyle(fsMDIForm);
  Application().SetMainForm(frame);
  Screen().SetSize(1000, 700);
  auto* status = new TStatusBar(frame);
  status->SetParent(frame);
  frame->Show();
  auto* child = NewForm<TForm>(&Application());
  child->SetName("frmFilho");
  child->SetFormStyle(fsMDIChild);
  child->SetBounds(50, 40, 300, 200);
  auto* data = new TPanel(child);
  data->SetParent(child);
  data->SetAlign(alClient);
  child->Show();
  ASSERT_FALSE(WindowStateRefusal(child, wsMaximized));
  SetWindowStateByUser(child, wsMaximized);
  const TRect area = frame->MDIClientArea();
  EXPECT_EQ(area.Height(), frame->ClientHeight() - kStatusBarHeight);
  EXPECT_EQ(child->Width(), area.Width());
  EXPECT_EQ(child->Height(), area.Height());
  EXPECT_EQ(data->Height(), child->ClientHeight()) << "client-aligned controls follow";
  EXPECT_TRUE(WindowBoundsRefusal(child, 200, 100)) << "a maximised window is not dragged";
  Screen().SetSize(1200, 800);
  EXPECT_EQ(child->Width(), frame->MDIClientArea().Width());
  nlohmann::json s = SnapshotState();
  EXPECT_EQ(s["windows"].back()["name"], "frmFilho");
  EXPECT_EQ(s["windows"].back()["windowState"], "maximized");
  EXPECT_EQ(s["windows"][0]["mdiClient"][3], frame->MDIClientArea().Height());
  SetWindowStateByUser(child, wsNormal);
  EXPECT_EQ(child->Left(), 50);
  EXPECT_EQ(child->Width(), 300);
  EXPECT_EQ(child->Height(), 200);
  SetWindowBoundsByUser(child, 60, 50, 10, 10);
  EXPECT_EQ(child->Left(), 60);
  EXPECT_GT(child->Width(), 100) << "no smaller than its title bar needs";
  // A fixed border neither resizes nor maximises; it still moves.
  child->SetBorderStyle(bsSingle);
  EXPECT_TRUE(WindowStateRefusal(child, wsMaximized));
  EXPECT_TRUE(WindowBoundsRefusal(child, child->Width() + 10, child->Height()));
  EXPECT_FALSE(WindowBoundsRefusal(child, child->Width(), child->Height()));
  Screen().SetSize(1280, 800);
}
