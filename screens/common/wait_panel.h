#pragma once
// The wait panel of a routine screen: shown over the screen's data while a long
// remote call blocks (Frmrotgeral's RunBehindWaitPanel), hidden otherwise.
//
//   NewWaitPanel(this, grbDadosRel, {.panel = {20, 92, 313, 97}, .message = "Copiando dados...",
//                                    .messageAt = {16, 42, 130}, .animation = {196, 14, 100, 70},
//                                    .clip = platform::aviCopyFiles, .stopFrame = 31},
//                panEspera, grbEspera, lblMensagem, anmAnimacao);
//
// The panel panEspera (hidden) holds the group grbEspera, filling it, with the bold
// message lblMensagem and the animation anmAnimacao playing `clip` up to `stopFrame`.
#include "platform/ui/animate.h"
#include "platform/ui/std_controls.h"
#include "screens/common/components.h"

namespace Pkg_VQR51200 {

struct TWaitPanelLayout {
  TBounds panel;      // on the parent
  const char* message;
  TBounds messageAt;  // left, top and width in the group (a bold label's height)
  TBounds animation;  // in the group
  platform::TCommonAVI clip;
  int stopFrame;
};

void NewWaitPanel(platform::TComponent* owner, platform::TControl* parent, const TWaitPanelLayout& layout,
                  platform::TPanel*& panEspera, platform::TGroupBox*& grbEspera, platform::TLabel*& lblMensagem,
                  platform::TAnimate*& anmAnimacao);

}  // namespace Pkg_VQR51200
