#pragma once
// rdmTabPreClie: the remote data module of customer special prices.
//
// Each method implements its declaration (contracts/server/tab_pre_clie_methods.h):
// it receives a connection of its own and the record of the arguments the server reads
// (already checked for count and kinds; the "var" texts it leaves in the record go
// back), and returns the data part of its result envelope. A business refusal raises
// Refusal: its transaction has been rolled back, nothing of the call is written, and
// the connection stays usable. Writes record every price change in TABPRECLIEHIST.
#include "contracts/server/tab_pre_clie_methods.h"
#include "server/modules/method_adapter.h"
#include "server/store/connection.h"

namespace server::modules::tab_pre_clie {

namespace contract = contracts::server;

// Filter "T": every customer by corporate name; "": the customer whose registration
// number has the digits of NrInsJurClie (an empty packet when none).
PacketPtr GetPesqCliente(store::Connection& c, const contract::CustomerSearchArgs& a);
// Filter "": the customer with that code (an empty packet when none); "T": all.
PacketPtr GetCDCliente(store::Connection& c, const contract::CustomerCodeArgs& a);
// Every product of level TtNiveis, by CDARVPROD, with the customer's price and dates or nulls.
PacketPtr GetPrecoProd(store::Connection& c, const contract::PriceListArgs& a);
// Price > 0 stores price and dates; price 0 with both dates empty removes the price.
// A call stating what it is based on (price_condition.h) is applied only while the
// price still holds it.
void SetTabPreClie(store::Connection& c, const contract::PriceArgs& a);
// The formula rows and the formula text.
PacketAndText GetFatPreClie(store::Connection& c, const contract::FormulaArgs& a);
// Applies a delta of formula rows; answers the formula rows and text after it.
PacketAndText SetCompPreco(store::Connection& c, const contract::FormulaDeltaArgs& a);

// SetCalcCusProd, SetCopiaDados, SetCopiaPreco and SetImpPreco answer the prices they
// wrote over a change made since the preview the call names (changed_since.h).

// Prices the customer's leaf products in the code range CdArvProdIni..CdArvProdFin
// that have a cost of NrTipoCusto in CdFilial; Substitui "S" prices every such
// product, "N" only those without a price.
contract::RunReply SetCalcCusProd(store::Connection& c, const contract::CalcCusProdArgs& a);

// Every customer by corporate name, none marked.
PacketPtr GetPesqClieLista(store::Connection& c);

// The targets (all but the source when TodosClientes is "T", else those of
// ListaClientes) get the source's formula and prices worked out from it.
contract::RunReply SetCopiaDados(store::Connection& c, const contract::CopiaDadosArgs& a);

// The source's special prices in the range go to the targets with the validity
// dates; Substitui "S" overwrites the targets' prices, "N" keeps them. The copy is
// made for a registered branch, like every write of many prices.
contract::RunReply SetCopiaPreco(store::Connection& c, const contract::CopiaPrecoArgs& a);

// What SetCalcCusProd, SetCopiaDados and SetCopiaPreco would do with the same
// arguments, without writing anything: [rows, counts] (contracts/server).
contract::PreviewReply GetPreviaCalcCusProd(store::Connection& c, const contract::CalcCusProdArgs& a);
contract::PreviewReply GetPreviaCopiaDados(store::Connection& c, const contract::CopiaDadosArgs& a);
contract::PreviewReply GetPreviaCopiaPreco(store::Connection& c, const contract::CopiaPrecoArgs& a);

// One page of the customer's price history, newest first (contracts/server).
PacketPtr GetHistPreco(store::Connection& c, const contract::HistoryPageArgs& a);
// The batch with that number; an unknown batch is refused.
PacketPtr GetLotePreco(store::Connection& c, const contract::BatchArgs& a);
// Takes back a recalculation or copy: [kept rows, counts].
contract::UndoReply SetDesfazLote(store::Connection& c, const contract::BatchArgs& a);

// What SetImpPreco would write of a spreadsheet's lines, and what it refuses:
// [rows, counts] (contracts/server).
contract::ReplyOf<contract::ImportPreviewData> GetPreviaImpPreco(store::Connection& c, const contract::ImportArgs& a);
// Writes a spreadsheet's accepted lines as one batch of origin "I".
contract::RunReply SetImpPreco(store::Connection& c, const contract::ImportArgs& a);

}  // namespace server::modules::tab_pre_clie
