#pragma once
// The client dataset of a customer's formula rows as the server sends them
// (GetFatPreClie), for the screens that hold them: the formula screen, which edits
// them, and the copy screen, which keeps the source's.
//
//   TFormulaRowFields fields = NewFormulaRows(this, "cdsFatAjustPreClie");
//
// Fields in the server's order (CDFATPRECO, CDCLIENTE, SGFATPRECO "Fator", NRORDEMFAT
// "Ordem", IDDETFATPRE "Determinação", VRFATPRECLIE "Valor" shown and edited as
// #,###0.000, IDTPOPERFATCLIE "Integração"), each named dataset + column; the rows are
// kept in the text order of NRORDEMFAT.
#include "platform/data/client_dataset.h"
#include "platform/data/field.h"

namespace Pkg_VQR51200 {

struct TFormulaRowFields {
  platform::TClientDataSet* dataSet;
  platform::TStringField* CDFATPRECO;
  platform::TStringField* CDCLIENTE;
  platform::TStringField* SGFATPRECO;
  platform::TStringField* NRORDEMFAT;
  platform::TStringField* IDDETFATPRE;
  platform::TFloatField* VRFATPRECLIE;
  platform::TStringField* IDTPOPERFATCLIE;
};

TFormulaRowFields NewFormulaRows(platform::TComponent* owner, const char* name);

}  // namespace Pkg_VQR51200
