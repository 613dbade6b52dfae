#include "screens/Cli_VQR51205/cli_vqr51205.h"

#include "contracts/framework/frmrotgeral.h"
#include "screens/Cli_VQR51205/frm_alterados_previa.h"
#include "screens/Cli_VQR51205/frm_previa.h"

namespace Cli_VQR51205 {

void MostraPrevia(const contracts::server::PreviewReply& answer, TTipoPrevia kind, const std::string& blockedText) {
  Frmrotgeral::OpenModal<TfrmPrevia>([&](TfrmPrevia& screen) { screen.ShowPreview(answer, kind, blockedText); });
}

void MostraAlteradosDesdePrevia(const contracts::server::RunReply& reply) {
  if (reply.record.changed == 0) return;
  Frmrotgeral::OpenModal<TfrmAlteradosPrevia>([&](TfrmAlteradosPrevia& screen) { screen.ShowChanges(reply); });
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
