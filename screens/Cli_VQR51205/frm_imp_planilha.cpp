// TfrmImpPlanilha: its controls, and the reading, preview and write of a spreadsheet.
#include "screens/Cli_VQR51205/frm_imp_planilha.h"

#include "contracts/framework/consiste.h"
#include "contracts/framework/norvexa.h"
#include "contracts/framework/planilha.h"
#include "contracts/framework/showavi.h"
#include "platform/text/float_format.h"
#include "platform/ui/dialogs.h"
#include "screens/Cli_VQR51205/cli_vqr51205.h"
#include "screens/Cli_VQR51205/sheet_import.h"
#include "screens/common/components.h"
#include "screens/common/server_call.h"

namespace Cli_VQR51205 {

using namespace Pkg_VQR51200;

namespace {

constexpr int kLabelLeft = 8;
constexpr int kEditLeft = 110;
constexpr int kEditWidth = 300;

Planilha::TCodificacao EncodingAt(int index) {
  if (index == 1) return Planilha::TCodificacao::cdUtf8;
  if (index == 2) return Planilha::TCodificacao::cdWindows1252;
  return Planilha::TCodificacao::cdAutomatica;
}

}  // namespace

bool CriaImpPlanilha(Pkg_VQR51200::TModuleSession& session, const Pkg_VQR51200::TCliente& cliente) {
  bool written = false;
  Frmrotgeral::OpenModal<TfrmImpPlanilha>(
      [&](TfrmImpPlanilha& screen) {
        screen.Cliente = cliente;
        screen.edtNmCliente->SetText(cliente.CdCliente.empty() ? "(o de cada linha)" : cliente.NmRazSocClie);
        screen.boGravado = &written;
      },
      session);
  return written;
}

TfrmImpPlanilha::TfrmImpPlanilha(platform::TComponent* owner, Pkg_VQR51200::TModuleSession& session)
    : Frmrotgeral::TfrmRotiGeral(owner), session(session) {
  IdentifyScreen(*this, *lblCodTela, "frmImpPlanilha", "Importar planilha", "VQR51205", 500, 190);
  lblCliente = NewBoldLabel(this, grbDadosRel, "lblCliente", "Cliente", kLabelLeft, 18, 90);
  edtNmCliente = NewControl<platform::TEdit>(this, grbDadosRel, "edtNmCliente", kEditLeft, 14, kEditWidth, 21);
  edtNmCliente->SetEnabled(false);
  lblArquivo = NewBoldLabel(this, grbDadosRel, "lblArquivo", "Arquivo", kLabelLeft, 46, 90);
  edtArquivo = NewControl<platform::TEdit>(this, grbDadosRel, "edtArquivo", kEditLeft, 42, kEditWidth, 21);
  lblCodificacao = NewBoldLabel(this, grbDadosRel, "lblCodificacao", "Codificação", kLabelLeft, 74, 90);
  cbbCodificacao = NewControl<platform::TComboBox>(this, grbDadosRel, "cbbCodificacao", kEditLeft, 70, 160, 21);
  cbbCodificacao->Style = platform::csDropDownList;
  cbbCodificacao->Items = {"Automática", "UTF-8", "Windows-1252"};
  cbbCodificacao->SetItemIndex(0);
  lblColunas = NewControl<platform::TLabel>(this, grbDadosRel, "lblColunas", kLabelLeft, 102, 400, 40);
  lblColunas->SetCaption(
      "Colunas (como na exportação da Tabela de Preços por Cliente): Produto e Preço; opcionais Validade "
      "Inicial, Validade Final e Cliente ou Inscrição (CNPJ/CPF).\nModelo: Produto;Preço;Validade "
      "Inicial;Validade Final");
  lblArquivo->FocusControl = edtArquivo;
  FillCatalog();
  SetActiveControl(edtArquivo);
}

void TfrmImpPlanilha::FillCatalog() {
  msgPadrao->Add("Arquivo_Deve", "Arquivo deve ser informado.");
  msgPadrao->Add("Import_Ok", "Importação gravada: %s preços criados ou alterados.");
  msgPadrao->Add("Import_Vazia", "Nenhum preço a gravar: a planilha não altera nenhum preço.");
}

void TfrmImpPlanilha::sbtConfirmaClick(platform::TObject*) {
  if (Consiste::EmptyString(edtArquivo->Text())) {
    edtArquivo->SetFocus();
    Consiste::MensErro(msgPadrao->Msg("Arquivo_Deve"), true);
  }
  const Planilha::TTabela table = [&] {
    Showavi::TShowAviScope wait(nullptr, Showavi::saPesquisa);
    return Planilha::LeTabela(edtArquivo->Text(), ImportColumns(), EncodingAt(cbbCodificacao->ItemIndex()));
  }();
  const platform::Variant lines = ImportLines(table);
  const int levels = Norvexa::DBPictObj(Picture::ptProduto).GetTtNiveis();
  const ImportPreview preview = MergeFileRefusals(
      ServerCall<contracts::server::GetPreviaImpPreco>(*session.netTabPreClie, Showavi::saPesquisa, lines,
                                                       Cliente.CdCliente, levels),
      table);
  if (!ConfirmaImportacao(preview)) return;
  if (preview.record.created + preview.record.changed == 0) {
    platform::MessageDlg(msgPadrao->Msg("Import_Vazia"), platform::mtInformation, {platform::mbOK}, 0);
    return;
  }
  const contracts::server::RunReply written = ServerCallAfterPreview<contracts::server::SetImpPreco>(
      *session.netTabPreClie, Showavi::saGravacao, preview.record.historyMark, lines, Cliente.CdCliente, levels);
  if (boGravado) *boGravado = true;
  std::string done = msgPadrao->Msg("Import_Ok");
  done.replace(done.find("%s"), 2, platform::FormatFloat("#,##0", static_cast<double>(preview.record.created +
                                                                                          preview.record.changed)));
  platform::MessageDlg(done, platform::mtInformation, {platform::mbOK}, 0);
  MostraAlteradosDesdePrevia(written);
  Close();
}

}  // namespace Cli_VQR51205
