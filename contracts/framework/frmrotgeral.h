#pragma once
// Frmrotgeral: TfrmRotiGeral, the base of the routine screens shown modally (a
// formula, a copy): fill in, confirm, done.
//
// Layout: the data group grbDadosRel fills the window but for the side panel panMenu
// at the right, which holds panHelp (the help button sbtHelp "Ajuda") at the top, the
// screen code label lblCodTela under it, and panBotoes (the confirm button sbtConfirma
// "Confirmar" and the close button sbtCancel "Fechar") at the bottom. msgPadrao is the
// screen's message catalog. Keys are shown to the screen before the focused control
// (KeyPreview); Escape, when the focused control leaves it, clicks sbtCancel (the
// form's CancelControl).
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
//   sbtHelpClick      an information box with HelpText (when empty, a default one about
//                     filling in and confirming, or, with sbtConfirma hidden, about
//                     moving in a list)
//
// RunBehindWaitPanel(panel, animation, call) runs a routine's long blocking call (a
// copy, a recalculation) behind the screen's wait panel: the panel is shown with its
// animation playing and the screen repainted before the call starts, so the person
// sees it; both are put away and the screen repainted again when the call ends, on
// success and on failure alike. A failure goes on after that; its text passes through
// msgPadrao->ServerText (the "@" rule: a server text holding "@" reaches the person as
// that catalog key's text, raised as Consiste::EServerRefusal), any other exception
// goes on unchanged.
//
// OpenModal<S>(prepare, args...) opens a routine screen as the creation functions do:
// under the hourglass cursor it creates a new S (owned by the application, its
// constructor given `args` after the owner) and runs prepare(screen), which fills it
// and loads its data; then the default cursor comes back and the screen is shown
// modally, the call returning when it closes. When the creation or prepare raises, the
// screen, never shown, is freed, the default cursor comes back and the error goes on.
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "contracts/framework/buttonflat.h"
#include "contracts/framework/frmbase.h"
#include "contracts/framework/nrv_msg.h"
#include "platform/ui/animate.h"
#include "platform/ui/application.h"
#include "platform/ui/form.h"
#include "platform/ui/screen.h"
#include "platform/ui/std_controls.h"

namespace Frmrotgeral {

class TfrmRotiGeral : public Frmbase::TfrmBase {
 public:
  explicit TfrmRotiGeral(platform::TComponent* owner);

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

  virtual void FormKeyPress(platform::TObject* Sender, char32_t& Key);
  virtual void sbtCancelClick(platform::TObject* Sender);
  virtual void sbtConfirmaClick(platform::TObject* Sender);
  virtual void sbtHelpClick(platform::TObject* Sender);

 protected:
  void RunBehindWaitPanel(platform::TControl& panel, platform::TAnimate& animation, const std::function<void()>& call);

 private:
  void ShowWaitPanel(platform::TControl& panel, platform::TAnimate& animation, bool show);
};

template <class S, class Prepare, class... Args>
void OpenModal(Prepare&& prepare, Args&&... args) {
  std::unique_ptr<S> screen;
  try {
    platform::Screen().SetCursor(platform::crHourGlass);
    screen.reset(platform::NewForm<S>(&platform::Application(), std::forward<Args>(args)...));
    prepare(*screen);
  } catch (...) {
    screen.reset();
    platform::Screen().SetCursor(platform::crDefault);
    throw;
  }
  platform::Screen().SetCursor(platform::crDefault);
  screen.release()->ShowModal();  // the screen frees itself when it closes
}

}  // namespace Frmrotgeral
