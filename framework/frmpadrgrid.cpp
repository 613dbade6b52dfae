#include "contracts/framework/frmpadrgrid.h"

#include "contracts/framework/pesquisa.h"
#include "platform/data/dataset.h"
#include "platform/ui/dialogs.h"

namespace Frmpadrgrid {

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 400;
constexpr int kToolbarHeight = 29;
constexpr int kNavigatorHeight = 27;

// The keys as the toolkit handles them (platform/ui/keyboard.h, db_grid.h).
const char* const kDefaultHelp =
    "Teclas da grade:\n"
    "Setas: movem entre linhas e colunas; Page Up e Page Down: uma página; "
    "Ctrl+Home e Ctrl+End: primeira e última linha.\n"
    "Tab e Shift+Tab: coluna seguinte e anterior; Ctrl+Tab e Ctrl+Shift+Tab: saem da grade "
    "para o campo seguinte e o anterior.\n"
    "F2 ou Enter: abre a célula com o texto selecionado (digitar substitui o texto); "
    "Enter: grava a célula; sair da linha grava a linha; Esc: desfaz a célula e, depois, a linha.\n"
    "Vírgula do teclado numérico: separador decimal.\n"
    "\nOutras teclas:\n"
    "Alt+Seta para baixo: abre a pesquisa do campo que tem botão de pesquisa, ou a lista do campo ou da coluna.\n"
    "Alt+letra sublinhada: abre o menu (a mesma letra de novo passa ao menu seguinte que a tem); "
    "F10: abre o menu do sistema; setas e Enter escolhem o item; Esc fecha o menu.";

platform::TPanel* NewPanel(platform::TComponent* owner, platform::TControl* parent, const std::string& name,
                           platform::TAlign align, int height) {
  auto* panel = new platform::TPanel(owner);
  panel->SetName(name);
  panel->SetParent(parent);
  panel->SetHeight(height);
  panel->SetAlign(align);
  return panel;
}

}  // namespace

TfrmPadraoGrid::TfrmPadraoGrid(platform::TComponent* owner) : Frmbase::TfrmBase(owner) {
  SetFormStyle(platform::fsMDIChild);
  SetBounds(0, 0, kWidth, kHeight);
  KeyPreview = true;
  msgPadrao = new Nrv_msg::TMessages(this);
  msgPadrao->SetName("msgPadrao");
  dtsPadrao = new platform::TDataSource(this);
  dtsPadrao->SetName("dtsPadrao");
  buildToolbar();
  buildDataArea();
  buildMenu();
  buildActions();
  bindEvents();
}

void TfrmPadraoGrid::buildToolbar() {
  panMenu = NewPanel(this, this, "panMenu", platform::alTop, kToolbarHeight);
  auto button = [this](const char* name, const char* hint, int left) {
    return Buttonflat::NewButtonFlat(this, panMenu, name, hint, left, 4);
  };
  sbtIncluir = button("sbtIncluir", "Incluir", 4);
  sbtExcluir = button("sbtExcluir", "Excluir", 25);
  sbtAlterar = button("sbtAlterar", "Alterar", 46);
  sbtConsultar = button("sbtConsultar", "Consultar", 67);
  sbtVerificar = button("sbtVerificar", "Atualizar", 88);
  sbtConfirmar = button("sbtConfirmar", "Confirmar", 109);
  sbtCancelar = button("sbtCancelar", "Cancelar", 130);
  sbtImprimir = button("sbtImprimir", "Imprimir", 166);
  sbtAjuda = button("sbtAjuda", "Ajuda", 202);
  sbtFechar = button("sbtFechar", "Fechar", 238);
  lblCodTela = new platform::TLabel(this);
  lblCodTela->SetName("lblCodTela");
  lblCodTela->SetParent(panMenu);
  lblCodTela->SetBounds(kWidth - 80, 8, 64, 13);
  lblCodTela->Font().Bold = true;
}

void TfrmPadraoGrid::buildDataArea() {
  panNavegador = NewPanel(this, this, "panNavegador", platform::alBottom, kNavigatorHeight);
  dbnPadrao = new platform::TDBNavigator(this);
  dbnPadrao->SetName("dbnPadrao");
  dbnPadrao->SetParent(panNavegador);
  dbnPadrao->SetBounds(4, 2, 240, 23);
  dbnPadrao->Hints = {"Primeiro", "Anterior", "Próximo", "Último", "Incluir",
                      "Excluir",  "Alterar",  "Gravar",  "Cancelar", "Atualizar"};
  dbtNome = new platform::TDBText(this);
  dbtNome->SetName("dbtNome");
  dbtNome->SetParent(panNavegador);
  dbtNome->SetBounds(252, 6, 370, 15);
  dbtNome->Font().Bold = true;

  panFolha = NewPanel(this, this, "panFolha", platform::alClient, 0);
  scbFolhaDados = new platform::TScrollBox(this);
  scbFolhaDados->SetName("scbFolhaDados");
  scbFolhaDados->SetParent(panFolha);
  scbFolhaDados->SetBounds(4, 4, kWidth - 16, kHeight - kToolbarHeight - kNavigatorHeight - 12);
  // The data area grows with the window, so a larger window shows more rows.
  scbFolhaDados->SetAnchors({platform::akLeft, platform::akTop, platform::akRight, platform::akBottom});
  dbgPadrao = new platform::TDBGrid(this);
  dbgPadrao->SetName("dbgPadrao");
  dbgPadrao->SetParent(scbFolhaDados);
  dbgPadrao->SetAlign(platform::alClient);
  dbgPadrao->SetColor(platform::clWindow);
  dbgPadrao->SetDataSource(dtsPadrao);
}

void TfrmPadraoGrid::buildMenu() {
  mnuPadrao = new platform::TMainMenu(this);
  mnuPadrao->SetName("mnuPadrao");
  SetMenu(mnuPadrao);
  mnuOperacao = Newmenus::NewItem(this, mnuPadrao->Items(), "mnuOperacao", "&Operação");
  mnuVerificar = Newmenus::NewItem(this, mnuOperacao, "mnuVerificar", "&Atualizar");
  mnuListagem = Newmenus::NewItem(this, mnuOperacao, "mnuListagem", "&Listagem");
  mnuFechar = Newmenus::NewItem(this, mnuOperacao, "mnuFechar", "&Fechar");
  mnuManutencao = Newmenus::NewItem(this, mnuPadrao->Items(), "mnuManutencao", "&Manutenção");
  mnuIncluir = Newmenus::NewItem(this, mnuManutencao, "mnuIncluir", "&Incluir");
  mnuExcluir = Newmenus::NewItem(this, mnuManutencao, "mnuExcluir", "&Excluir");
  mnuAlterar = Newmenus::NewItem(this, mnuManutencao, "mnuAlterar", "&Alterar");
  mnuConsultar = Newmenus::NewItem(this, mnuManutencao, "mnuConsultar", "C&onsultar");
  mnuConfirmar = Newmenus::NewItem(this, mnuManutencao, "mnuConfirmar", "Con&firmar");
  mnuCancelar = Newmenus::NewItem(this, mnuManutencao, "mnuCancelar", "&Cancelar");
}

void TfrmPadraoGrid::buildActions() {
  using platform::TObject;
  // One action per command, shown by its button and its menu item (either may be absent).
  auto command = [this](const char* name, Buttonflat::TButtonFlat* button, Newmenus::TMenuItem* item,
                        platform::TNotifyEvent handler) {
    const std::string caption = item ? item->Caption : std::string();
    platform::TAction* action = platform::NewAction(this, name, caption, button ? button->Hint() : caption,
                                                    std::move(handler));
    if (button) button->SetAction(action);
    if (item) item->SetAction(action);
    return action;
  };
  actIncluir = command("actIncluir", sbtIncluir, mnuIncluir, [this](TObject* s) { sbtIncluirClick(s); });
  actExcluir = command("actExcluir", sbtExcluir, mnuExcluir, [this](TObject* s) { sbtExcluirClick(s); });
  actAlterar = command("actAlterar", sbtAlterar, mnuAlterar, [this](TObject* s) { sbtAlterarClick(s); });
  actConsultar = command("actConsultar", sbtConsultar, mnuConsultar, [this](TObject* s) { sbtConsultarClick(s); });
  actVerificar = command("actVerificar", sbtVerificar, mnuVerificar, [this](TObject* s) { sbtVerificarClick(s); });
  actConfirmar = command("actConfirmar", sbtConfirmar, mnuConfirmar, [this](TObject* s) { sbtConfirmarClick(s); });
  actCancelar = command("actCancelar", sbtCancelar, mnuCancelar, [this](TObject* s) { sbtCancelarClick(s); });
  actImprimir = command("actImprimir", sbtImprimir, nullptr, [this](TObject* s) { sbtImprimirClick(s); });
  actListagem = command("actListagem", nullptr, mnuListagem, [this](TObject* s) { sbtImprimirClick(s); });
  actAjuda = command("actAjuda", sbtAjuda, nullptr, [this](TObject* s) { sbtAjudaClick(s); });
  actFechar = command("actFechar", sbtFechar, mnuFechar, [this](TObject* s) { sbtFecharClick(s); });
}

void TfrmPadraoGrid::bindEvents() {
  using platform::TObject;
  dbgPadrao->OnEnter = [this](TObject* s) { dbgPadraoEnter(s); };
  dbgPadrao->OnKeyDown = [this](TObject* s, std::uint16_t& k, platform::TShiftState sh) { dbgPadraoKeyDown(s, k, sh); };
  dbgPadrao->OnKeyPress = [this](TObject* s, char32_t& k) { dbgPadraoKeyPress(s, k); };
  dtsPadrao->OnStateChange = [this](platform::TDataSource& s) { dtsPadraoStateChange(&s); };
}

void TfrmPadraoGrid::UpdateRecordCommands() {
  const platform::TDataSet* rows = dtsPadrao->DataSet();
  const bool browsing = rows && rows->State() == platform::dsBrowse;
  const bool editing = rows && rows->IsEditing();
  const bool hasRows = rows && rows->Active() && !rows->IsEmpty();
  actIncluir->SetEnabled(browsing && rows->CanModify());
  actExcluir->SetEnabled(browsing && hasRows && rows->CanModify());
  actAlterar->SetEnabled(browsing && hasRows && rows->CanModify());
  actConsultar->SetEnabled(browsing && hasRows);
  actVerificar->SetEnabled(!editing);
  actConfirmar->SetEnabled(editing);
  actCancelar->SetEnabled(editing);
}

void TfrmPadraoGrid::PostEditedRow() {
  platform::TDataSet* rows = dtsPadrao->DataSet();
  if (rows && rows->Active()) rows->CheckBrowseMode();
}

void TfrmPadraoGrid::FormCreate(platform::TObject*) {
  dbgPadrao->SetDataSource(dtsPadrao);
  dbnPadrao->SetDataSource(dtsPadrao);
  dbtNome->SetDataSource(dtsPadrao);
}

void TfrmPadraoGrid::FormActivate(platform::TObject*) { UpdateRecordCommands(); }


void TfrmPadraoGrid::sbtIncluirClick(platform::TObject*) {
  platform::TDataSet* rows = dtsPadrao->DataSet();
  if (!rows || !rows->Active()) return;
  dbgPadrao->SetFocus();
  rows->Append();
}

void TfrmPadraoGrid::sbtExcluirClick(platform::TObject*) {
  platform::TDataSet* rows = dtsPadrao->DataSet();
  if (!rows || !rows->Active() || rows->IsEmpty()) return;
  if (platform::MessageDlg("Confirma exclusão?", platform::mtConfirmation, {platform::mbYes, platform::mbNo}, 0) !=
      platform::mrYes)
    return;
  rows->Delete();
}

void TfrmPadraoGrid::sbtAlterarClick(platform::TObject*) {
  platform::TDataSet* rows = dtsPadrao->DataSet();
  if (!rows || !rows->Active() || rows->IsEmpty()) return;
  dbgPadrao->SetFocus();
  if (!dbgPadrao->Focused()) return;
  rows->Edit();
  if (rows->IsEditing() && dbgPadrao->CanEditCell()) dbgPadrao->SetEditorMode(true);
}

void TfrmPadraoGrid::sbtConsultarClick(platform::TObject*) {
  platform::TDataSet* rows = dtsPadrao->DataSet();
  if (!rows || !rows->Active()) return;
  PostEditedRow();
  const std::string title = Caption().empty() ? std::string("Consultar") : Caption();
  if (Pesquisa::Pesquisar(dtsPadrao, title + "|Não há registros para consultar.", false, true)) dbgPadrao->SetFocus();
}

void TfrmPadraoGrid::sbtVerificarClick(platform::TObject*) {}

void TfrmPadraoGrid::sbtConfirmarClick(platform::TObject*) {
  platform::TDataSet* rows = dtsPadrao->DataSet();
  if (rows && rows->IsEditing()) rows->Post();
}

void TfrmPadraoGrid::sbtCancelarClick(platform::TObject*) {
  platform::TDataSet* rows = dtsPadrao->DataSet();
  if (rows && rows->IsEditing()) rows->Cancel();
}

void TfrmPadraoGrid::sbtImprimirClick(platform::TObject*) {}

void TfrmPadraoGrid::sbtAjudaClick(platform::TObject*) {
  const std::string title = lblCodTela->Caption().empty() ? Caption() : lblCodTela->Caption() + " - " + Caption();
  platform::MessageDlg(title + "\n\n" + (HelpText.empty() ? kDefaultHelp : HelpText), platform::mtInformation,
                       {platform::mbOK}, 0);
}

void TfrmPadraoGrid::sbtFecharClick(platform::TObject*) { Close(); }

void TfrmPadraoGrid::dbgPadraoEnter(platform::TObject*) {}

void TfrmPadraoGrid::dbgPadraoKeyDown(platform::TObject*, std::uint16_t&, platform::TShiftState) {}

void TfrmPadraoGrid::dbgPadraoKeyPress(platform::TObject*, char32_t&) {}

void TfrmPadraoGrid::dtsPadraoStateChange(platform::TObject*) { UpdateRecordCommands(); }

}  // namespace Frmpadrgrid
