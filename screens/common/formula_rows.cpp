#include "screens/common/formula_rows.h"

#include "screens/common/components.h"

namespace Pkg_VQR51200 {

TFormulaRowFields NewFormulaRows(platform::TComponent* owner, const char* name) {
  constexpr const char* kValueFormat = "#,###0.000";
  TFormulaRowFields f{};
  f.dataSet = NewDataSet(owner, name);
  f.CDFATPRECO = NewField<platform::TStringField>(f.dataSet, "CDFATPRECO", "", 3);
  f.CDCLIENTE = NewField<platform::TStringField>(f.dataSet, "CDCLIENTE", "", 21);
  f.SGFATPRECO = NewField<platform::TStringField>(f.dataSet, "SGFATPRECO", "Fator", 4);
  f.NRORDEMFAT = NewField<platform::TStringField>(f.dataSet, "NRORDEMFAT", "Ordem", 3);
  f.IDDETFATPRE = NewField<platform::TStringField>(f.dataSet, "IDDETFATPRE", "Determinação", 1);
  f.IDDETFATPRE->SetDisplayWidth(1);
  f.VRFATPRECLIE = NewField<platform::TFloatField>(f.dataSet, "VRFATPRECLIE", "Valor");
  f.VRFATPRECLIE->SetDisplayFormat(kValueFormat);
  f.VRFATPRECLIE->SetEditFormat(kValueFormat);
  f.IDTPOPERFATCLIE = NewField<platform::TStringField>(f.dataSet, "IDTPOPERFATCLIE", "Integração", 3);
  f.dataSet->SetIndexFieldNames("NRORDEMFAT");
  return f;
}

}  // namespace Pkg_VQR51200
