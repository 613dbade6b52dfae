// TfrmFormCompPreco: adding, changing and deleting formula rows. Which commands and
// columns can be used in each state of the rows, the four row buttons, the screen's
// keys (shown to the screen before the focused control) and the grid's key rules.
#include "contracts/framework/consiste.h"
#include "platform/core/exceptions.h"
#include "screens/Cli_VQR51201/cli_vqr51201.h"
#include "screens/Cli_VQR51201/frm_form_comp_preco.h"
#include "screens/common/grid_keys.h"

namespace Cli_VQR51201 {

using platform::TShiftState;

namespace {

bool IsDigit(char32_t ch) { return ch >= U'0' && ch <= U'9'; }

// The determination a letter key stands for (whatever the Shift state).
const char* DeterminationOfKey(std::uint16_t key) {
  switch (key) {
    case 'M': return "M";
    case 'N': return "N";
    case 'P': return "P";
    default: return nullptr;
  }
}

// The operation a numeric keypad key stands for; the main keyboard's + and - are not
// operations here.
const char* OperationOfKey(std::uint16_t key) {
  switch (key) {
    case platform::VK_ADD: return "SUM";
    case platform::VK_SUBTRACT: return "SUB";
    case platform::VK_MULTIPLY: return "MUL";
    case platform::VK_DIVIDE: return "DIV";
    default: return nullptr;
  }
}

}  // namespace

bool TfrmFormCompPreco::Editing() const { return cdsFatAjustPreClie->IsEditing(); }

bool TfrmFormCompPreco::Inserting() const { return cdsFatAjustPreClie->State() == platform::dsInsert; }

// Row commands only while browsing (change and delete need a row); cancel and
// confirm while a row is being edited; closing always.
void TfrmFormCompPreco::Habilita_Botoes() {
  const bool editing = Editing();
  const bool hasRows = !cdsFatAjustPreClie->IsEmpty();
  sbtIncluir->SetEnabled(!editing);
  sbtAlterar->SetEnabled(!editing && hasRows);
  sbtExcluir->SetEnabled(!editing && hasRows);
  sbtCancelar->SetEnabled(editing);
  sbtConfirma->SetEnabled(editing);
  sbtCancel->SetEnabled(true);
}

// The order and the factor of a row are typed only while the row is new.
void TfrmFormCompPreco::Habilitacao_Grid() {
  dbgCompPreClie->Options.Include(platform::dgEditing);
  const platform::TField* field = dbgCompPreClie->SelectedField();
  if ((field == cdsFatAjustPreClieNRORDEMFAT || field == cdsFatAjustPreClieSGFATPRECO) && !Inserting())
    dbgCompPreClie->Options.Exclude(platform::dgEditing);
}

void TfrmFormCompPreco::dtsFatAjustPreClieStateChange(platform::TObject*) { Habilita_Botoes(); }

void TfrmFormCompPreco::dbgCompPreClieEnter(platform::TObject*) { Habilitacao_Grid(); }

void TfrmFormCompPreco::dbgCompPreClieColEnter(platform::TObject*) { Habilitacao_Grid(); }

void TfrmFormCompPreco::cdsFatAjustPreClieAfterScroll(platform::TDataSet&) { Habilitacao_Grid(); }

// A new row starts in the grid on its order, the first thing to type.
void TfrmFormCompPreco::sbtIncluirClick(platform::TObject*) {
  if (Editing()) return;
  dbgCompPreClie->SetFocus();
  cdsFatAjustPreClie->Insert();
  dbgCompPreClie->SetSelectedField(cdsFatAjustPreClieNRORDEMFAT);
}

// A change starts in the grid with the cell editor open, on the value when the column
// selected cannot change in an existing row.
void TfrmFormCompPreco::sbtAlterarClick(platform::TObject*) {
  if (Editing() || cdsFatAjustPreClie->IsEmpty()) return;
  dbgCompPreClie->SetFocus();
  const platform::TField* field = dbgCompPreClie->SelectedField();
  if (field == cdsFatAjustPreClieNRORDEMFAT || field == cdsFatAjustPreClieSGFATPRECO)
    dbgCompPreClie->SetSelectedField(cdsFatAjustPreClieVRFATPRECLIE);
  cdsFatAjustPreClie->Edit();
  dbgCompPreClie->SetEditorMode(true);
}

void TfrmFormCompPreco::sbtExcluirClick(platform::TObject*) {
  if (Editing() || cdsFatAjustPreClie->IsEmpty()) return;
  if (msgPadrao->ShowMsg("Excl", platform::mtConfirmation, {platform::mbYes, platform::mbNo}, 0) != platform::mrYes)
    return;
  cdsFatAjustPreClie->Delete();
}

void TfrmFormCompPreco::sbtCancelarClick(platform::TObject*) {
  if (msgPadrao->ShowMsg("Canc", platform::mtConfirmation, {platform::mbYes, platform::mbNo}, 0) != platform::mrYes)
    return;
  cdsFatAjustPreClie->Cancel();
  Habilita_Botoes();
}

// Keys of the whole screen, before the focused control. Ctrl+Delete is used up here:
// the grid would otherwise delete the next row with its own question.
void TfrmFormCompPreco::FormKeyDown(platform::TObject* Sender, std::uint16_t& Key, TShiftState Shift) {
  Frmrotgeral::TfrmRotiGeral::FormKeyDown(Sender, Key, Shift);
  const bool editing = Editing();
  const bool ctrl = Shift.Contains(platform::ssCtrl);
  switch (Key) {
    case platform::VK_RETURN:
      if (!editing)
        sbtConfirmaClick(sbtConfirma);
      else if (ctrl)
        cdsFatAjustPreClie->Post();
      break;
    case platform::VK_ESCAPE:
      if (!editing) {
        sbtCancelClick(sbtCancel);
      } else if (msgPadrao->ShowMsg("Canc", platform::mtConfirmation, {platform::mbYes, platform::mbNo}, 0) ==
                 platform::mrYes) {
        cdsFatAjustPreClie->Cancel();
      } else {
        platform::Abort();
      }
      Key = 0;  // used up: the window's own Escape must not close it as well
      break;
    case platform::VK_F2:
      if (!editing) sbtIncluirClick(sbtIncluir);
      break;
    case platform::VK_F3:
      if (!editing) sbtAlterarClick(sbtAlterar);
      break;
    case platform::VK_F4:
      if (!editing) sbtExcluirClick(sbtExcluir);
      break;
    case platform::VK_DELETE:
      if (!editing && ctrl) {
        sbtExcluirClick(sbtExcluir);
        Key = 0;
      }
      break;
    default:
      break;
  }
}

// The coded columns take no character (their keys and pick lists fill them); the
// order takes digits; the value takes what a price takes, digits and one decimal comma.
void TfrmFormCompPreco::dbgCompPreClieKeyPress(platform::TObject*, char32_t& Key) {
  const platform::TField* field = dbgCompPreClie->SelectedField();
  if (field == cdsFatAjustPreClieIDDETFATPRE || field == cdsFatAjustPreClieIDTPOPERFATCLIE) {
    if (Key != U'\t' && Key != U'\r') Key = 0;
  } else if (field == cdsFatAjustPreClieNRORDEMFAT) {
    if (Key != U'\b' && Key != U'\t' && Key != U'\r' && !IsDigit(Key)) Key = 0;
  } else if (field == cdsFatAjustPreClieVRFATPRECLIE) {
    Pkg_VQR51200::KeepDecimalChar(Key, Consiste::GridText(*dbgCompPreClie, "VRFATPRECLIE", false));
  }
}

// On the coded columns every key but moving is used up; the code keys store their
// code, starting the edit of the row when needed.
void TfrmFormCompPreco::dbgCompPreClieKeyDown(platform::TObject*, std::uint16_t& Key, TShiftState) {
  platform::TField* field = dbgCompPreClie->SelectedField();
  const char* code;
  if (field == cdsFatAjustPreClieIDDETFATPRE)
    code = DeterminationOfKey(Key);
  else if (field == cdsFatAjustPreClieIDTPOPERFATCLIE)
    code = OperationOfKey(Key);
  else
    return;
  if (Pkg_VQR51200::MovesOnInGrid(Key)) return;
  Key = 0;
  if (!code) return;
  if (!Editing()) cdsFatAjustPreClie->Edit();
  field->SetAsString(code);
}

}  // namespace Cli_VQR51201
