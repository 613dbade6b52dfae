#pragma once
// Forms of the test module: each exercises one part of the toolkit through the host.
// Every event a test wants to see is appended to the caption of a label named lblLog
// ("edtA1.Exit;panA.Exit;..."), which the automation reads from the snapshot.
#include <string>

#include "platform/ui/buttons.h"
#include "platform/ui/edit.h"
#include "platform/ui/form.h"
#include "platform/ui/std_controls.h"

namespace testmodule {

// Appends one entry to a form's lblLog.
void Log(platform::TLabel* log, const std::string& entry);

// The main test form (MDI child, created once by IniProc): nested panels with logged
// enter and exit handlers, an edit whose exit aborts while empty, key preview at form
// level, and buttons that raise, abort, and open the other test forms.
class TfrmTeste : public platform::TForm {
 public:
  explicit TfrmTeste(platform::TComponent* owner);

  platform::TLabel* lblLog;
  platform::TPanel* panA;
  platform::TEdit* edtA1;
  platform::TPanel* panInner;
  platform::TEdit* edtA2;
  platform::TPanel* panB;
  platform::TEdit* edtB1;
  platform::TEdit* edtObrigatorio;
  platform::TCheckBox* chkNaoFechar;
  platform::TButton* btnModal;
  platform::TButton* btnErro;
  platform::TButton* btnAbort;
  platform::TButton* btnDesabilitado;
  platform::TButton* btnGrade;
  platform::TButton* btnGrade100k;
  platform::TButton* btnMascara;
  platform::TSpeedButton* sbtLimpar;
};

// A modal form with a question box inside: btnPerguntar asks Yes/No and writes the
// answer into lblResposta; btnOK closes with mrOk.
class TfrmModal : public platform::TForm {
 public:
  explicit TfrmModal(platform::TComponent* owner);
  platform::TLabel* lblResposta;
  platform::TButton* btnPerguntar;
  platform::TButton* btnOK;
};

extern TfrmTeste* frmTeste;

}  // namespace testmodule
