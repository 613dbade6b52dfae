// TfrmHistPreco: the controls, the dataset and its columns, the message catalog.
#include "screens/Cli_VQR51205/frm_hist_preco.h"

#include "contracts/framework/norvexa.h"
#include "screens/common/components.h"
#include "screens/common/price_format.h"

namespace Cli_VQR51205 {

using namespace Pkg_VQR51200;
using platform::TObject;

namespace {

constexpr const char* kDateFormat = "dd/mm/yyyy";
constexpr int kWidth = 760;
constexpr int kHeight = 440;
constexpr int kDataWidth = kWidth - 76;

}  // namespace

std::string OriginName(const std::string& code) {
  if (code == "M") return "Manual";
  if (code == "R") return "Recálculo";
  if (code == "C") return "Cópia";
  if (code == "D") return "Desfazer";
  if (code == "I") return "Importação";
  return code;
}

TfrmHistPreco::TfrmHistPreco(platform::TComponent* owner, Pkg_VQR51200::TModuleSession& session)
    : Frmrotgeral::TfrmRotiGeral(owner), session(session) {
  SetName("frmHistPreco");
  SetCaption("Histórico de Preços");
  SetBounds(0, 0, kWidth, kHeight);
  lblCodTela->SetCaption("VQR51205");
  sbtConfirma->SetVisible(false);
  sbtDesfazer = Buttonflat::NewButtonFlat(this, panMenu, "sbtDesfazer", "Desfazer lote", (56 - 21) / 2, 58);
  CreateDataSet();
  CreateGrid();
  FillCatalog();
}

void TfrmHistPreco::CreateCustomerAndChoice(const std::string& productName) {
  Label1 = NewBoldLabel(this, grbDadosRel, "Label1", "Cliente", 8, 12, 48);
  edtCliente = NewControl<platform::TEdit>(this, grbDadosRel, "edtCliente", 60, 8, 320, 21);
  edtCliente->SetColor(platform::clBtnFace);
  edtCliente->SetEnabled(false);
  edtCliente->SetText(Cliente.NmRazSocClie);
  grbProdutos = NewControl<platform::TGroupBox>(this, grbDadosRel, "grbProdutos", 8, 32, kDataWidth - 16, 34);
  rbtProduto = NewControl<platform::TRadioButton>(this, grbProdutos, "rbtProduto", 8, 11, 330, 17);
  rbtProduto->SetCaption(productName.empty() ? "Produto atual" : "Produto atual (" + productName + ")");
  rbtTodosProd = NewControl<platform::TRadioButton>(this, grbProdutos, "rbtTodosProd", 350, 11, 150, 17);
  rbtTodosProd->SetCaption("Todos os produtos");
  rbtProduto->SetEnabled(!Produto.empty());
  if (Produto.empty())
    rbtTodosProd->SetChecked(true);
  else
    rbtProduto->SetChecked(true);
  grbProdutos->SetTabOrder(0);
  dbgHistorico->SetTabOrder(1);
  BindEvents();
}

void TfrmHistPreco::CreateDataSet() {
  cdsHistorico = Pkg_VQR51200::NewDataSet(this, "cdsHistorico");
  cdsHistoricoNRSEQHIST = NewField<platform::TIntegerField>(cdsHistorico, "NRSEQHIST", "");
  cdsHistoricoDTHRALT = NewField<platform::TDateTimeField>(cdsHistorico, "DTHRALT", "Data/Hora");
  cdsHistoricoIDORIGALT = NewField<platform::TStringField>(cdsHistorico, "IDORIGALT", "Origem", 1);
  cdsHistoricoNRLOTE = NewField<platform::TIntegerField>(cdsHistorico, "NRLOTE", "Lote");
  cdsHistoricoCDPRODUTO = NewField<platform::TStringField>(cdsHistorico, "CDPRODUTO", "", 10);
  cdsHistoricoCDARVPROD = NewField<platform::TStringField>(cdsHistorico, "CDARVPROD", "Produto", 20);
  cdsHistoricoNMPRODUTO = NewField<platform::TStringField>(cdsHistorico, "NMPRODUTO", "Nome", 50);
  cdsHistoricoVRPRECOANT = NewField<platform::TFloatField>(cdsHistorico, "VRPRECOANT", "Preço Anterior");
  cdsHistoricoVRPRECONOV = NewField<platform::TFloatField>(cdsHistorico, "VRPRECONOV", "Preço Novo");
  cdsHistoricoDTVALINIANT = NewField<platform::TDateTimeField>(cdsHistorico, "DTVALINIANT", "Valid. Inicial Ant.");
  cdsHistoricoDTVALFINANT = NewField<platform::TDateTimeField>(cdsHistorico, "DTVALFINANT", "Valid. Final Ant.");
  cdsHistoricoDTVALININOV = NewField<platform::TDateTimeField>(cdsHistorico, "DTVALININOV", "Valid. Inicial Nova");
  cdsHistoricoDTVALFINNOV = NewField<platform::TDateTimeField>(cdsHistorico, "DTVALFINNOV", "Valid. Final Nova");
  cdsHistoricoCDUSUARIO = NewField<platform::TStringField>(cdsHistorico, "CDUSUARIO", "Usuário", 20);
  cdsHistoricoDTHRALT->SetDisplayFormat("dd/mm/yyyy hh:nn:ss");
  for (platform::TDateTimeField* date :
       {cdsHistoricoDTVALINIANT, cdsHistoricoDTVALFINANT, cdsHistoricoDTVALININOV, cdsHistoricoDTVALFINNOV})
    date->SetDisplayFormat(kDateFormat);
  cdsHistoricoVRPRECOANT->SetDisplayFormat(kPriceFormat);
  cdsHistoricoVRPRECONOV->SetDisplayFormat(kPriceFormat);
  dtsHistorico = Pkg_VQR51200::NewDataSource(this, "dtsHistorico", cdsHistorico);
}

void TfrmHistPreco::CreateGrid() {
  dbgHistorico = Pkg_VQR51200::NewReadOnlyGrid(this, grbDadosRel, "dbgHistorico", 8, 70, kDataWidth - 16,
                                               kHeight - 110, dtsHistorico);
  for (auto [field, width] :
       {std::pair{"DTHRALT", 120}, {"IDORIGALT", 70}, {"NRLOTE", 40}, {"CDUSUARIO", 70}, {"CDARVPROD", 64},
        {"NMPRODUTO", 130},
        {"VRPRECOANT", 80}, {"VRPRECONOV", 80}, {"DTVALINIANT", 72}, {"DTVALFINANT", 72}, {"DTVALININOV", 72},
        {"DTVALFINNOV", 72}})
    Pkg_VQR51200::AddColumn(*dbgHistorico, field, width);
}

void TfrmHistPreco::FillCatalog() {
  msgPadrao->Add("Lote_Deve", "Escolha uma linha de recálculo ou de cópia para desfazer o lote.");
  msgPadrao->Add("Desfaz_Conf", "Desfazer o lote %s? Os preços que mudaram depois dele serão mantidos.");
  msgPadrao->Add("Desfaz_Clientes", "Clientes do lote:");
  msgPadrao->Add("Desfaz_Outros", "e mais %s.");
  msgPadrao->Add("Desfaz_Ok", "Preços restaurados: %s.");
  msgPadrao->Add("Desfaz_Mantidos", "Mantidos porque mudaram depois do lote:");
}

void TfrmHistPreco::BindEvents() {
  rbtProduto->OnClick = [this](TObject* s) { rbtProdutoClick(s); };
  rbtTodosProd->OnClick = [this](TObject* s) { rbtTodosProdClick(s); };
  cdsHistoricoIDORIGALT->OnGetText = [this](platform::TField& f, std::string& t, bool d) {
    cdsHistoricoIDORIGALTGetText(f, t, d);
  };
  cdsHistorico->AfterScroll = [this](platform::TDataSet& d) { cdsHistoricoAfterScroll(d); };
  dbgHistorico->OnKeyDown = [this](TObject* s, std::uint16_t& k, platform::TShiftState sh) { dbgHistoricoKeyDown(s, k, sh); };
  sbtDesfazer->OnClick = [this](TObject* s) { sbtDesfazerClick(s); };
}

void TfrmHistPreco::cdsHistoricoIDORIGALTGetText(platform::TField& Sender, std::string& Text, bool) {
  Text = OriginName(Sender.AsString());
}

}  // namespace Cli_VQR51205
