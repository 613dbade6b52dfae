#include "screens/Cli_VQR51205/frm_previa.h"

#include "contracts/framework/norvexa.h"
#include "contracts/server/tab_pre_clie_methods.h"
#include "screens/common/components.h"
#include "screens/common/price_format.h"

namespace Cli_VQR51205 {

using namespace Pkg_VQR51200;

namespace {

constexpr int kWidth = 700;
constexpr int kHeight = 420;

}  // namespace

std::string PreviewSummary(const contracts::server::PreviewCounts& c, TTipoPrevia kind, std::size_t shownRows) {
  std::string summary = "Preços a criar: ";
  summary += CountText(c.created);
  summary += " | a alterar: ";
  summary += CountText(c.changed);
  summary += " | sem alteração: ";
  summary += CountText(c.unchanged);
  if (kind == TTipoPrevia::tpImportacao) {
    summary += " | linhas recusadas: ";
    summary += CountText(c.blocked);
  } else {
    summary += kind == TTipoPrevia::tpCopiaPreco ? " | produtos sem preço na origem: " : " | produtos sem custo: ";
    summary += CountText(c.skipped);
  }
  if (kind != TTipoPrevia::tpRecalculo) {
    summary += " | clientes: ";
    summary += CountText(c.customers);
  }
  if (static_cast<std::int64_t>(shownRows) < c.created + c.changed) {
    summary += "\nMostrando as ";
    summary += CountText(static_cast<std::int64_t>(shownRows));
    summary += " maiores variações.";
  }
  return summary;
}

TfrmPrevia::TfrmPrevia(platform::TComponent* owner) : Frmrotgeral::TfrmRotiGeral(owner) {
  SetName("frmPrevia");
  SetCaption("Prévia");
  SetBounds(0, 0, kWidth, kHeight);
  lblCodTela->SetCaption("VQR51205");
  sbtConfirma->SetVisible(false);
  lblResumo = NewControl<platform::TLabel>(this, grbDadosRel, "lblResumo", 8, 12, kWidth - 80, 30);
  lblResumo->Font().Bold = true;
  CreateDataSet();
  CreateGrid();
  SetActiveControl(dbgPrevia);
}

void TfrmPrevia::CreateDataSet() {
  cdsPrevia = Pkg_VQR51200::NewDataSet(this, "cdsPrevia");
  cdsPreviaIDBLOQUEIO = NewField<platform::TStringField>(cdsPrevia, "IDBLOQUEIO", "Situação", 1);
  cdsPreviaCDCLIENTE = NewField<platform::TStringField>(cdsPrevia, "CDCLIENTE", "Código", 21);
  cdsPreviaNMRAZSOCCLIE = NewField<platform::TStringField>(cdsPrevia, "NMRAZSOCCLIE", "Cliente", 50);
  cdsPreviaCDPRODUTO = NewField<platform::TStringField>(cdsPrevia, "CDPRODUTO", "", 10);
  cdsPreviaCDARVPROD = NewField<platform::TStringField>(cdsPrevia, "CDARVPROD", "Produto", 20);
  cdsPreviaNMPRODUTO = NewField<platform::TStringField>(cdsPrevia, "NMPRODUTO", "Nome", 50);
  cdsPreviaVRPRECOANT = NewField<platform::TFloatField>(cdsPrevia, "VRPRECOANT", "Preço Atual");
  cdsPreviaVRPRECONOV = NewField<platform::TFloatField>(cdsPrevia, "VRPRECONOV", "Preço Novo");
  cdsPreviaPCVARIACAO = NewField<platform::TFloatField>(cdsPrevia, "PCVARIACAO", "Variação %");
  cdsPreviaVRPRECOANT->SetDisplayFormat(kPriceFormat);
  cdsPreviaVRPRECONOV->SetDisplayFormat(kPriceFormat);
  cdsPreviaPCVARIACAO->SetDisplayFormat("###,#0.00");
  cdsPreviaIDBLOQUEIO->OnGetText = [this](platform::TField& f, std::string& t, bool d) {
    cdsPreviaIDBLOQUEIOGetText(f, t, d);
  };
  dtsPrevia = Pkg_VQR51200::NewDataSource(this, "dtsPrevia", cdsPrevia);
}

void TfrmPrevia::CreateGrid() {
  dbgPrevia = Pkg_VQR51200::NewReadOnlyGrid(this, grbDadosRel, "dbgPrevia", 8, 46, kWidth - 80, kHeight - 90, dtsPrevia);
  for (auto [field, width] : {std::pair{"IDBLOQUEIO", 70}, {"NMRAZSOCCLIE", 150}, {"CDARVPROD", 70},
                              {"NMPRODUTO", 150}, {"VRPRECOANT", 80}, {"VRPRECONOV", 80}, {"PCVARIACAO", 70}})
    Pkg_VQR51200::AddColumn(*dbgPrevia, field, width);
}

void TfrmPrevia::FormActivate(platform::TObject* Sender) {
  Frmrotgeral::TfrmRotiGeral::FormActivate(Sender);
  cdsPreviaCDARVPROD->SetEditMask(Norvexa::DBPictObj(Picture::ptProduto).EditMask());
}

// A blocked product reads "Bloqueado" (a refused line of an import "Recusada"); the
// others nothing.
void TfrmPrevia::cdsPreviaIDBLOQUEIOGetText(platform::TField& Sender, std::string& Text, bool) {
  Text = Sender.AsString() == "S" ? (import_ ? "Recusada" : "Bloqueado") : "";
}

void TfrmPrevia::sbtConfirmaClick(platform::TObject*) {
  if (boConfirmado) *boConfirmado = true;
  Close();
}

void TfrmPrevia::AddImportColumns() {
  import_ = true;
  NewField<platform::TIntegerField>(cdsPrevia, "NRLINHA", "Linha");
  NewField<platform::TStringField>(cdsPrevia, "NMCOLUNA", "Coluna", 40);
  NewField<platform::TStringField>(cdsPrevia, "DSVALOR", "Valor", 100);
  NewField<platform::TStringField>(cdsPrevia, "DSMOTIVO", "Motivo", 200);
  for (auto [field, width] : {std::pair{"NRLINHA", 45}, {"NMCOLUNA", 80}, {"DSVALOR", 80}, {"DSMOTIVO", 250}})
    Pkg_VQR51200::AddColumn(*dbgPrevia, field, width);
}

void TfrmPrevia::ShowImportPreview(const contracts::server::ReplyOf<contracts::server::ImportPreviewData>& answer) {
  SetCaption("Prévia da importação");
  AddImportColumns();
  sbtConfirma->SetVisible(true);
  ShowPreview({answer.packet, answer.record}, TTipoPrevia::tpImportacao, "");
  std::string summary = PreviewSummary(answer.record, TTipoPrevia::tpImportacao, cdsPrevia->RecordCount());
  if (answer.record.blocked != 0) {
    summary += "\nConfirmar grava só as linhas aceitas; Fechar não grava nada.";
    lblResumo->Font().Color = platform::clRed;
  }
  lblResumo->SetCaption(summary);
}

void TfrmPrevia::ShowPreview(const contracts::server::PreviewReply& answer, TTipoPrevia kind,
                             const std::string& blockedText) {
  cdsPrevia->SetData(answer.packet);
  cdsPreviaCDARVPROD->SetEditMask(Norvexa::DBPictObj(Picture::ptProduto).EditMask());
  dbgPrevia->Columns[1].Visible = kind != TTipoPrevia::tpRecalculo;
  const bool blocked = answer.record.blocked != 0 && kind != TTipoPrevia::tpImportacao;
  lblResumo->SetCaption(blocked ? blockedText : PreviewSummary(answer.record, kind, cdsPrevia->RecordCount()));
  if (blocked) lblResumo->Font().Color = platform::clRed;
  cdsPrevia->First();
}

}  // namespace Cli_VQR51205
