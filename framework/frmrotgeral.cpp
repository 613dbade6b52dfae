#include "contracts/framework/frmrotgeral.h"

#include "contracts/framework/consiste.h"
#include "framework/enter_as_tab.h"

#include "platform/ui/combo_box.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/edit.h"
#include "platform/ui/buttons.h"

namespace Frmrotgeral {

namespace {

constexpr int kWidth = 410;
constexpr int kHeight = 344;
constexpr int kSideWidth = 56;

const char* const kDefaultHelp =
    "Preencha os dados e confirme. Enter passa ao campo seguinte; Esc ou o botão Fechar sai sem confirmar.";
// A window with nothing to confirm (a list to look at).
const char* const kListHelp =
    "Setas, Page Up, Page Down, Ctrl+Home e Ctrl+End movem na lista. Esc ou o botão Fechar fecha a janela.";

platform::TPanel* NewPanel(platform::TComponent* owner, platform::TControl* parent, const std::string& name,
                           platform::TAlign align, int width, int height) {
  auto* panel = new platform::TPanel(owner);
  panel->SetName(name);
  panel->SetParent(parent);
  panel->SetBounds(0, 0, width, height);
  panel->SetAlign(align);
  return panel;
}

}  // namespace

TfrmRotiGeral::TfrmRotiGeral(platform::TComponent* owner) : Frmbase::TfrmBase(owner) {
  using platform::TObject;
  SetBorderStyle(platform::bsSingle);
  SetBounds(0, 0, kWidth, kHeight);
  KeyPreview = true;
  msgPadrao = new Nrv_msg::TMessages(this);
  msgPadrao->SetName("msgPadrao");

  panMenu = NewPanel(this, this, "panMenu", platform::alRight, kSideWidth, kHeight);
  panHelp = NewPanel(this, panMenu, "panHelp", platform::alTop, kSideWidth, 31);
  sbtHelp = Buttonflat::NewButtonFlat(this, panHelp, "sbtHelp", "Ajuda", (kSideWidth - 21) / 2, 5);
  lblCodTela = new platform::TLabel(this);
  lblCodTela->SetName("lblCodTela");
  lblCodTela->SetParent(panMenu);
  lblCodTela->SetBounds(2, 38, kSideWidth - 4, 13);
  panBotoes = NewPanel(this, panMenu, "panBotoes", platform::alBottom, kSideWidth, 58);
  sbtConfirma = Buttonflat::NewButtonFlat(this, panBotoes, "sbtConfirma", "Confirmar", (kSideWidth - 21) / 2, 6);
  sbtCancel = Buttonflat::NewButtonFlat(this, panBotoes, "sbtCancel", "Fechar", (kSideWidth - 21) / 2, 31);
  CancelControl = sbtCancel;

  grbDadosRel = new platform::TGroupBox(this);
  grbDadosRel->SetName("grbDadosRel");
  grbDadosRel->SetParent(this);
  grbDadosRel->SetAlign(platform::alClient);

  OnKeyPress = [this](TObject* s, char32_t& k) { FormKeyPress(s, k); };
  sbtCancel->OnClick = [this](TObject* s) { sbtCancelClick(s); };
  sbtConfirma->OnClick = [this](TObject* s) { sbtConfirmaClick(s); };
  sbtHelp->OnClick = [this](TObject* s) { sbtHelpClick(s); };
}

void TfrmRotiGeral::FormKeyPress(platform::TObject*, char32_t& Key) { framework::EnterAsTab(*this, Key); }

void TfrmRotiGeral::sbtCancelClick(platform::TObject*) { Close(); }

void TfrmRotiGeral::sbtConfirmaClick(platform::TObject*) {}

void TfrmRotiGeral::sbtHelpClick(platform::TObject*) {
  const std::string title = lblCodTela->Caption().empty() ? Caption() : lblCodTela->Caption() + " - " + Caption();
  platform::MessageDlg(title + "\n\n" + (!HelpText.empty() ? HelpText : sbtConfirma->Visible() ? kDefaultHelp : kListHelp), platform::mtInformation,
                       {platform::mbOK}, 0);
}

void TfrmRotiGeral::ShowWaitPanel(platform::TControl& panel, platform::TAnimate& animation, bool show) {
  panel.SetVisible(show);
  animation.Active = show;
  platform::Application().Repaint();
}

void TfrmRotiGeral::RunBehindWaitPanel(platform::TControl& panel, platform::TAnimate& animation,
                                       const std::function<void()>& call) {
  ShowWaitPanel(panel, animation, true);
  try {
    call();
  } catch (const std::exception& e) {
    ShowWaitPanel(panel, animation, false);
    const std::string text = msgPadrao->ServerText(e.what());
    if (text != e.what()) throw Consiste::EServerRefusal(text);
    throw;
  } catch (...) {
    ShowWaitPanel(panel, animation, false);
    throw;
  }
  ShowWaitPanel(panel, animation, false);
}

}  // namespace Frmrotgeral
