#pragma once
// rdmTabPreClie: the remote methods of customer special prices, declared once for the
// client's calls and the server's handlers (method_declaration.h). Before each method
// stands the record its read arguments fill, named as the contract names them.
#include <cstdint>
#include <string>

#include "contracts/server/method_declaration.h"
#include "contracts/server/packets.h"
#include "platform/variant/variant.h"

namespace contracts::server {

// ---------------------------------------------------------------------------------
// Customers and their prices

struct CustomerSearchArgs {
  std::string NrInsJurClie;
  std::string Filtro;
};
// The customers by corporate name (filter "T"), or the one with the registration
// number (filter "").
struct GetPesqCliente : Method<TabPreClie, "GetPesqCliente", PacketOf<CustomerColumns>,
                               ParamList<Arg<"NrInsJurClie", &CustomerSearchArgs::NrInsJurClie>,
                                         Arg<"Filtro", &CustomerSearchArgs::Filtro>>> {};

struct CustomerCodeArgs {
  std::string CdCliente;
  std::string Filtro;
};
// The customer with that code (filter ""), or every customer (filter "T").
struct GetCDCliente : Method<TabPreClie, "GetCDCliente", PacketOf<CustomerColumns>,
                             ParamList<Arg<"CdCliente", &CustomerCodeArgs::CdCliente>,
                                       Arg<"Filtro", &CustomerCodeArgs::Filtro>>> {};

struct PriceListArgs {
  std::string CdCliente;
  std::int64_t TtNiveis = 0;
};
// Every product of the priced level with the customer's price and dates.
struct GetPrecoProd : Method<TabPreClie, "GetPrecoProd", PacketOf<PriceColumns>,
                             ParamList<Arg<"CdCliente", &PriceListArgs::CdCliente>,
                                       Arg<"TtNiveis", &PriceListArgs::TtNiveis>>> {};

struct PriceArgs {
  std::string CdCliente;
  std::string CdProduto;
  double VrPrecoProd = 0;
  std::string DtValIni;
  std::string DtValFin;
  std::string Flag;
};
// Stores one special price; price 0 with both dates empty removes it. The flag must be "S".
struct SetTabPreClie
    : Method<TabPreClie, "SetTabPreClie", NoData,
             ParamList<Arg<"CdCliente", &PriceArgs::CdCliente>, Arg<"CdProduto", &PriceArgs::CdProduto>,
                       Arg<"VrPrecoProd", &PriceArgs::VrPrecoProd>, Arg<"DtValIni", &PriceArgs::DtValIni>,
                       Arg<"DtValFin", &PriceArgs::DtValFin>, Arg<"Flag", &PriceArgs::Flag>>> {};

// Every customer for a multiple choice, none marked.
struct GetPesqClieLista
    : Method<TabPreClie, "GetPesqClieLista", PacketOf<CustomerListColumns>,
             ParamList<UnusedVarText<"CdCliente",
                                     "the list holds every customer, the caller's own included, none marked">>> {};

// ---------------------------------------------------------------------------------
// The formula

struct FormulaArgs {
  std::string CdCliente;
  std::string LabelCusto;
};
// The customer's formula rows and formula text.
struct GetFatPreClie : Method<TabPreClie, "GetFatPreClie", PacketAndTextOf<FormulaColumns>,
                              ParamList<VarText<"CdCliente", &FormulaArgs::CdCliente>,
                                        Arg<"LabelCusto", &FormulaArgs::LabelCusto>>> {};

struct FormulaDeltaArgs {
  platform::Variant Delta;
  std::string CdCliente;
  std::string LabelCusto;
};
// Applies a delta of formula rows; answers the rows and text after it.
struct SetCompPreco : Method<TabPreClie, "SetCompPreco", PacketAndTextOf<FormulaColumns>,
                             ParamList<Arg<"Delta", &FormulaDeltaArgs::Delta>,
                                       VarText<"CdCliente", &FormulaDeltaArgs::CdCliente>,
                                       Arg<"LabelCusto", &FormulaDeltaArgs::LabelCusto>>> {};

// ---------------------------------------------------------------------------------
// Prices of many products and customers at once, and their previews: what the command
// would do with the same arguments, computed by the same statements in a transaction
// that is rolled back. A preview's data part is [rows (PreviewColumns), counts]: the
// rows are the largest changes first, at most kMaxPreviewRows; blocked products (a
// price zero, negative or over the ceiling) come alone. The counts end with the
// history's position when the preview ran (NRSEQHIST, the highest number of
// TABPRECLIEHIST it saw).
//
// The command itself may be sent with that position as its call's condition
// (platform/net/rpc_frame.h; an integer, beside the arguments): it is written all the
// same, from the formula or the source as they stand; its data part stays none, and
// beside it (the envelope's aside, result_envelope.h) it answers
// [rows (ChangedSinceColumns), count]: the prices it wrote that another change
// (manual, or of another batch) recorded after the position, each with the last such
// change's user and time, at most kMaxChangedSinceRows rows by customer and product;
// the count says how many in all. Without a condition the rows are empty.

inline constexpr int kMaxPreviewRows = 1000;

struct PreviewCounts {
  std::int64_t created = 0;
  std::int64_t changed = 0;
  std::int64_t unchanged = 0;
  std::int64_t skipped = 0;    // products of the range that get no price (no cost, or no price of the source)
  std::int64_t customers = 0;  // written to
  std::int64_t blocked = 0;    // products whose price would be refused
  std::int64_t historyMark = 0;  // the history's position when the preview ran
  bool operator==(const PreviewCounts&) const = default;
};
using PreviewCountFields =
    RecordFields<Field<"QTCRIADOS", &PreviewCounts::created>, Field<"QTALTERADOS", &PreviewCounts::changed>,
                 Field<"QTMANTIDOS", &PreviewCounts::unchanged>, Field<"QTSEMPRECO", &PreviewCounts::skipped>,
                 Field<"QTCLIENTES", &PreviewCounts::customers>, Field<"QTBLOQUEADOS", &PreviewCounts::blocked>,
                 Field<"NRSEQHIST", &PreviewCounts::historyMark>>;
using PreviewData = PacketAndRecordOf<PreviewColumns, PreviewCountFields>;
using PreviewReply = ReplyOf<PreviewData>;

inline constexpr int kMaxChangedSinceRows = 1000;

struct ChangedSinceCount {
  std::int64_t changed = 0;  // prices written over another's change since the preview
  bool operator==(const ChangedSinceCount&) const = default;
};
using ChangedSinceCountFields = RecordFields<Field<"QTALTERADOSPREVIA", &ChangedSinceCount::changed>>;
using RunData = PacketAndRecordOf<ChangedSinceColumns, ChangedSinceCountFields>;
using RunReply = ReplyOf<RunData>;

struct CalcCusProdArgs {
  std::string CdFilial;
  std::string CdCliente;
  std::int64_t TtNiveis = 0;
  std::int64_t NrTipoCusto = 0;
  std::string CdArvProdIni;
  std::string CdArvProdFin;
  std::string Substitui;
};
using CalcCusProdParams =
    ParamList<Arg<"CdFilial", &CalcCusProdArgs::CdFilial>, VarText<"CdCliente", &CalcCusProdArgs::CdCliente>,
              UnusedVarText<"NrInsJurClie", "the customer is named by its code; the number only comes back as sent">,
              Arg<"TtNiveis", &CalcCusProdArgs::TtNiveis>, Arg<"NrTipoCusto", &CalcCusProdArgs::NrTipoCusto>,
              Arg<"CdArvProdIni", &CalcCusProdArgs::CdArvProdIni>, Arg<"CdArvProdFin", &CalcCusProdArgs::CdArvProdFin>,
              Arg<"Substitui", &CalcCusProdArgs::Substitui>>;
// Prices the customer's products from the costs of the branch and the formula.
struct SetCalcCusProd : Method<TabPreClie, "SetCalcCusProd", NoData, CalcCusProdParams, RunData> {};
struct GetPreviaCalcCusProd : Method<TabPreClie, "GetPreviaCalcCusProd", PreviewData, CalcCusProdParams> {};

struct CopiaDadosArgs {
  std::string CdFilial;
  std::string CdCliente;
  std::int64_t TtNiveis = 0;
  std::string TodosClientes;
  std::string ListaClientes;
  std::int64_t NrTipoCusto = 0;
  std::string CdArvProdIni;
  std::string CdArvProdFin;
};
using CopiaDadosParams =
    ParamList<Arg<"CdFilial", &CopiaDadosArgs::CdFilial>, VarText<"CdCliente", &CopiaDadosArgs::CdCliente>,
              UnusedVarText<"NrInsJurClie", "the source is named by its code; the number only comes back as sent">,
              Arg<"TtNiveis", &CopiaDadosArgs::TtNiveis>, VarText<"TodosClientes", &CopiaDadosArgs::TodosClientes>,
              VarText<"ListaClientes", &CopiaDadosArgs::ListaClientes>,
              Arg<"NrTipoCusto", &CopiaDadosArgs::NrTipoCusto>,
              Arg<"CdArvProdIni", &CopiaDadosArgs::CdArvProdIni>, Arg<"CdArvProdFin", &CopiaDadosArgs::CdArvProdFin>>;
// Copies the source's formula to the targets and prices them from the branch's costs.
struct SetCopiaDados : Method<TabPreClie, "SetCopiaDados", NoData, CopiaDadosParams, RunData> {};
struct GetPreviaCopiaDados : Method<TabPreClie, "GetPreviaCopiaDados", PreviewData, CopiaDadosParams> {};

struct CopiaPrecoArgs {
  std::string CdFilial;
  std::string CdCliente;
  std::int64_t TtNiveis = 0;
  std::string TodosClientes;
  std::string ListaClientes;
  std::string DtValIni;
  std::string DtValFin;
  std::string Substitui;
  std::string CdArvProdIni;
  std::string CdArvProdFin;
};
using CopiaPrecoParams =
    ParamList<Arg<"CdFilial", &CopiaPrecoArgs::CdFilial>, VarText<"CdCliente", &CopiaPrecoArgs::CdCliente>,
              Arg<"TtNiveis", &CopiaPrecoArgs::TtNiveis>, VarText<"TodosClientes", &CopiaPrecoArgs::TodosClientes>,
              VarText<"ListaClientes", &CopiaPrecoArgs::ListaClientes>, Arg<"DtValIni", &CopiaPrecoArgs::DtValIni>,
              Arg<"DtValFin", &CopiaPrecoArgs::DtValFin>, VarText<"Substitui", &CopiaPrecoArgs::Substitui>,
              Arg<"CdArvProdIni", &CopiaPrecoArgs::CdArvProdIni>, Arg<"CdArvProdFin", &CopiaPrecoArgs::CdArvProdFin>>;
// Copies the source's special prices in the product range to the targets, for a
// registered branch.
struct SetCopiaPreco : Method<TabPreClie, "SetCopiaPreco", NoData, CopiaPrecoParams, RunData> {};
struct GetPreviaCopiaPreco : Method<TabPreClie, "GetPreviaCopiaPreco", PreviewData, CopiaPrecoParams> {};

// ---------------------------------------------------------------------------------
// History and undo

inline constexpr int kMaxHistoryRows = 1000;

struct HistoryPageArgs {
  std::string CdCliente;
  std::string CdProduto;
  std::string DtHrAte;
  std::int64_t NrSeqAte = 0;
  std::int64_t QtLinhas = 0;
};
// One page of the customer's price history, newest first in the order the changes were
// applied (their numbers NRSEQHIST): of one product (CdProduto) or of all (""), the rows
// before the position (NrSeqAte, and DtHrAte "yyyy-mm-ddThh:nn:ss", of the last row of
// the previous page; 0 and "" for the first page), at most QtLinhas (1 to
// kMaxHistoryRows) rows.
struct GetHistPreco
    : Method<TabPreClie, "GetHistPreco", PacketOf<HistoryColumns>,
             ParamList<Arg<"CdCliente", &HistoryPageArgs::CdCliente>, Arg<"CdProduto", &HistoryPageArgs::CdProduto>,
                       Arg<"DtHrAte", &HistoryPageArgs::DtHrAte>, Arg<"NrSeqAte", &HistoryPageArgs::NrSeqAte>,
                       Arg<"QtLinhas", &HistoryPageArgs::QtLinhas>>> {};

struct BatchArgs {
  std::int64_t NrLote = 0;
};
// The batch with that number.
struct GetLotePreco
    : Method<TabPreClie, "GetLotePreco", PacketOf<BatchColumns>, ParamList<Arg<"NrLote", &BatchArgs::NrLote>>> {};

inline constexpr int kMaxKeptRows = 1000;

struct UndoCounts {
  std::int64_t restored = 0;  // prices (or, for a formula copy, formulas) given back
  std::int64_t kept = 0;      // prices and formulas kept, listed or not
  bool operator==(const UndoCounts&) const = default;
};
using UndoCountFields =
    RecordFields<Field<"QTRESTAURADOS", &UndoCounts::restored>, Field<"QTMANTIDOS", &UndoCounts::kept>>;
// Takes back a recalculation or copy: every price of the batch still as the batch
// left it gets its price and validity from before (a price the batch created is
// removed), and a formula copy's targets get their formulas back; what changed since is
// kept and listed. One transaction, itself a batch of origin "D". The data part is
// [kept rows (KeptColumns), counts]: the kept prices first, then the kept formulas, at
// most kMaxKeptRows rows in all, whatever the batch's size; the counts say how many
// were kept in all.
using UndoData = PacketAndRecordOf<KeptColumns, UndoCountFields>;
using UndoReply = ReplyOf<UndoData>;
struct SetDesfazLote : Method<TabPreClie, "SetDesfazLote", UndoData, ParamList<Arg<"NrLote", &BatchArgs::NrLote>>> {};

// ---------------------------------------------------------------------------------
// Special prices imported from a spreadsheet

struct ImportArgs {
  platform::Variant Linhas;
  std::string CdCliente;
  std::int64_t TtNiveis = 0;
};
// Linhas: a packet of ImportLineColumns, one row per line the client read from the file.
// A line names its customer by code (CDCLIENTE) or by registration number with or
// without punctuation (NRINSJURCLIE), or neither, and is then for CdCliente; its product
// by tree code with or without the dots of the picture.
using ImportParams = ParamList<Arg<"Linhas", &ImportArgs::Linhas>, Arg<"CdCliente", &ImportArgs::CdCliente>,
                               Arg<"TtNiveis", &ImportArgs::TtNiveis>>;
// What the import would write: [rows (ImportPreviewColumns), counts]. The refused lines
// come first (IDBLOQUEIO "S", in line order, each with its column, value and reason;
// QTBLOQUEADOS counts them), then the changes, largest first, at most kMaxPreviewRows
// of each; QTCLIENTES is how many customers the accepted lines reach.
using ImportPreviewData = PacketAndRecordOf<ImportPreviewColumns, PreviewCountFields>;
struct GetPreviaImpPreco : Method<TabPreClie, "GetPreviaImpPreco", ImportPreviewData, ImportParams> {};
// Writes the accepted lines (the refused ones never) as one batch of origin "I", which
// SetDesfazLote takes back like a copy. A file with no accepted line is refused. Sent
// with the preview's history position, it answers as the commands above.
struct SetImpPreco : Method<TabPreClie, "SetImpPreco", NoData, ImportParams, RunData> {};

using TabPreClieMethods =
    MethodList<GetPesqCliente, GetCDCliente, GetPrecoProd, SetTabPreClie, GetFatPreClie, SetCompPreco, SetCalcCusProd,
               GetPesqClieLista, SetCopiaDados, SetCopiaPreco, GetPreviaCalcCusProd, GetPreviaCopiaDados,
               GetPreviaCopiaPreco, GetHistPreco, GetLotePreco, SetDesfazLote, GetPreviaImpPreco, SetImpPreco>;

}  // namespace contracts::server
