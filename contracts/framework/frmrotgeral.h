#pragma once
// Frmrotgeral: TfrmRotiGeral, the base of the routine screens shown modally (a
// formula, a copy): fill in, confirm, done.
//
// Layout: the data group grbDadosRel fills the window but for the side panel panMenu
// at the right, which holds panHelp (the help button sbtHelp "Ajuda") at the top, the
// screen code label lblCodTela under it, and panBotoes (the confirm button sbtConfirma
// "Confirmar" and the close button sbtCancel "Fechar") at the bottom. msgPadrao is the
// screen's message catalog. Keys are shown to the screen before the focused control
// (KeyPreview).
//
// Every event is bound to the virtual handler of its name (a screen overrides it,
// calling the base first in create, activate and key handlers, last in close ones):
//   FormCreate, FormActivate, FormKeyDown    nothing
//   FormKeyPress      Enter in an edit, combo box, check box or radio button moves to
//                     the next control, as Tab does (a screen may switch it off by
//                     emptying OnKeyPress)
//   FormClose         Action := caFree; OnRelease is called as the screen goes away
//   sbtCancelClick    closes the screen
//   sbtConfirmaClick  nothing (the screen's routine)
//   sbtHelpClick      an information box with HelpText (a default one when empty)
#include <functional>
#include <string>

#include "contracts/framework/buttonflat.h"
#include "contracts/framework/nrv_msg.h"
#include "platform/ui/form.h"
#include "platform/ui/std_controls.h"

namespace Frmrotgeral {

class TfrmRotiGeral : public platform::TForm {
 public:
  explicit TfrmRotiGeral(platform::TComponent* owner);
  ~TfrmRotiGeral() override;

  platform::TGroupBox* grbDadosRel;
  platform::TPanel* panMenu;
  platform::TPanel* panHelp;
  Buttonflat::TButtonFlat* sbtHelp;
  platform::TLabel* lblCodTela;
  platform::TPanel* panBotoes;
  Buttonflat::TButtonFlat* sbtConfirma;
  Buttonflat::TButtonFlat* sbtCancel;
  Nrv_msg::TMessages* msgPadrao;

  std::string HelpText;
  // Called once as the screen goes away, so the screen's unit can forget it.
  std::function<void()> OnRelease;

  virtual void FormCreate(platform::TObject* Sender);
  virtual void FormActivate(platform::TObject* Sender);
  virtual void FormClose(platform::TObject* Sender, platform::TCloseAction& Action);
  virtual void FormKeyDown(platform::TObject* Sender, std::uint16_t& Key, platform::TShiftState Shift);
  virtual void FormKeyPress(platform::TObject* Sender, char32_t& Key);
  virtual void sbtCancelClick(platform::TObject* Sender);
  virtual void sbtConfirmaClick(platform::TObject* Sender);
  virtual void sbtHelpClick(platform::TObject* Sender);
};

}  // namespace Frmrotgeral
