// GetFatPreClie and SetCompPreco: a customer's price composition formula.
//
// SetCompPreco applies a delta of formula rows in one transaction. Every row is
// checked before it is written: inserted and modified rows for a registered factor, an
// order of up to three digits unique for the customer, a factor unique for the
// customer, known codes and a value within the price limits
// (contracts/server/price_limits.h); modified and deleted rows also for
// their original values, which must still be the stored ones (a row changed by someone
// else since it was read is refused, never overwritten). Deletions go first, then
// modifications, then insertions, so a delta may free an order and reuse it.
#include <cmath>
#include <memory>
#include <optional>

#include "contracts/server/packets.h"
#include "contracts/server/price_limits.h"
#include "platform/variant/data_packet.h"
#include "server/modules/formula.h"
#include "server/modules/lookups.h"
#include "server/modules/price_lock.h"
#include "server/modules/refusal.h"
#include "server/modules/tab_pre_clie.h"
#include "server/store/sql_builder.h"
#include "server/store/transaction.h"

namespace server::modules::tab_pre_clie {
namespace {

using platform::ChangeKind;
using platform::DataPacket;
using platform::Variant;

PacketPtr FormulaPacket(const std::string& customer, const std::vector<FormulaRow>& rows) {
  auto packet = std::make_shared<DataPacket>(contracts::server::FormulaColumns());
  for (const FormulaRow& row : rows) {
    packet->appendString(row.cdFatPreco);
    packet->appendString(customer);
    packet->appendString(row.sgFatPreco);
    packet->appendString(row.nrOrdemFat);
    packet->appendString(FactorKindCode(row.kind));
    packet->appendFloat(row.value);
    packet->appendString(OperationCode(row.operation));
    packet->endRow();
  }
  return packet;
}

PacketAndText FormulaAnswer(store::Connection& c, const std::string& customer, const std::string& costLabel) {
  std::vector<FormulaRow> rows = LoadFormula(c, customer);
  return {FormulaPacket(customer, rows), FormulaText(costLabel, rows)};
}

// A formula row as the delta carries it, with every value still as text or number.
struct DeltaValues {
  std::string cdCliente;
  std::string cdFatPreco;
  std::string sgFatPreco;
  std::string nrOrdemFat;
  std::string idDetFatPre;
  std::optional<double> vrFatPreClie;
  std::string idTpOperFatClie;
};

// The stored form of a row after its checks.
struct CheckedRow {
  std::string cdFatPreco;
  std::string sgFatPreco;
  std::string nrOrdemFat;
  std::string idDetFatPre;
  double vrFatPreClie = 0;
  std::string idTpOperFatClie;
};

class DeltaReader {
 public:
  explicit DeltaReader(const DataPacket& delta) : delta_(delta) {
    for (const char* name : {"NRORDEMFAT", "IDDETFATPRE", "VRFATPRECLIE", "IDTPOPERFATCLIE"})
      if (delta_.columnIndex(name) < 0) throw Refusal(std::string("Alterações da fórmula sem a coluna ") + name + ".");
    if (delta_.columnIndex("CDFATPRECO") < 0 && delta_.columnIndex("SGFATPRECO") < 0)
      throw Refusal("Alterações da fórmula sem a coluna CDFATPRECO.");
  }

  // The row's new values. In a modified row a null cell of a required column means
  // "unchanged" and takes the original value.
  DeltaValues current(std::size_t row) const {
    bool modified = delta_.changeKind(row) == ChangeKind::Modified;
    auto cell = [&](const char* name) -> Variant {
      int col = delta_.columnIndex(name);
      if (col < 0) return Variant::Null();
      Variant value = delta_.value(row, static_cast<std::size_t>(col));
      if (value.isBlank() && modified) return delta_.originalValues(row).at(static_cast<std::size_t>(col));
      return value;
    };
    return Values(cell);
  }

  DeltaValues original(std::size_t row) const {
    const auto& original = delta_.originalValues(row);
    if (original.size() != delta_.columnCount())
      throw Refusal("Alterações da fórmula sem os valores originais da linha " + std::to_string(row + 1) + ".");
    auto cell = [&](const char* name) -> Variant {
      int col = delta_.columnIndex(name);
      return col < 0 ? Variant::Null() : original[static_cast<std::size_t>(col)];
    };
    return Values(cell);
  }

 private:
  template <typename Cell>
  static DeltaValues Values(const Cell& cell) {
    auto text = [&](const char* name) -> std::string {
      Variant v = cell(name);
      if (v.isBlank()) return {};
      if (v.kind() != Variant::Kind::String) throw Refusal(std::string("Coluna ") + name + " da fórmula deve ser texto.");
      return v.asString();
    };
    DeltaValues values;
    values.cdCliente = text("CDCLIENTE");
    values.cdFatPreco = text("CDFATPRECO");
    values.sgFatPreco = text("SGFATPRECO");
    values.nrOrdemFat = text("NRORDEMFAT");
    values.idDetFatPre = text("IDDETFATPRE");
    values.idTpOperFatClie = text("IDTPOPERFATCLIE");
    Variant value = cell("VRFATPRECLIE");
    if (!value.isBlank()) {
      if (value.kind() != Variant::Kind::Double && value.kind() != Variant::Kind::Integer)
        throw Refusal("Valor do fator deve ser numérico.");
      values.vrFatPreClie = value.asDouble();
    }
    return values;
  }

  const DataPacket& delta_;
};

// A factor value from kMinFactorValue to kMaxPrice: a smaller one could not be told
// from zero in the formula text and could leave the finite numbers in a division.
void RequireSoundFactorValue(double value) {
  using namespace contracts::server;
  if (!std::isfinite(value) || value <= 0) throw Refusal("Valor deve ser maior que zero.");
  if (value < kMinFactorValue) throw Refusal("Valor deve ser de no mínimo " + MinFactorValueText() + ".");
  if (value > kMaxPrice) throw Refusal("Valor deve ser no máximo " + MaxPriceText() + ".");
}

// "7", "07", "007" and "  7" are order 007. Empty gives nullopt.
std::optional<std::string> NormalizeOrder(const std::string& text) {
  std::string digits;
  bool leading = true;
  for (char c : text) {
    if (leading && c == ' ') continue;
    leading = false;
    if (c < '0' || c > '9') throw Refusal("Ordem inválida: '" + ShownValue(text) + "'. Informe até três dígitos.");
    digits += c;
  }
  while (digits.size() > 3 && digits.front() == '0') digits.erase(0, 1);
  if (digits.empty()) return std::nullopt;
  if (digits.size() > 3) throw Refusal("Ordem inválida: '" + ShownValue(text) + "'. Informe até três dígitos.");
  return std::string(3 - digits.size(), '0') + digits;
}

class FormulaEditor {
 public:
  FormulaEditor(store::Connection& c, std::string customer) : c_(c), customer_(std::move(customer)) {}

  void remove(const DeltaValues& original) {
    std::string order = lockOriginal(original);
    c_.execute("DELETE FROM COMPPRECLIE WHERE CDCLIENTE = $1 AND NRORDEMFAT = $2", {customer_, order});
  }

  void modify(const DeltaValues& original, const DeltaValues& values) {
    std::string order = lockOriginal(original);
    CheckedRow row = check(values, order);
    c_.execute(
        "UPDATE COMPPRECLIE SET CDFATPRECO = $3, NRORDEMFAT = $4, IDDETFATPRE = $5, VRFATPRECLIE = $6, "
        "IDTPOPERFATCLIE = $7 WHERE CDCLIENTE = $1 AND NRORDEMFAT = $2",
        {customer_, order, row.cdFatPreco, row.nrOrdemFat, row.idDetFatPre, row.vrFatPreClie, row.idTpOperFatClie});
  }

  void insert(const DeltaValues& values) {
    CheckedRow row = check(values, std::nullopt);
    c_.execute(
        "INSERT INTO COMPPRECLIE (CDCLIENTE, CDFATPRECO, NRORDEMFAT, IDDETFATPRE, VRFATPRECLIE, IDTPOPERFATCLIE) "
        "VALUES ($1, $2, $3, $4, $5, $6)",
        {customer_, row.cdFatPreco, row.nrOrdemFat, row.idDetFatPre, row.vrFatPreClie, row.idTpOperFatClie});
  }

 private:
  // Locks the stored row the original values describe and checks they are still its
  // values. Returns its order.
  std::string lockOriginal(const DeltaValues& original) {
    auto order = NormalizeOrder(original.nrOrdemFat);
    if (!order) throw Refusal("Alterações da fórmula sem a ordem original da linha.");
    std::optional<CheckedRow> stored;
    store::SqlBuilder sql(c_.backend());
    std::string statement =
        "SELECT C.CDFATPRECO, F.SGFATPRECO, C.IDDETFATPRE, C.VRFATPRECLIE, C.IDTPOPERFATCLIE FROM COMPPRECLIE C "
        "JOIN FATORPRECO F ON F.CDFATPRECO = C.CDFATPRECO WHERE C.CDCLIENTE = " +
        sql.param(customer_) + " AND C.NRORDEMFAT = " + sql.param(*order) + sql.forUpdateOf("C");
    c_.query(statement, sql.params(), [&](const store::Row& r) {
      stored = CheckedRow{r.text(0), r.text(1), *order, r.text(2), r.real(3), r.text(4)};
    });
    if (!stored)
      throw Refusal("O fator da ordem " + *order + " foi excluído por outro usuário. Recarregue a fórmula.");
    bool same = (original.cdFatPreco.empty() || original.cdFatPreco == stored->cdFatPreco) &&
                (!original.cdFatPreco.empty() || original.sgFatPreco == stored->sgFatPreco) &&
                original.idDetFatPre == stored->idDetFatPre && original.vrFatPreClie &&
                *original.vrFatPreClie == stored->vrFatPreClie &&
                original.idTpOperFatClie == stored->idTpOperFatClie;
    if (!same)
      throw Refusal("O fator da ordem " + *order + " foi alterado por outro usuário. Recarregue a fórmula.");
    return *order;
  }

  // The checks of a new or modified row; `ownOrder` is the stored order of a modified
  // row, which the uniqueness checks leave out.
  CheckedRow check(const DeltaValues& values, const std::optional<std::string>& ownOrder) {
    if (!values.cdCliente.empty() && values.cdCliente != customer_)
      throw Refusal("Linha da fórmula de outro cliente (" + ShownValue(values.cdCliente) + ").");
    CheckedRow row;
    auto order = NormalizeOrder(values.nrOrdemFat);
    if (!order) throw Refusal("Ordem deve ser informada.");
    row.nrOrdemFat = *order;
    resolveFactor(values, row);
    if (!FactorKindOf(values.idDetFatPre))
      throw Refusal("Determinação inválida: '" + ShownValue(values.idDetFatPre) + "'. Use P, N ou M.");
    row.idDetFatPre = values.idDetFatPre;
    if (!OperationOf(values.idTpOperFatClie))
      throw Refusal("Integração inválida: '" + ShownValue(values.idTpOperFatClie) + "'. Use SUM, SUB, MUL ou DIV.");
    row.idTpOperFatClie = values.idTpOperFatClie;
    if (!values.vrFatPreClie) throw Refusal("Valor deve ser informado.");
    RequireSoundFactorValue(*values.vrFatPreClie);
    row.vrFatPreClie = *values.vrFatPreClie;

    std::string other = ownOrder ? " AND NRORDEMFAT <> $3" : "";
    store::Params orderParams{customer_, row.nrOrdemFat};
    store::Params factorParams{customer_, row.cdFatPreco};
    if (ownOrder) {
      orderParams.push_back(*ownOrder);
      factorParams.push_back(*ownOrder);
    }
    if (c_.exists("SELECT 1 FROM COMPPRECLIE WHERE CDCLIENTE = $1 AND NRORDEMFAT = $2" + other, orderParams))
      throw Refusal("Ordem já cadastrada.");
    if (c_.exists("SELECT 1 FROM COMPPRECLIE WHERE CDCLIENTE = $1 AND CDFATPRECO = $2" + other, factorParams))
      throw Refusal("Fator de Ajuste do preço já cadastrado para o cliente informado.");
    return row;
  }

  void resolveFactor(const DeltaValues& values, CheckedRow& row) {
    if (values.cdFatPreco.empty() && values.sgFatPreco.empty())
      throw Refusal("Fator de Ajuste do Preço deve ser informado.");
    bool byCode = !values.cdFatPreco.empty();
    bool found = false;
    c_.query(byCode ? "SELECT CDFATPRECO, SGFATPRECO FROM FATORPRECO WHERE CDFATPRECO = $1"
                    : "SELECT CDFATPRECO, SGFATPRECO FROM FATORPRECO WHERE SGFATPRECO = $1",
             {byCode ? values.cdFatPreco : values.sgFatPreco}, [&](const store::Row& r) {
               found = true;
               row.cdFatPreco = r.text(0);
               row.sgFatPreco = r.text(1);
             });
    if (!found) throw Refusal("Fator de Ajuste do Preço não cadastrado.");
    if (byCode && !values.sgFatPreco.empty() && values.sgFatPreco != row.sgFatPreco)
      throw Refusal("Fator de Ajuste do Preço não confere: código " + row.cdFatPreco + " é " + row.sgFatPreco +
                    ", não " + ShownValue(values.sgFatPreco) + ".");
  }

  store::Connection& c_;
  std::string customer_;
};

const DataPacket& ReadDelta(const Variant& delta) {
  if (delta.kind() != Variant::Kind::Packet || !delta.asPacket().isDelta())
    throw Refusal("Alterações da fórmula em formato inválido: esperado um pacote de alterações.");
  return delta.asPacket();
}

}  // namespace

PacketAndText GetFatPreClie(store::Connection& c, const contract::FormulaArgs& a) {
  RequireCustomer(c, a.CdCliente);
  return FormulaAnswer(c, a.CdCliente, a.LabelCusto);
}

PacketAndText SetCompPreco(store::Connection& c, const contract::FormulaDeltaArgs& a) {
  const std::string& customer = a.CdCliente;
  const DataPacket& delta = ReadDelta(a.Delta);
  DeltaReader reader(delta);
  return store::RunInTransaction(c, store::TxMode::Write, [&] {
    RequireCustomer(c, customer);
    // After a copy or undo replacing this formula, the delta is checked against its result.
    LockFormulaCustomers(c, "SELECT CAST($1 AS VARCHAR(21))", {customer});
    FormulaEditor editor(c, customer);
    for (ChangeKind pass : {ChangeKind::Deleted, ChangeKind::Modified, ChangeKind::Inserted}) {
      for (std::size_t row = 0; row < delta.rowCount(); ++row) {
        if (delta.changeKind(row) != pass) continue;
        switch (pass) {
          case ChangeKind::Deleted: editor.remove(reader.original(row)); break;
          case ChangeKind::Modified: editor.modify(reader.original(row), reader.current(row)); break;
          case ChangeKind::Inserted: editor.insert(reader.current(row)); break;
        }
      }
    }
    return FormulaAnswer(c, customer, a.LabelCusto);
  });
}

}  // namespace server::modules::tab_pre_clie
