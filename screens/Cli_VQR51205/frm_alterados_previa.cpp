#include "screens/Cli_VQR51205/frm_alterados_previa.h"

#include "contracts/framework/norvexa.h"
#include "screens/common/components.h"
#include "screens/common/price_format.h"

namespace Cli_VQR51205 {

using namespace Pkg_VQR51200;

// The window's client area.
constexpr int kWidth = 760, kHeight = 420;

std::string ChangedSinceSummary(const contracts::server::ChangedSinceCount& count, std::size_t shownRows) {
  std::string summary = "Alterados por outras gravações desde a prévia: " + CountText(count.changed) +
                        "\nO comando gravou sobre essas alterações os preços da coluna \"Preço gravado\".";
  if (static_cast<std::int64_t>(shownRows) < count.changed)
    summary += "\nMostrando os primeiros " + CountText(static_cast<std::int64_t>(shownRows)) + ".";
  return summary;
}

TfrmAlteradosPrevia::TfrmAlteradosPrevia(platform::TComponent* owner) : Frmrotgeral::TfrmRotiGeral(owner) {
  IdentifyScreen(*this, *lblCodTela, "frmAlteradosPrevia", "Alterados desde a prévia", "VQR51205", kWidth, kHeight);
  sbtConfirma->SetVisible(false);
  lblResumo = NewControl<platform::TLabel>(this, grbDadosRel, "lblResumo", 8, 12, kWidth - 80, 44);
  lblResumo->Font().Bold = true;
  lblResumo->Font().Color = platform::clRed;
  cdsAlterados = NewDataSet(this, "cdsAlterados");
  NewField<platform::TStringField>(cdsAlterados, "CDCLIENTE", "Código", 21);
  NewField<platform::TStringField>(cdsAlterados, "NMRAZSOCCLIE", "Cliente", 50);
  NewField<platform::TStringField>(cdsAlterados, "CDPRODUTO", "", 10);
  cdsAlteradosCDARVPROD = NewField<platform::TStringField>(cdsAlterados, "CDARVPROD", "Produto", 20);
  NewField<platform::TStringField>(cdsAlterados, "NMPRODUTO", "Nome", 50);
  NewField<platform::TStringField>(cdsAlterados, "CDUSUARIO", "Alterado por", 20);
  NewField<platform::TDateTimeField>(cdsAlterados, "DTHRALT", "Em")->SetDisplayFormat("dd/mm/yyyy hh:nn");
  NewField<platform::TFloatField>(cdsAlterados, "VRPRECOANT", "Preço deixado")->SetDisplayFormat(kPriceFormat);
  NewField<platform::TFloatField>(cdsAlterados, "VRPRECONOV", "Preço gravado")->SetDisplayFormat(kPriceFormat);
  dtsAlterados = NewDataSource(this, "dtsAlterados", cdsAlterados);
  dbgAlterados = NewReadOnlyGrid(this, grbDadosRel, "dbgAlterados", 8, 60, kWidth - 80, kHeight - 104, dtsAlterados);
  for (auto [field, width] : {std::pair{"NMRAZSOCCLIE", 150}, {"CDARVPROD", 70}, {"NMPRODUTO", 140},
                              {"CDUSUARIO", 80}, {"DTHRALT", 100}, {"VRPRECOANT", 80}, {"VRPRECONOV", 80}})
    AddColumn(*dbgAlterados, field, width);
  SetActiveControl(dbgAlterados);
}

void TfrmAlteradosPrevia::FormActivate(platform::TObject* Sender) {
  Frmrotgeral::TfrmRotiGeral::FormActivate(Sender);
  cdsAlteradosCDARVPROD->SetEditMask(Norvexa::DBPictObj(Picture::ptProduto).EditMask());
}

void TfrmAlteradosPrevia::ShowChanges(const contracts::server::RunReply& reply) {
  cdsAlterados->SetData(reply.packet);
  cdsAlteradosCDARVPROD->SetEditMask(Norvexa::DBPictObj(Picture::ptProduto).EditMask());
  lblResumo->SetCaption(ChangedSinceSummary(reply.record, cdsAlterados->RecordCount()));
  cdsAlterados->First();
}

}  // namespace Cli_VQR51205
