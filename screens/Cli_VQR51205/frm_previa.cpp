#include "screens/Cli_VQR51205/frm_previa.h"

#include <vector>

#include "contracts/framework/norvexa.h"
#include "contracts/server/tab_pre_clie_methods.h"
#include "platform/text/float_format.h"
#include "screens/common/components.h"
#include "screens/common/price_format.h"

namespace Cli_VQR51205 {

using Pkg_VQR51200::kPriceFormat;
using Pkg_VQR51200::NewControl;
using Pkg_VQR51200::NewField;

namespace {

constexpr int kWidth = 700;
constexpr int kHeight = 420;

std::vector<long long> Counts(const std::string& text) {
  std::vector<long long> counts;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    counts.push_back(std::stoll(text.substr(start, end - start)));
    start = end + 1;
  }
  if (counts.size() != 6) throw platform::Exception("Resumo da prévia inválido: '" + text + "'.");
  return counts;
}

std::string Count(long long value) { return platform::FormatFloat("#,##0", static_cast<double>(value)); }

}  // namespace

std::string PreviewSummary(const std::string& text, TTipoPrevia kind, std::size_t shownRows) {
  std::vector<long long> c = Counts(text);
  std::string summary = "Preços a criar: ";
  summary += Count(c[0]);
  summary += " | a alterar: ";
  summary += Count(c[1]);
  summary += " | sem alteração: ";
  summary += Count(c[2]);
  summary += kind == TTipoPrevia::tpCopiaPreco ? " | produtos sem preço na origem: " : " | produtos sem custo: ";
  summary += Count(c[3]);
  if (kind != TTipoPrevia::tpRecalculo) {
    summary += " | clientes: ";
    summary += Count(c[4]);
  }
  if (static_cast<long long>(shownRows) < c[0] + c[1]) {
    summary += "\nMostrando as ";
    summary += Count(static_cast<long long>(shownRows));
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

// A blocked product reads "Bloqueado"; the others nothing.
void TfrmPrevia::cdsPreviaIDBLOQUEIOGetText(platform::TField& Sender, std::string& Text, bool) {
  Text = Sender.AsString() == "S" ? "Bloqueado" : "";
}

void TfrmPrevia::ShowPreview(const platform::Variant& answer, TTipoPrevia kind, const std::string& blockedText) {
  const platform::Variant::Array& parts = answer.asArray();
  if (parts.size() != 2) throw platform::Exception("Resposta da prévia sem as linhas e o resumo.");
  cdsPrevia->SetData(parts[0]);
  cdsPreviaCDARVPROD->SetEditMask(Norvexa::DBPictObj(Picture::ptProduto).EditMask());
  dbgPrevia->Columns[1].Visible = kind != TTipoPrevia::tpRecalculo;
  const std::string counts = parts[1].toString();
  const bool blocked = counts.substr(counts.rfind(';') + 1) != "0";
  lblResumo->SetCaption(blocked ? blockedText : PreviewSummary(counts, kind, cdsPrevia->RecordCount()));
  if (blocked) lblResumo->Font().Color = platform::clRed;
  cdsPrevia->First();
}

}  // namespace Cli_VQR51205
