// TfrmHistPreco: opening, the pages of the history, the choice of products and the
// undo of a batch.
#include <algorithm>

#include "contracts/framework/consiste.h"
#include "contracts/framework/norvexa.h"
#include "contracts/framework/showavi.h"
#include "contracts/server/tab_pre_clie_methods.h"
#include "platform/text/date_time.h"
#include "platform/text/edit_mask.h"
#include "platform/text/float_format.h"
#include "platform/ui/dialogs.h"
#include "screens/Cli_VQR51205/cli_vqr51205.h"
#include "screens/Cli_VQR51205/frm_hist_preco.h"
#include "screens/common/price_format.h"
#include "screens/common/server_call.h"

namespace Cli_VQR51205 {

using namespace Pkg_VQR51200;

namespace {

constexpr int kPageRows = 100;
// Going to the end reads what is left in the largest pages the server gives.
constexpr int kRestRows = contracts::server::kMaxHistoryRows;
constexpr std::size_t kKeptRowsShown = 20;

// A message's "%s" replaced by `value`.
std::string Filled(std::string text, const std::string& value) {
  auto at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, value);
  return text;
}

std::string Customers(std::int64_t count) {
  return std::to_string(count) + (count == 1 ? " cliente" : " clientes");
}

std::string Price(const platform::Variant& value) {
  return value.isNull() ? "sem preço" : platform::FormatFloat(Pkg_VQR51200::kPriceFormat, value.asDouble());
}

}  // namespace

bool CriaHistPreco(Pkg_VQR51200::TModuleSession& session, const Pkg_VQR51200::TCliente& cliente,
                   const std::string& produto, const std::string& nomeProduto) {
  bool undone = false;
  Frmrotgeral::OpenModal<TfrmHistPreco>(
      [&](TfrmHistPreco& screen) {
        screen.Cliente = cliente;
        screen.Produto = produto;
        screen.CreateCustomerAndChoice(nomeProduto);
        screen.boDesfeito = &undone;
        screen.LoadHistory();
      },
      session);
  return undone;
}

void TfrmHistPreco::FormActivate(platform::TObject* Sender) {
  Frmrotgeral::TfrmRotiGeral::FormActivate(Sender);
  cdsHistoricoCDARVPROD->SetEditMask(Norvexa::DBPictObj(Picture::ptProduto).EditMask());
  dbgHistorico->SetFocus();
}

std::string TfrmHistPreco::ChosenProduct() const { return rbtProduto->Checked() ? Produto : std::string(); }

void TfrmHistPreco::LoadHistory() {
  loading_ = true;
  try {
    ServerLoad<contracts::server::GetHistPreco>(*cdsHistorico, *session.netTabPreClie, Showavi::saPesquisa,
                                                Cliente.CdCliente, ChosenProduct(), "", 0, kPageRows);
  } catch (...) {
    loading_ = false;
    throw;
  }
  loading_ = false;
  cdsHistoricoCDARVPROD->SetEditMask(Norvexa::DBPictObj(Picture::ptProduto).EditMask());
  morePages_ = cdsHistorico->RecordCount() == kPageRows;
  cdsHistorico->First();
  Habilita_Botoes();
}

// The next page starts after the last row loaded (its time and number); the rows
// loaded stay and the current row with them.
void TfrmHistPreco::LoadNextPage(int rows) {
  const int current = cdsHistorico->RecNo();
  auto loaded = cdsHistorico->DataPacketPtr();
  const std::size_t last = loaded->rowCount() - 1;
  const int timeColumn = loaded->columnIndex("DTHRALT");
  const int sequenceColumn = loaded->columnIndex("NRSEQHIST");
  const std::string before =
      platform::FormatDateTime("yyyy-mm-dd'T'hh:nn:ss", loaded->value(last, timeColumn).asDateTime());
  const std::int64_t sequence = loaded->value(last, sequenceColumn).asInteger();
  const contracts::server::PacketPtr page = ServerCall<contracts::server::GetHistPreco>(
      *session.netTabPreClie, Showavi::saPesquisa, Cliente.CdCliente, ChosenProduct(), before, sequence, rows);
  const platform::DataPacket& next = *page;
  morePages_ = next.rowCount() == static_cast<std::size_t>(rows);
  if (next.rowCount() == 0) return;
  auto merged = std::make_shared<platform::DataPacket>(*loaded);
  for (std::size_t row = 0; row < next.rowCount(); ++row) {
    std::vector<platform::Variant> values;
    for (std::size_t col = 0; col < next.columnCount(); ++col) values.push_back(next.value(row, col));
    merged->appendRow(values);
  }
  loading_ = true;
  cdsHistorico->SetData(merged);
  cdsHistorico->SetRecNo(current);
  loading_ = false;
}

void TfrmHistPreco::cdsHistoricoAfterScroll(platform::TDataSet&) {
  if (loading_) return;
  if (morePages_ && cdsHistorico->RecNo() == cdsHistorico->RecordCount()) LoadNextPage(kPageRows);
  Habilita_Botoes();
}

void TfrmHistPreco::dbgHistoricoKeyDown(platform::TObject*, std::uint16_t& Key, platform::TShiftState Shift) {
  if (Key != platform::VK_END || !Shift.Contains(platform::ssCtrl) || !cdsHistorico->Active()) return;
  Key = 0;
  while (morePages_) LoadNextPage(kRestRows);
  cdsHistorico->Last();
}

void TfrmHistPreco::rbtProdutoClick(platform::TObject*) { LoadHistory(); }

void TfrmHistPreco::rbtTodosProdClick(platform::TObject*) { LoadHistory(); }

// A batch of a recalculation, copy or import can be undone.
void TfrmHistPreco::Habilita_Botoes() {
  const std::string origin = cdsHistorico->Active() && !cdsHistorico->IsEmpty() ? cdsHistoricoIDORIGALT->AsString() : "";
  const bool batch = !origin.empty() && !cdsHistoricoNRLOTE->IsNull() &&
                     (origin == "R" || origin == "C" || origin == "I");
  sbtDesfazer->SetEnabled(batch);
}

void TfrmHistPreco::sbtDesfazerClick(platform::TObject*) {
  if (cdsHistorico->IsEmpty() || cdsHistoricoNRLOTE->IsNull()) msgPadrao->ReportError("Lote_Deve");
  const std::int64_t batch = cdsHistoricoNRLOTE->AsInteger();
  const contracts::server::PacketPtr info =
      ServerCall<contracts::server::GetLotePreco>(*session.netTabPreClie, Showavi::saPesquisa, batch);
  const platform::DataPacket& row = *info;
  const std::string origin = OriginName(row.value(0, row.columnIndex("IDORIGALT")).toString());
  const std::string when =
      platform::FormatDateTime("dd/mm/yyyy hh:nn:ss", row.value(0, row.columnIndex("DTHRALT")).asDateTime());
  const std::string count = row.value(0, row.columnIndex("QTPRECO")).toString();
  const std::int64_t customers = row.value(0, row.columnIndex("QTCLIENTE")).asInteger();
  const std::string user = row.value(0, row.columnIndex("CDUSUARIO")).toString();
  const std::string described = std::to_string(batch) + " (" + origin + " de " + when + " por " + user + ", " + count +
                                " preços de " + Customers(customers) + ")";
  // A batch started from one customer may reach many: the question names them, so
  // nobody takes back other customers' prices unawares.
  std::string question = Filled(msgPadrao->Msg("Desfaz_Conf"), described);
  const std::string named = row.value(0, row.columnIndex("NMCLIENTES")).toString();
  if (!named.empty()) {
    question += "\n" + msgPadrao->Msg("Desfaz_Clientes") + "\n" + named;
    const std::int64_t shown = 1 + std::count(named.begin(), named.end(), '\n');
    if (customers > shown) question += "\n" + Filled(msgPadrao->Msg("Desfaz_Outros"), Customers(customers - shown));
  }
  if (platform::MessageDlg(question, platform::mtConfirmation, {platform::mbYes, platform::mbNo}, 0) !=
      platform::mrYes)
    return;
  const contracts::server::UndoReply answer =
      ServerCall<contracts::server::SetDesfazLote>(*session.netTabPreClie, Showavi::saGravacao, batch);
  if (boDesfeito) *boDesfeito = true;
  const platform::DataPacket& kept = *answer.packet;
  std::string report = Filled(msgPadrao->Msg("Desfaz_Ok"), std::to_string(answer.record.restored));
  if (kept.rowCount() > 0) {
    report += "\n" + msgPadrao->Msg("Desfaz_Mantidos");
    const int customer = kept.columnIndex("NMRAZSOCCLIE"), code = kept.columnIndex("CDARVPROD"),
              name = kept.columnIndex("NMPRODUTO"), now = kept.columnIndex("VRPRECOPROD");
    const std::string mask = Norvexa::DBPictObj(Picture::ptProduto).EditMask();
    for (std::size_t r = 0; r < std::min(kept.rowCount(), kKeptRowsShown); ++r) {
      std::string shownCode = kept.value(r, code).toString();
      if (!shownCode.empty()) shownCode = platform::FormatMaskText(mask, shownCode) + " ";
      report += "\n" + kept.value(r, customer).toString() + " " + shownCode + kept.value(r, name).toString();
      if (!shownCode.empty()) report += ": " + Price(kept.value(r, now));
    }
    const std::int64_t listed = static_cast<std::int64_t>(std::min(kept.rowCount(), kKeptRowsShown));
    if (answer.record.kept > listed)
      report += "\n" + Filled(msgPadrao->Msg("Desfaz_Outros"), std::to_string(answer.record.kept - listed));
  }
  platform::MessageDlg(report, platform::mtInformation, {platform::mbOK}, 0);
  LoadHistory();
}

}  // namespace Cli_VQR51205
