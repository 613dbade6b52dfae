#include "tests/testmodule/test_forms.h"

#include "platform/core/exceptions.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "tests/testmodule/grid_form.h"
#include "tests/testmodule/mask_form.h"

namespace testmodule {

using namespace platform;

TfrmTeste* frmTeste = nullptr;

void Log(TLabel* log, const std::string& entry) {
  std::string caption = log->Caption();
  log->SetCaption(caption.empty() ? entry : caption + ";" + entry);
}

template <class T>
static T* make(TComponent* owner, TControl* parent, const char* name, int left, int top) {
  auto* c = new T(owner);
  c->SetName(name);
  c->SetParent(parent);
  c->SetLeft(left);
  c->SetTop(top);
  return c;
}

static void logEnterExit(TLabel* log, TControl* c) {
  c->OnEnter = [log, c](TObject*) { Log(log, c->Name() + ".Enter"); };
  c->OnExit = [log, c](TObject*) { Log(log, c->Name() + ".Exit"); };
}

TfrmTeste::TfrmTeste(TComponent* owner) : TForm(owner) {
  SetName("frmTeste");
  SetCaption("Formulário de Teste");
  SetFormStyle(fsMDIChild);
  SetBounds(20, 20, 600, 400);
  KeyPreview = true;

  lblLog = make<TLabel>(this, this, "lblLog", 8, 360);
  panA = make<TPanel>(this, this, "panA", 8, 8);
  edtA1 = make<TEdit>(this, panA, "edtA1", 8, 8);
  panInner = make<TPanel>(this, panA, "panInner", 8, 40);
  edtA2 = make<TEdit>(this, panInner, "edtA2", 8, 8);
  panB = make<TPanel>(this, this, "panB", 300, 8);
  edtB1 = make<TEdit>(this, panB, "edtB1", 8, 8);
  edtObrigatorio = make<TEdit>(this, this, "edtObrigatorio", 8, 200);
  chkNaoFechar = make<TCheckBox>(this, this, "chkNaoFechar", 8, 230);
  chkNaoFechar->SetCaption("Não deixar fechar");
  btnModal = make<TButton>(this, this, "btnModal", 8, 260);
  btnModal->SetCaption("Modal");
  btnErro = make<TButton>(this, this, "btnErro", 90, 260);
  btnErro->SetCaption("Erro");
  btnAbort = make<TButton>(this, this, "btnAbort", 172, 260);
  btnAbort->SetCaption("Abortar");
  btnDesabilitado = make<TButton>(this, this, "btnDesabilitado", 254, 260);
  btnDesabilitado->SetCaption("Desabilitado");
  btnDesabilitado->SetEnabled(false);
  btnGrade = make<TButton>(this, this, "btnGrade", 8, 300);
  btnGrade->SetCaption("Grade");
  btnGrade100k = make<TButton>(this, this, "btnGrade100k", 90, 300);
  btnGrade100k->SetCaption("Grade grande");
  btnMascara = make<TButton>(this, this, "btnMascara", 172, 300);
  btnMascara->SetCaption("Máscaras");
  sbtLimpar = make<TSpeedButton>(this, this, "sbtLimpar", 254, 300);
  sbtLimpar->SetHint("Limpar");

  for (TControl* c : std::initializer_list<TControl*>{panA, edtA1, panInner, edtA2, panB, edtB1})
    logEnterExit(lblLog, c);
  edtObrigatorio->OnExit = [this](TObject*) {
    if (edtObrigatorio->Text().empty()) {
      Log(lblLog, "edtObrigatorio.Recusado");
      edtObrigatorio->SetFocus();
      MessageDlg("Campo obrigatório.", mtError, {mbOK}, 0);
      Abort();
    }
  };
  OnKeyDown = [this](TObject*, std::uint16_t& key, TShiftState) {
    Log(lblLog, "Form.KeyDown." + std::to_string(key));
    if (key == VK_F5) key = 0;  // the form keeps F5 for itself
  };
  OnKeyPress = [this](TObject*, char32_t& ch) {
    if (ch == U'#') ch = 0;
  };
  edtA1->OnKeyDown = [this](TObject*, std::uint16_t& key, TShiftState) {
    Log(lblLog, "edtA1.KeyDown." + std::to_string(key));
  };
  edtA1->OnKeyPress = [this](TObject*, char32_t& ch) {
    if (ch == U'x') ch = 0;
  };
  OnCloseQuery = [this](TObject*, bool& canClose) { canClose = !chkNaoFechar->Checked(); };
  btnErro->OnClick = [](TObject*) { throw Exception("Falha de teste no botão."); };
  btnAbort->OnClick = [](TObject*) { Abort(); };
  btnDesabilitado->OnClick = [this](TObject*) { Log(lblLog, "btnDesabilitado.Click"); };
  sbtLimpar->OnClick = [this](TObject*) { lblLog->SetCaption(""); };
  btnModal->OnClick = [this](TObject*) {
    TfrmModal* modal = NewForm<TfrmModal>(this);
    TModalResult result = modal->ShowModal();
    Log(lblLog, "modal=" + std::to_string(result) + ":" + modal->lblResposta->Caption());
    delete modal;
  };
  btnGrade->OnClick = [](TObject*) { ShowGridForm(20); };
  btnGrade100k->OnClick = [](TObject*) { ShowGridForm(100000); };
  btnMascara->OnClick = [](TObject*) { ShowMaskForm(); };
}

TfrmModal::TfrmModal(TComponent* owner) : TForm(owner) {
  SetName("frmModal");
  SetCaption("Janela Modal");
  SetBorderStyle(bsDialog);
  SetBounds(100, 100, 300, 160);
  lblResposta = make<TLabel>(this, this, "lblResposta", 8, 8);
  btnPerguntar = make<TButton>(this, this, "btnPerguntar", 8, 60);
  btnPerguntar->SetCaption("Perguntar");
  btnOK = make<TButton>(this, this, "btnOK", 100, 60);
  btnOK->SetCaption("OK");
  btnOK->ModalResult = mrOk;
  btnPerguntar->OnClick = [this](TObject*) {
    int answer = MessageDlg("Confirma?", mtConfirmation, {mbYes, mbNo}, 0);
    lblResposta->SetCaption(answer == mrYes ? "Sim" : answer == mrNo ? "Não" : "?");
  };
}

}  // namespace testmodule
