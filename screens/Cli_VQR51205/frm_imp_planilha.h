#pragma once
// TfrmImpPlanilha: the import of special prices from a spreadsheet, shown modally.
//
// edtArquivo names the file (XLSX or CSV); btnArquivo opens the browser's file chooser,
// which fills it with the file it uploaded; btnModelo gives the template to fill in
// (an XLSX of the columns read, downloaded like a report's spreadsheet). cbbCodificacao the encoding of a CSV (automatic, UTF-8 or
// Windows-1252), lblColunas says which columns are read. Confirmar reads the file,
// asks the server for the preview and shows it; there Confirmar writes the accepted
// lines and the window closes, Fechar writes nothing and the window stays. A file the
// framework cannot read is named in an error box and nothing is sent.
#include <string>

#include "contracts/framework/frmrotgeral.h"
#include "contracts/module/cliente.h"
#include "platform/ui/buttons.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/edit.h"
#include "platform/ui/std_controls.h"
#include "screens/common/module_session.h"

namespace Cli_VQR51205 {

class TfrmImpPlanilha : public Frmrotgeral::TfrmRotiGeral {
 public:
  TfrmImpPlanilha(platform::TComponent* owner, Pkg_VQR51200::TModuleSession& session);

  Pkg_VQR51200::TModuleSession& session;
  Pkg_VQR51200::TCliente Cliente;
  // Set when prices were written.
  bool* boGravado = nullptr;

  platform::TLabel* lblCliente;
  platform::TEdit* edtNmCliente;
  platform::TLabel* lblArquivo;
  platform::TEdit* edtArquivo;
  platform::TFileButton* btnArquivo;
  platform::TLabel* lblCodificacao;
  platform::TComboBox* cbbCodificacao;
  platform::TLabel* lblColunas;
  platform::TButton* btnModelo;

  void sbtConfirmaClick(platform::TObject* Sender) override;
  void btnModeloClick(platform::TObject* Sender);

 private:
  void FillCatalog();
};

}  // namespace Cli_VQR51205
