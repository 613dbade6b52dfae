#pragma once
// Frmpadrgrid: TfrmPadraoGrid, the base of the screens that keep records in a grid
// (a child window of the host's main window).
//
// Layout, top to bottom: the toolbar panMenu (flat 21×21 buttons sbtIncluir "Incluir",
// sbtExcluir "Excluir", sbtAlterar "Alterar", sbtConsultar "Consultar", sbtVerificar
// "Atualizar", sbtConfirmar "Confirmar", sbtCancelar "Cancelar", then sbtImprimir
// "Imprimir", sbtAjuda "Ajuda", sbtFechar "Fechar"; the screen code label lblCodTela at
// its right end); the data area panFolha holding the scroll box scbFolhaDados with the
// grid dbgPadrao on dtsPadrao; and the panel panNavegador with the navigator dbnPadrao
// and the data text dbtNome. The main menu mnuPadrao has mnuOperacao (mnuVerificar
// "&Atualizar", mnuListagem "&Listagem", mnuFechar "&Fechar") and mnuManutencao with
// the six record items
// mnuIncluir, mnuExcluir, mnuAlterar, mnuConsultar, mnuConfirmar, mnuCancelar (a screen
// adds its own after them). msgPadrao is the screen's message catalog. Keys are shown
// to the screen first (KeyPreview).
//
// Each command is one action (platform/ui/action.h) that its toolbar button and menu
// item both show, so enabling, hint and handler are set once: actIncluir (sbtIncluir,
// mnuIncluir), actExcluir, actAlterar, actConsultar, actConfirmar and actCancelar
// likewise, actVerificar (sbtVerificar, mnuVerificar), actFechar (sbtFechar,
// mnuFechar); actImprimir (sbtImprimir) and actListagem (mnuListagem, which prints too)
// are two commands, so a screen can disable the listing and keep printing; actAjuda
// (sbtAjuda). A screen enables a command through its action, never through the button
// or the menu item.
//
// Every event is bound to the virtual handler of its name, which a screen overrides
// (calling the base first in create, activate and key handlers, last in close handlers
// and sbtAlterarClick). What the base handlers do:
//   FormCreate      points the grid, navigator and data text at dtsPadrao
//   FormActivate    UpdateRecordCommands()
//   FormClose       Action := caFree: the screen is destroyed once the running input
//                   is handled, and OnRelease is called as it goes
//   FormKeyDown     nothing
//   sbtIncluirClick      appends a row to dtsPadrao's dataset and focuses the grid
//   sbtExcluirClick      asks "Confirma exclusão?" (Yes/No) and deletes the current row
//   sbtAlterarClick      focuses the grid, puts the current row in edit and opens the
//                        cell editor on the selected column
//   sbtConsultarClick    the fourth record command, "Consultar": the search list of
//                        dtsPadrao's rows; the grid goes to the row chosen
//   sbtVerificarClick    nothing (the screen reloads its data)
//   sbtConfirmarClick    posts the row being edited
//   sbtCancelarClick     cancels the row being edited
//   sbtImprimirClick     nothing (also run by actListagem)
//   sbtAjudaClick        an information box with HelpText (a default one naming the
//                        screen's keys when empty)
//   sbtFecharClick       closes the screen (also mnuFechar)
//   dbgPadraoEnter, dbgPadraoKeyDown, dbgPadraoKeyPress    nothing
//   dtsPadraoStateChange UpdateRecordCommands()
//
// UpdateRecordCommands enables insert when the dataset is browsing and modifiable,
// delete, change and "Consultar" when browsing with rows, refresh when not editing,
// confirm and cancel while editing.
//
// PostEditedRow leaves the edit of dtsPadrao's dataset, as any command that takes the
// person away from the grid must first: the grid's typed text goes to the row, a
// changed row is posted (its checks and its saving run; a refusal raises and the row
// stays in edit), an untouched one cancelled. Nothing happens when no row is edited.
#include <functional>
#include <string>

#include "contracts/framework/buttonflat.h"
#include "contracts/framework/frmbase.h"
#include "contracts/framework/newmenus.h"
#include "contracts/framework/nrv_msg.h"
#include "platform/ui/action.h"
#include "platform/data/data_source.h"
#include "platform/ui/db_controls.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/form.h"
#include "platform/ui/std_controls.h"

namespace Frmpadrgrid {

class TfrmPadraoGrid : public Frmbase::TfrmBase {
 public:
  explicit TfrmPadraoGrid(platform::TComponent* owner);

  platform::TPanel* panMenu;
  Buttonflat::TButtonFlat* sbtIncluir;
  Buttonflat::TButtonFlat* sbtExcluir;
  Buttonflat::TButtonFlat* sbtAlterar;
  Buttonflat::TButtonFlat* sbtConsultar;
  Buttonflat::TButtonFlat* sbtVerificar;
  Buttonflat::TButtonFlat* sbtConfirmar;
  Buttonflat::TButtonFlat* sbtCancelar;
  Buttonflat::TButtonFlat* sbtImprimir;
  Buttonflat::TButtonFlat* sbtAjuda;
  Buttonflat::TButtonFlat* sbtFechar;
  platform::TLabel* lblCodTela;
  platform::TPanel* panFolha;
  platform::TScrollBox* scbFolhaDados;
  platform::TDBGrid* dbgPadrao;
  platform::TDataSource* dtsPadrao;
  platform::TPanel* panNavegador;
  platform::TDBNavigator* dbnPadrao;
  platform::TDBText* dbtNome;
  platform::TMainMenu* mnuPadrao;
  Newmenus::TMenuItem* mnuOperacao;
  Newmenus::TMenuItem* mnuVerificar;
  Newmenus::TMenuItem* mnuListagem;
  Newmenus::TMenuItem* mnuFechar;
  Newmenus::TMenuItem* mnuManutencao;
  Newmenus::TMenuItem* mnuIncluir;
  Newmenus::TMenuItem* mnuExcluir;
  Newmenus::TMenuItem* mnuAlterar;
  Newmenus::TMenuItem* mnuConsultar;
  Newmenus::TMenuItem* mnuConfirmar;
  Newmenus::TMenuItem* mnuCancelar;
  Nrv_msg::TMessages* msgPadrao;
  platform::TAction* actIncluir;
  platform::TAction* actExcluir;
  platform::TAction* actAlterar;
  platform::TAction* actConsultar;
  platform::TAction* actVerificar;
  platform::TAction* actConfirmar;
  platform::TAction* actCancelar;
  platform::TAction* actImprimir;
  platform::TAction* actListagem;
  platform::TAction* actAjuda;
  platform::TAction* actFechar;

  // Shown by the help command; empty: a default text about the screen's keys.
  std::string HelpText;
  void FormCreate(platform::TObject* Sender) override;
  void FormActivate(platform::TObject* Sender) override;
  virtual void sbtIncluirClick(platform::TObject* Sender);
  virtual void sbtExcluirClick(platform::TObject* Sender);
  virtual void sbtAlterarClick(platform::TObject* Sender);
  virtual void sbtConsultarClick(platform::TObject* Sender);
  virtual void sbtVerificarClick(platform::TObject* Sender);
  virtual void sbtConfirmarClick(platform::TObject* Sender);
  virtual void sbtCancelarClick(platform::TObject* Sender);
  virtual void sbtImprimirClick(platform::TObject* Sender);
  virtual void sbtAjudaClick(platform::TObject* Sender);
  virtual void sbtFecharClick(platform::TObject* Sender);
  virtual void dbgPadraoEnter(platform::TObject* Sender);
  virtual void dbgPadraoKeyDown(platform::TObject* Sender, std::uint16_t& Key, platform::TShiftState Shift);
  virtual void dbgPadraoKeyPress(platform::TObject* Sender, char32_t& Key);
  virtual void dtsPadraoStateChange(platform::TObject* Sender);

 protected:
  void UpdateRecordCommands();
  void PostEditedRow();

 private:
  void buildToolbar();
  void buildDataArea();
  void buildMenu();
  void buildActions();
  void bindEvents();
};

}  // namespace Frmpadrgrid
