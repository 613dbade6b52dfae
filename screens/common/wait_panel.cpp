#include "screens/common/wait_panel.h"

namespace Pkg_VQR51200 {

void NewWaitPanel(platform::TComponent* owner, platform::TControl* parent, const TWaitPanelLayout& layout,
                  platform::TPanel*& panEspera, platform::TGroupBox*& grbEspera, platform::TLabel*& lblMensagem,
                  platform::TAnimate*& anmAnimacao) {
  const TBounds& p = layout.panel;
  panEspera = NewControl<platform::TPanel>(owner, parent, "panEspera", p.left, p.top, p.width, p.height);
  panEspera->SetVisible(false);
  grbEspera = NewControl<platform::TGroupBox>(owner, panEspera, "grbEspera", 0, 0, p.width, p.height);
  grbEspera->SetAlign(platform::alClient);
  const TBounds& m = layout.messageAt;
  lblMensagem = NewBoldLabel(owner, grbEspera, "lblMensagem", layout.message, m.left, m.top, m.width);
  const TBounds& a = layout.animation;
  anmAnimacao = NewControl<platform::TAnimate>(owner, grbEspera, "anmAnimacao", a.left, a.top, a.width, a.height);
  anmAnimacao->CommonAVI = layout.clip;
  anmAnimacao->StopFrame = layout.stopFrame;
}

}  // namespace Pkg_VQR51200
