#include "screens/Cli_VQR51205/cli_vqr51205.h"

#include "contracts/framework/frmrotgeral.h"
#include "screens/Cli_VQR51205/frm_previa.h"

namespace Cli_VQR51205 {

void MostraPrevia(const contracts::server::PreviewReply& answer, TTipoPrevia kind, const std::string& blockedText) {
  Frmrotgeral::OpenModal<TfrmPrevia>([&](TfrmPrevia& screen) { screen.ShowPreview(answer, kind, blockedText); });
}

bool ConfirmaImportacao(const contracts::server::ReplyOf<contracts::server::ImportPreviewData>& answer) {
  bool confirmed = false;
  Frmrotgeral::OpenModal<TfrmPrevia>([&](TfrmPrevia& screen) {
    screen.ShowImportPreview(answer);
    screen.boConfirmado = &confirmed;
  });
  return confirmed;
}

}  // namespace Cli_VQR51205
