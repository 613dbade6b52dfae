#include "server/modules/import_lines.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <tuple>
#include <unordered_map>

#include "contracts/server/packets.h"
#include "contracts/server/price_limits.h"
#include "platform/text/ascii_text.h"
#include "platform/text/date_time.h"
#include "platform/text/float_format.h"
#include "platform/variant/data_packet.h"
#include "server/modules/base_prices.h"
#include "server/modules/refusal.h"
#include "server/modules/wire_values.h"
#include "server/store/price_round.h"
#include "server/store/schema.h"
#include "server/store/sql_builder.h"

namespace server::modules {
namespace {

using platform::DataPacket;

// The lines as the file has them, then keyed by the customer and product they resolve to.
constexpr const char* kLineTable = "TMPIMPLINHA";
constexpr const char* kImportTable = "TMPIMPORTACAO";
constexpr const char* kShownTable = "TMPIMPMOSTRA";

// Why a line is refused, in the order the checks run: the first that fails is its reason.
// The database's checks (customer, product, repetition) run in SQL over the loaded lines;
// the others are decided while the lines are read.
enum Reason : int {
  kUnknownCode = 1,
  kOtherCustomersRegistration = 2,
  kUnknownRegistration = 3,
  kNoCustomer = 4,
  kNoProduct = 5,
  kUnknownProduct = 6,
  kGroupProduct = 7,
  kNoPrice = 10,
  kNotFinite = 11,
  kZeroPrice = 12,
  kNegativePrice = 13,
  kOverCeiling = 14,
  kEndWithoutStart = 15,
  kStartAfterEnd = 16,
  kRepeated = 20,
};

// How a line names its customer.
// A reason decided when loading below this one comes before the product's checks, the
// others after them.
constexpr int kLateReasons = kNoPrice;

enum CustomerBy : int { kByNothing = 0, kByCode = 1, kByRegistration = 2, kByDefault = 3 };

// A line of the packet, its texts in the packet.
struct PacketLine {
  std::int64_t line = 0;
  std::string_view customerCode;
  std::string_view registration;
  std::string_view productText;
  std::optional<double> price;
  std::optional<std::string> start;  // yyyy-mm-dd
  std::optional<std::string> end;
};

// A date column's last value and its ISO text: a file's lines mostly share their dates.
struct IsoDates {
  double value = std::numeric_limits<double>::quiet_NaN();
  std::string iso;
};

std::optional<std::string> DateAt(const DataPacket& packet, std::size_t row, std::size_t col, IsoDates& last) {
  if (packet.isNull(row, col)) return std::nullopt;
  const double value = std::floor(packet.floatAt(row, col));
  if (value == last.value) return last.iso;
  const platform::TDateTime date{value};
  if (!platform::IsValidDateTime(date)) throw Refusal("Linhas da importação com data inválida.");
  last = {value, platform::DateTimeToISO(date).substr(0, 10)};
  return last.iso;
}

// The line of the packet's `row`; `dates` keeps the last start and end read.
PacketLine LineAt(const DataPacket& packet, std::size_t row, std::array<IsoDates, 2>& dates) {
  PacketLine line;
  line.line = packet.isNull(row, 0) ? static_cast<std::int64_t>(row + 1) : packet.integerAt(row, 0);
  line.customerCode = packet.stringAt(row, 1);
  line.registration = packet.stringAt(row, 2);
  line.productText = packet.stringAt(row, 3);
  if (!packet.isNull(row, 4)) line.price = packet.floatAt(row, 4);
  line.start = DateAt(packet, row, 5, dates[0]);
  line.end = DateAt(packet, row, 6, dates[1]);
  return line;
}

PacketLine LineAt(const DataPacket& packet, std::size_t row) {
  std::array<IsoDates, 2> dates;
  return LineAt(packet, row, dates);
}

const DataPacket& ImportPacket(const platform::Variant& value) {
  if (value.kind() != platform::Variant::Kind::Packet) throw Refusal("As linhas da importação devem vir num pacote de dados.");
  const DataPacket& packet = value.asPacket();
  const auto& expected = contracts::server::ImportLineColumns();
  bool same = packet.columnCount() == expected.size();
  for (std::size_t c = 0; same && c < expected.size(); ++c)
    same = packet.columns()[c].name == expected[c].name && packet.columns()[c].type == expected[c].type;
  if (!same) throw Refusal("As linhas da importação não têm as colunas esperadas.");
  return packet;
}

// The first reason of the price and the period, if any, with the price as it is written.
std::optional<Reason> PriceAndPeriodReason(const PacketLine& line, double& rounded) {
  if (!line.price) return kNoPrice;
  if (!std::isfinite(*line.price)) return kNotFinite;
  if (*line.price == 0) return kZeroPrice;
  if (*line.price < 0) return kNegativePrice;
  rounded = store::RoundPrice(*line.price);
  if (!contracts::server::IsSoundPrice(rounded)) return kOverCeiling;
  if (line.end && !line.start) return kEndWithoutStart;
  if (line.start && line.end && *line.start > *line.end) return kStartAfterEnd;
  return std::nullopt;
}

platform::Variant DateOrNull(const std::optional<std::string>& date) {
  return date ? platform::Variant(*date) : platform::Variant();
}

// A line as the database checks it: how it names its customer, the customer key (code,
// registration digits or the default customer), the registration a code must go with,
// the product code, the reason decided here, and the price to write.
struct LoadedLine {
  CustomerBy by = kByNothing;
  std::string customer;
  std::string registration;
  std::string product;
  std::optional<Reason> reason;
  double price = 0;
};

LoadedLine Loaded(const PacketLine& line, const std::string& defaultCustomer) {
  LoadedLine loaded;
  std::string digits = DigitsOnly(line.registration);
  if (!line.customerCode.empty()) {
    loaded.by = kByCode;
    loaded.customer = platform::TrimBlanks(line.customerCode);
    loaded.registration = std::move(digits);
  } else if (!digits.empty()) {
    loaded.by = kByRegistration;
    loaded.customer = std::move(digits);
  } else if (!defaultCustomer.empty()) {
    loaded.by = kByDefault;
    loaded.customer = defaultCustomer;
  }
  loaded.product = ProductCode(line.productText);
  if (loaded.by == kByNothing) loaded.reason = kNoCustomer;
  else if (loaded.product.empty()) loaded.reason = kNoProduct;
  else loaded.reason = PriceAndPeriodReason(line, loaded.price);
  return loaded;
}

// What the loaded lines tell before the database checks them.
struct LoadFacts {
  // Some product is named on more than one line: not when the lines still accepted come
  // in ascending order of product code, as a sheet sorted by product does.
  bool repeatsPossible = false;
  // Some line names its customer itself instead of taking the default one.
  bool namedCustomers = false;
};

LoadFacts LoadLines(store::Connection& c, const DataPacket& packet, const std::string& defaultCustomer) {
  const char* date = c.backend() == store::Backend::PostgreSQL ? "DATE" : "TEXT";
  ResetTempTable(c, kLineTable,
                 std::string("NRSEQ BIGINT NOT NULL, NRLINHA BIGINT NOT NULL, IDCLIENTE INTEGER NOT NULL, DSCLIENTE "
                             "TEXT NOT NULL, NRINSCRICAO TEXT NOT NULL, CDARVPROD TEXT NOT NULL, NRMOTIVO INTEGER, "
                             "VRPRECOPROD DOUBLE PRECISION, DTVALINI ") +
                     date + ", DTVALFIN " + date,
                 TempRows::InsertionOrder);
  auto writer = c.bulkWriter(kLineTable, {"NRSEQ", "NRLINHA", "IDCLIENTE", "DSCLIENTE", "NRINSCRICAO", "CDARVPROD",
                                          "NRMOTIVO", "VRPRECOPROD", "DTVALINI", "DTVALFIN"});
  LoadFacts facts;
  std::string lastProduct;
  store::Params values(10);
  std::array<IsoDates, 2> dates;
  for (std::size_t row = 0; row < packet.rowCount(); ++row) {
    const PacketLine line = LineAt(packet, row, dates);
    LoadedLine loaded = Loaded(line, defaultCustomer);
    if (loaded.by == kByCode || loaded.by == kByRegistration) facts.namedCustomers = true;
    if (!loaded.reason) {
      if (!lastProduct.empty() && loaded.product <= lastProduct) facts.repeatsPossible = true;
      lastProduct = loaded.product;
    }
    values[0] = static_cast<std::int64_t>(row);
    values[1] = line.line;
    values[2] = static_cast<std::int64_t>(loaded.by);
    values[3] = std::move(loaded.customer);
    values[4] = std::move(loaded.registration);
    values[5] = std::move(loaded.product);
    values[6] = loaded.reason ? platform::Variant(static_cast<std::int64_t>(*loaded.reason)) : platform::Variant();
    values[7] = loaded.reason ? platform::Variant() : platform::Variant(loaded.price);
    values[8] = DateOrNull(line.start);
    values[9] = DateOrNull(line.end);
    writer->add(values);
  }
  writer->finish();
  return facts;
}

// The lines keyed by the customer and product they name, each with its first reason:
// the database's checks of the customer, then the reasons of the customer and product
// decided when loading, then the product's checks, then the other reasons loaded; then
// the lines accepted so far that name the same customer and product are all refused.
//
// On SQLite the keyed lines are written in key order as they come, numbered by their
// rowid, so that a write reads its slices straight from them (ImportedPrices) instead
// of copying them once more; PostgreSQL keeps them under their key.
void CheckLoadedLines(store::Connection& c, int level, const LoadFacts& facts) {
  const bool sqlite = c.backend() == store::Backend::SQLite;
  const char* date = sqlite ? "TEXT" : "DATE";
  ResetTempTable(c, kImportTable,
                 std::string("CDCLIENTE VARCHAR(21) NOT NULL, CDPRODUTO VARCHAR(10) NOT NULL, NRSEQ BIGINT NOT NULL, "
                             "NRLINHA BIGINT NOT NULL, NRMOTIVO INTEGER, VRPRECOPROD DOUBLE PRECISION, DTVALINI ") +
                     date + ", DTVALFIN " + date + (sqlite ? "" : ", PRIMARY KEY (CDCLIENTE, CDPRODUTO, NRSEQ)"),
                 sqlite ? TempRows::InsertionOrder : TempRows::KeyOrder);
  store::SqlBuilder sql(c.backend());
  auto n = [](int value) { return std::to_string(value); };
  const std::string byCode = "L.IDCLIENTE = " + n(kByCode), byRegistration = "L.IDCLIENTE = " + n(kByRegistration);
  const std::string first =
      "CASE WHEN " + byCode + " AND CC.CDCLIENTE IS NULL THEN " + n(kUnknownCode) + " WHEN " + byCode +
      " AND L.NRINSCRICAO <> '' AND L.NRINSCRICAO <> CC.NRINSJURCLIE THEN " + n(kOtherCustomersRegistration) +
      " WHEN " + byRegistration + " AND CR.CDCLIENTE IS NULL THEN " + n(kUnknownRegistration) +
      " WHEN L.NRMOTIVO < " + n(kLateReasons) + " THEN L.NRMOTIVO WHEN P.CDPRODUTO IS NULL THEN " +
      n(kUnknownProduct) + " WHEN P.NRNIVEL <> " + sql.integerParam(level) + " THEN " + n(kGroupProduct) +
      " ELSE L.NRMOTIVO END";
  const std::string lines =
      "SELECT L.NRSEQ, L.NRLINHA, L.VRPRECOPROD, L.DTVALINI, L.DTVALFIN, CASE WHEN " + byCode +
      " THEN COALESCE(CC.CDCLIENTE, '') WHEN " + byRegistration +
      " THEN COALESCE(CR.CDCLIENTE, '') ELSE L.DSCLIENTE END AS CDCLIENTE, COALESCE(P.CDPRODUTO, '') AS CDPRODUTO, " +
      first + " AS NRMOTIVO FROM " + kLineTable + " L LEFT JOIN CLIENTE CC ON " + byCode +
      " AND CC.CDCLIENTE = L.DSCLIENTE LEFT JOIN CLIENTE CR ON " + byRegistration +
      " AND CR.NRINSJURCLIE = L.DSCLIENTE LEFT JOIN PRODUTO P ON P.CDARVPROD = L.CDARVPROD";
  c.execute(std::string("INSERT INTO ") + kImportTable +
                " (CDCLIENTE, CDPRODUTO, NRSEQ, NRLINHA, NRMOTIVO, VRPRECOPROD, DTVALINI, DTVALFIN) SELECT K.CDCLIENTE, "
                "K.CDPRODUTO, K.NRSEQ, K.NRLINHA, K.NRMOTIVO, K.VRPRECOPROD, K.DTVALINI, K.DTVALFIN FROM (" +
                lines + ") K" + (sqlite ? " ORDER BY K.CDCLIENTE, K.CDPRODUTO, K.NRSEQ" : ""),
            sql.params());
  if (facts.repeatsPossible)
    c.execute("UPDATE " + std::string(kImportTable) + " SET NRMOTIVO = " + std::to_string(kRepeated) +
              " WHERE NRMOTIVO IS NULL AND (CDCLIENTE, CDPRODUTO) IN (SELECT CDCLIENTE, CDPRODUTO FROM " +
              kImportTable + " WHERE NRMOTIVO IS NULL GROUP BY CDCLIENTE, CDPRODUTO HAVING COUNT(*) > 1)");
  if (!sqlite) c.executeScript(std::string("SET LOCAL default_statistics_target = 10; ANALYZE ") + kImportTable);
}

std::string Shown(const std::string& iso) { return platform::DateToStr(*platform::TryISOToDateTime(iso)); }

// The refused line of `reason`, with the customer and product it resolved to so far.
RefusedLine Refused(const PacketLine& line, Reason reason, const std::string& customer, const std::string& product) {
  RefusedLine refused{line.line, "", "", std::string(line.productText), line.price, "", "", ""};
  if (reason >= kNoProduct) refused.customer = customer;
  if (reason >= kLateReasons) refused.product = product;
  auto set = [&](const char* column, std::string_view value, std::string text) {
    refused.column = column;
    refused.value = std::string(value);
    refused.reason = std::move(text);
    return refused;
  };
  const std::string priceText = line.price ? platform::FloatToStr(*line.price) : "";
  switch (reason) {
    case kUnknownCode: return set("Cliente", line.customerCode, "Cliente não cadastrado.");
    case kOtherCustomersRegistration:
      return set("Inscrição", line.registration,
                 "A inscrição não é a do cliente " + std::string(platform::TrimBlanks(line.customerCode)) + ".");
    case kUnknownRegistration:
      return set("Inscrição", line.registration, "Nenhum cliente cadastrado com esta inscrição.");
    case kNoCustomer: return set("Cliente", "", "Cliente não informado.");
    case kNoProduct: return set("Produto", line.productText, "Produto não informado.");
    case kUnknownProduct: return set("Produto", line.productText, "Produto não cadastrado.");
    case kGroupProduct:
      return set("Produto", line.productText, "Produto é um grupo: só os produtos do último nível têm preço.");
    case kNoPrice: return set("Preço", "", "Preço não informado.");
    case kNotFinite: return set("Preço", priceText, "Preço não é um número finito.");
    case kZeroPrice: return set("Preço", priceText, "Preço zero não é aceito.");
    case kNegativePrice: return set("Preço", priceText, "Preço negativo não é aceito.");
    case kOverCeiling: return set("Preço", priceText, PriceOverCeiling());
    case kEndWithoutStart: return set("Validade Final", Shown(*line.end), "Validade final sem validade inicial.");
    case kStartAfterEnd:
      return set("Validade Inicial", Shown(*line.start), "Validade inicial depois da validade final.");
    case kRepeated: break;
  }
  throw std::logic_error("motivo de recusa desconhecido: " + std::to_string(reason));
}

struct RefusedRow {
  std::size_t row = 0;  // in the packet
  Reason reason{};
  std::string customer;
  std::string product;
  std::optional<double> price;  // as written
};

// At most this many of the other lines are named in a repeated product's reason; a
// file repeating one product on every line would otherwise make its reasons grow with
// the square of its lines.
constexpr std::size_t kOtherLinesNamed = 10;

// The other lines of a repeated product's reason: the first of `lines` not numbered
// `line`, in their order, and how many more there are.
std::string OtherLines(const std::vector<std::int64_t>& lines, std::int64_t line, std::size_t others) {
  std::string named;
  std::size_t count = 0;
  for (auto other = lines.begin(); other != lines.end() && count < kOtherLinesNamed; ++other)
    if (*other != line) named += (count++ ? ", " : "") + std::to_string(*other);
  if (others > kOtherLinesNamed) {
    const std::size_t more = others - kOtherLinesNamed;
    named += " e em mais " + std::to_string(more) + (more == 1 ? " linha" : " linhas");
  }
  return named;
}

// The lines of one customer and product, accepted but for naming them more than once:
// each refused, naming the others' lines.
void RefuseRepeated(const DataPacket& packet, const std::vector<RefusedRow>& same, std::vector<RefusedLine>& refused) {
  std::vector<std::int64_t> lines;
  std::unordered_map<std::int64_t, std::size_t> numbered;  // lines of each number
  for (const RefusedRow& row : same) ++numbered[lines.emplace_back(LineAt(packet, row.row).line)];
  std::unordered_map<std::int64_t, std::string> reasonOf;  // by line number
  for (std::size_t i = 0; i < same.size(); ++i) {
    auto reason = reasonOf.find(lines[i]);
    if (reason == reasonOf.end())
      reason = reasonOf
                   .emplace(lines[i], "Produto repetido para o mesmo cliente (também na linha " +
                                          OtherLines(lines, lines[i], lines.size() - numbered[lines[i]]) + ").")
                   .first;
    refused.push_back(
        RefusedLine{lines[i], same[i].customer, same[i].product, "", same[i].price, "Produto", "", reason->second});
  }
}

// The refused lines in line order; among lines of the same number, those refused for
// repeating a product come after the others, each kind in file order.
std::vector<RefusedLine> ReadRefused(store::Connection& c, const DataPacket& packet) {
  std::vector<RefusedRow> single, repeated;  // repeated: in key order, each key's in file order
  c.query(std::string("SELECT NRSEQ, NRMOTIVO, CDCLIENTE, CDPRODUTO, VRPRECOPROD FROM ") + kImportTable +
              " WHERE NRMOTIVO IS NOT NULL ORDER BY CDCLIENTE, CDPRODUTO, NRSEQ",
          {}, [&](const store::Row& row) {
            RefusedRow refused{static_cast<std::size_t>(row.integer(0)), static_cast<Reason>(row.integer(1)),
                               row.text(2), row.text(3), std::nullopt};
            if (!row.isNull(4)) refused.price = row.real(4);
            (refused.reason == kRepeated ? repeated : single).push_back(std::move(refused));
          });
  std::vector<RefusedLine> refused;
  std::vector<std::pair<bool, std::size_t>> order;  // repeated, row in the packet
  refused.reserve(single.size() + repeated.size());
  for (const RefusedRow& row : single) {
    refused.push_back(Refused(LineAt(packet, row.row), row.reason, row.customer, row.product));
    order.emplace_back(false, row.row);
  }
  for (auto from = repeated.begin(); from != repeated.end();) {
    auto to = std::find_if(from, repeated.end(), [&](const RefusedRow& row) {
      return row.customer != from->customer || row.product != from->product;
    });
    RefuseRepeated(packet, std::vector<RefusedRow>(from, to), refused);
    for (auto row = from; row != to; ++row) order.emplace_back(true, row->row);
    from = to;
  }
  std::vector<std::size_t> index(refused.size());
  for (std::size_t i = 0; i < index.size(); ++i) index[i] = i;
  std::sort(index.begin(), index.end(), [&](std::size_t a, std::size_t b) {
    return std::tie(refused[a].line, order[a]) < std::tie(refused[b].line, order[b]);
  });
  std::vector<RefusedLine> sorted;
  sorted.reserve(refused.size());
  for (std::size_t i : index) sorted.push_back(std::move(refused[i]));
  return sorted;
}

}  // namespace

CheckedLines CheckImportLines(store::Connection& c, const platform::Variant& value, const std::string& defaultCustomer,
                              int level) {
  const DataPacket& packet = ImportPacket(value);
  const LoadFacts facts = LoadLines(c, packet, defaultCustomer);
  CheckLoadedLines(c, level, facts);
  CheckedLines checked;
  checked.refused = ReadRefused(c, packet);
  checked.lines = static_cast<std::int64_t>(packet.rowCount());
  checked.accepted = checked.lines - static_cast<std::int64_t>(checked.refused.size());
  if (checked.accepted == 0) return checked;
  if (!facts.namedCustomers) {  // every accepted line is the default customer's
    checked.customers = 1;
    checked.firstCustomer = defaultCustomer;
    return checked;
  }
  const std::string accepted = std::string(" FROM ") + kImportTable + " WHERE NRMOTIVO IS NULL";
  checked.customers = c.queryInteger("SELECT COUNT(DISTINCT CDCLIENTE)" + accepted, {}).value_or(0);
  checked.firstCustomer = c.queryText("SELECT CDCLIENTE" + accepted + " ORDER BY NRSEQ LIMIT 1", {}).value_or("");
  return checked;
}

PriceSet ImportedPrices(const CheckedLines& checked) {
  PriceSet set;
  set.select = [](store::SqlBuilder&) {
    return std::string("SELECT I.CDCLIENTE AS CDCLIENTE, I.CDPRODUTO AS CDPRODUTO, I.VRPRECOPROD AS VRPRECOPROD, "
                       "I.DTVALINI AS DTVALINI, I.DTVALFIN AS DTVALFIN FROM ") +
           kImportTable + " I WHERE I.NRMOTIVO IS NULL";
  };
  // A slice of the lines by their rowid; the refused among them are left out.
  set.slice = [select = set.select](store::SqlBuilder& sql, std::int64_t from, std::int64_t to) {
    return select(sql) + " AND " + RowidSlice(sql, "I", from, to);
  };
  set.rows = checked.lines;
  // Lines of one customer are in product order: a slice's first and last bound it.
  if (checked.customers == 1)
    set.sliceBounds = [customer = checked.firstCustomer](store::SqlBuilder& sql, std::int64_t from, std::int64_t to) {
      return RowidSliceBounds(sql, kImportTable, "B.NRMOTIVO IS NULL", customer, from, to);
    };
  set.overwrite = true;
  set.keepDates = false;
  set.origin = store::kHistoryImport;
  return set;
}

std::vector<std::optional<std::int64_t>> LinesOf(store::Connection& c,
                                                 const std::vector<std::pair<std::string, std::string>>& keys) {
  std::vector<std::optional<std::int64_t>> lines(keys.size());
  if (keys.empty()) return lines;
  // Keyed: the lines, without a key of their own on SQLite, each look their change up.
  ResetTempTable(c, kShownTable,
                 "NRORDEM BIGINT NOT NULL, CDCLIENTE VARCHAR(21) NOT NULL, CDPRODUTO VARCHAR(10) NOT NULL, PRIMARY KEY "
                 "(CDCLIENTE, CDPRODUTO, NRORDEM)");
  auto writer = c.bulkWriter(kShownTable, {"NRORDEM", "CDCLIENTE", "CDPRODUTO"});
  for (std::size_t i = 0; i < keys.size(); ++i) writer->add({static_cast<std::int64_t>(i), keys[i].first, keys[i].second});
  writer->finish();
  c.query(std::string("SELECT S.NRORDEM, I.NRLINHA FROM ") + kShownTable + " S JOIN " + kImportTable +
              " I ON I.CDCLIENTE = S.CDCLIENTE AND I.CDPRODUTO = S.CDPRODUTO WHERE I.NRMOTIVO IS NULL",
          {}, [&](const store::Row& row) { lines[static_cast<std::size_t>(row.integer(0))] = row.integer(1); });
  return lines;
}

}  // namespace server::modules
