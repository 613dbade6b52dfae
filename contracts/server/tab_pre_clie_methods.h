#pragma once
// rdmTabPreClie: the remote methods of customer special prices, declared once for the
// client's calls and the server's handlers (method_declaration.h).
#include "contracts/server/method_declaration.h"
#include "contracts/server/packets.h"

namespace contracts::server {

// The customers by corporate name (filter "T"), or the one with the registration
// number (filter "").
struct GetPesqCliente : Method<TabPreClie, "GetPesqCliente", PacketOf<CustomerColumns>,  //
                               Arg<"NrInsJurClie", Text>, Arg<"Filtro", Text>> {};

// The customer with that code (filter ""), or every customer (filter "T").
struct GetCDCliente : Method<TabPreClie, "GetCDCliente", PacketOf<CustomerColumns>,  //
                             Arg<"CdCliente", Text>, Arg<"Filtro", Text>> {};

// Every product of the priced level with the customer's price and dates.
struct GetPrecoProd : Method<TabPreClie, "GetPrecoProd", PacketOf<PriceColumns>,  //
                             Arg<"CdCliente", Text>, Arg<"TtNiveis", Int32>> {};

// Stores one special price; price 0 with both dates empty removes it. The flag must be "S".
struct SetTabPreClie : Method<TabPreClie, "SetTabPreClie", NoData,  //
                              Arg<"CdCliente", Text>, Arg<"CdProduto", Text>, Arg<"VrPrecoProd", Double>,
                              Arg<"DtValIni", Text>, Arg<"DtValFin", Text>, Arg<"Flag", Text>> {};

// The customer's formula rows and formula text.
struct GetFatPreClie : Method<TabPreClie, "GetFatPreClie", PacketAndTextOf<FormulaColumns>,  //
                              VarText<"CdCliente">, Arg<"LabelCusto", Text>> {};

// Applies a delta of formula rows; answers the rows and text after it.
struct SetCompPreco : Method<TabPreClie, "SetCompPreco", PacketAndTextOf<FormulaColumns>,  //
                             Arg<"Delta", AnyValue>, VarText<"CdCliente">, Arg<"LabelCusto", Text>> {};

// Prices the customer's products from the costs of the branch and the formula.
struct SetCalcCusProd
    : Method<TabPreClie, "SetCalcCusProd", NoData,  //
             Arg<"CdFilial", Text>, VarText<"CdCliente">,
             VarText<"NrInsJurClie", Unused<"the customer is named by its code; the number only comes back as sent">>,
             Arg<"TtNiveis", Int32>, Arg<"NrTipoCusto", Int32>, Arg<"CdArvProdIni", Text>, Arg<"CdArvProdFin", Text>,
             Arg<"Substitui", Text>> {};

// Every customer for a multiple choice, none marked.
struct GetPesqClieLista
    : Method<TabPreClie, "GetPesqClieLista", PacketOf<CustomerListColumns>,  //
             VarText<"CdCliente", Unused<"the list holds every customer, the caller's own included, none marked">>> {};

// Copies the source's formula to the targets and prices them from the branch's costs.
struct SetCopiaDados
    : Method<TabPreClie, "SetCopiaDados", NoData,  //
             Arg<"CdFilial", Text>, VarText<"CdCliente">,
             VarText<"NrInsJurClie", Unused<"the source is named by its code; the number only comes back as sent">>,
             Arg<"TtNiveis", Int32>, VarText<"TodosClientes">, VarText<"ListaClientes">, Arg<"NrTipoCusto", Int32>,
             Arg<"CdArvProdIni", Text>, Arg<"CdArvProdFin", Text>> {};

// Copies the source's special prices in the product range to the targets, for a
// registered branch.
struct SetCopiaPreco
    : Method<TabPreClie, "SetCopiaPreco", NoData,  //
             Arg<"CdFilial", Text>, VarText<"CdCliente">, Arg<"TtNiveis", Int32>, VarText<"TodosClientes">, VarText<"ListaClientes">,
             Arg<"DtValIni", Text>, Arg<"DtValFin", Text>, VarText<"Substitui">, Arg<"CdArvProdIni", Text>,
             Arg<"CdArvProdFin", Text>> {};

// ---------------------------------------------------------------------------------
// Previews: what SetCalcCusProd, SetCopiaDados and SetCopiaPreco would do with the same
// arguments, computed by the same statements in a transaction that is rolled back.
// The data part is [rows (PreviewColumns), summary]: the summary is six counts joined
// by ";": prices created, changed, kept unchanged, products skipped (no cost, or no
// price of the source), customers written to, products blocked. The rows are the
// largest changes first, at most kMaxPreviewRows; blocked products come alone.

inline constexpr int kMaxPreviewRows = 1000;

struct GetPreviaCalcCusProd
    : Method<TabPreClie, "GetPreviaCalcCusProd", PacketAndTextOf<PreviewColumns>,  //
             Arg<"CdFilial", Text>, VarText<"CdCliente">,
             VarText<"NrInsJurClie", Unused<"the customer is named by its code; the number only comes back as sent">>,
             Arg<"TtNiveis", Int32>, Arg<"NrTipoCusto", Int32>, Arg<"CdArvProdIni", Text>, Arg<"CdArvProdFin", Text>,
             Arg<"Substitui", Text>> {};

struct GetPreviaCopiaDados
    : Method<TabPreClie, "GetPreviaCopiaDados", PacketAndTextOf<PreviewColumns>,  //
             Arg<"CdFilial", Text>, VarText<"CdCliente">,
             VarText<"NrInsJurClie", Unused<"the source is named by its code; the number only comes back as sent">>,
             Arg<"TtNiveis", Int32>, VarText<"TodosClientes">, VarText<"ListaClientes">, Arg<"NrTipoCusto", Int32>,
             Arg<"CdArvProdIni", Text>, Arg<"CdArvProdFin", Text>> {};

struct GetPreviaCopiaPreco
    : Method<TabPreClie, "GetPreviaCopiaPreco", PacketAndTextOf<PreviewColumns>,  //
             Arg<"CdFilial", Text>, VarText<"CdCliente">, Arg<"TtNiveis", Int32>, VarText<"TodosClientes">, VarText<"ListaClientes">,
             Arg<"DtValIni", Text>, Arg<"DtValFin", Text>, VarText<"Substitui">, Arg<"CdArvProdIni", Text>,
             Arg<"CdArvProdFin", Text>> {};

// ---------------------------------------------------------------------------------
// History and undo

// One page of the customer's price history, newest first: of one product (CdProduto)
// or of all (""), the rows before the position (DtHrAte "yyyy-mm-ddThh:nn:ss" and
// NrSeqAte of the last row of the previous page; "" and 0 for the first page), at most
// QtLinhas (1 to kMaxHistoryRows) rows.
inline constexpr int kMaxHistoryRows = 1000;
struct GetHistPreco : Method<TabPreClie, "GetHistPreco", PacketOf<HistoryColumns>,  //
                             Arg<"CdCliente", Text>, Arg<"CdProduto", Text>, Arg<"DtHrAte", Text>,
                             Arg<"NrSeqAte", Int32>, Arg<"QtLinhas", Int32>> {};

// The batch with that number.
struct GetLotePreco : Method<TabPreClie, "GetLotePreco", PacketOf<BatchColumns>, Arg<"NrLote", Int32>> {};

// Takes back a recalculation or copy: every price of the batch still as the batch
// left it gets its price and validity from before (a price the batch created is
// removed), and a formula copy's targets get their formulas back; what changed since is
// kept and listed. One transaction, itself a batch of origin "D". The data part is
// [kept rows (KeptColumns), number of prices restored].
struct SetDesfazLote : Method<TabPreClie, "SetDesfazLote", PacketAndTextOf<KeptColumns>, Arg<"NrLote", Int32>> {};

using TabPreClieMethods =
    MethodList<GetPesqCliente, GetCDCliente, GetPrecoProd, SetTabPreClie, GetFatPreClie, SetCompPreco, SetCalcCusProd,
               GetPesqClieLista, SetCopiaDados, SetCopiaPreco, GetPreviaCalcCusProd, GetPreviaCopiaDados,
               GetPreviaCopiaPreco, GetHistPreco, GetLotePreco, SetDesfazLote>;

}  // namespace contracts::server
