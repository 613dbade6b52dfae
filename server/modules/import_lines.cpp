#include "server/modules/import_lines.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
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

namespace server::modules {
namespace {

constexpr const char* kKeyTable = "TMPIMPCHAVE";

std::optional<std::string> DateAt(const platform::DataPacket& packet, std::size_t row, std::size_t col) {
  if (packet.isNull(row, col)) return std::nullopt;
  const platform::TDateTime date{std::floor(packet.floatAt(row, col))};
  if (!platform::IsValidDateTime(date)) throw Refusal("Linhas da importação com data inválida.");
  return platform::DateTimeToISO(date).substr(0, 10);
}

// The rows of `select` (key, then values) for every key of `keys`, loaded into a
// temporary table and joined there.
template <class OnRow>
void LookUp(store::Connection& c, const std::set<std::string>& keys, const std::string& select, OnRow&& onRow) {
  if (keys.empty()) return;
  ResetTempTable(c, kKeyTable, "CHAVE VARCHAR(100) NOT NULL PRIMARY KEY");
  auto writer = c.bulkWriter(kKeyTable, {"CHAVE"});
  for (const std::string& key : keys) writer->add({key});
  writer->finish();
  c.query(select, {}, onRow);
}

struct Product {
  std::string code;
  std::int64_t level = 0;
};

class LineChecker {
 public:
  LineChecker(store::Connection& c, const std::vector<ImportLine>& lines, const std::string& defaultCustomer, int level)
      : defaultCustomer_(defaultCustomer), level_(level) {
    std::set<std::string> codes, registrations, products;
    for (const ImportLine& line : lines) {
      if (!line.customerCode.empty()) codes.insert(std::string(platform::TrimBlanks(line.customerCode)));
      else if (!DigitsOnly(line.registration).empty()) registrations.insert(DigitsOnly(line.registration));
      products.insert(ProductCode(line.productText));
    }
    const std::string key = std::string(" FROM ") + kKeyTable + " K JOIN ";
    LookUp(c, codes, "SELECT K.CHAVE, C.NRINSJURCLIE" + key + "CLIENTE C ON C.CDCLIENTE = K.CHAVE",
           [&](const store::Row& row) { byCode_[row.text(0)] = row.text(1); });
    LookUp(c, registrations, "SELECT K.CHAVE, C.CDCLIENTE" + key + "CLIENTE C ON C.NRINSJURCLIE = K.CHAVE",
           [&](const store::Row& row) { byRegistration_[row.text(0)] = row.text(1); });
    LookUp(c, products, "SELECT K.CHAVE, P.CDPRODUTO, P.NRNIVEL" + key + "PRODUTO P ON P.CDARVPROD = K.CHAVE",
           [&](const store::Row& row) { products_[row.text(0)] = Product{row.text(1), row.integer(2)}; });
  }

  // The line accepted, or the reason it is refused (filled in `refused`).
  std::optional<AcceptedLine> check(const ImportLine& line, RefusedLine& refused) const {
    refused = RefusedLine{line.line, "", "", line.productText, line.price, "", "", ""};
    AcceptedLine accepted{line.line, "", "", 0, line.start, line.end};
    auto refuse = [&](const char* column, std::string value, std::string reason) {
      refused.column = column;
      refused.value = std::move(value);
      refused.reason = std::move(reason);
      return std::nullopt;
    };
    if (!line.customerCode.empty()) {
      const std::string code(platform::TrimBlanks(line.customerCode));
      auto found = byCode_.find(code);
      if (found == byCode_.end()) return refuse("Cliente", line.customerCode, "Cliente não cadastrado.");
      const std::string digits = DigitsOnly(line.registration);
      if (!digits.empty() && digits != found->second)
        return refuse("Inscrição", line.registration, "A inscrição não é a do cliente " + code + ".");
      accepted.customer = code;
    } else if (!DigitsOnly(line.registration).empty()) {
      auto found = byRegistration_.find(DigitsOnly(line.registration));
      if (found == byRegistration_.end())
        return refuse("Inscrição", line.registration, "Nenhum cliente cadastrado com esta inscrição.");
      accepted.customer = found->second;
    } else if (!defaultCustomer_.empty()) {
      accepted.customer = defaultCustomer_;
    } else {
      return refuse("Cliente", "", "Cliente não informado.");
    }
    refused.customer = accepted.customer;
    const std::string productCode = ProductCode(line.productText);
    if (productCode.empty()) return refuse("Produto", line.productText, "Produto não informado.");
    auto product = products_.find(productCode);
    if (product == products_.end()) return refuse("Produto", line.productText, "Produto não cadastrado.");
    if (product->second.level != level_)
      return refuse("Produto", line.productText, "Produto é um grupo: só os produtos do último nível têm preço.");
    accepted.product = refused.product = product->second.code;
    const std::string priceText = line.price ? platform::FloatToStr(*line.price) : "";
    if (!line.price) return refuse("Preço", "", "Preço não informado.");
    if (!std::isfinite(*line.price)) return refuse("Preço", priceText, "Preço não é um número finito.");
    if (*line.price == 0) return refuse("Preço", priceText, "Preço zero não é aceito.");
    if (*line.price < 0) return refuse("Preço", priceText, "Preço negativo não é aceito.");
    accepted.price = store::RoundPrice(*line.price);
    if (!contracts::server::IsSoundPrice(accepted.price)) return refuse("Preço", priceText, PriceOverCeiling());
    if (line.end && !line.start) return refuse("Validade Final", Shown(*line.end), "Validade final sem validade inicial.");
    if (line.start && line.end && *line.start > *line.end)
      return refuse("Validade Inicial", Shown(*line.start), "Validade inicial depois da validade final.");
    return accepted;
  }

 private:
  static std::string Shown(const std::string& iso) {
    return platform::DateToStr(*platform::TryISOToDateTime(iso));
  }

  std::string defaultCustomer_;
  int level_;
  std::unordered_map<std::string, std::string> byCode_;          // code -> registration
  std::unordered_map<std::string, std::string> byRegistration_;  // registration -> code
  std::unordered_map<std::string, Product> products_;            // tree code -> product
};

// Lines naming the same customer and product more than once are all refused.
void RefuseRepeatedProducts(CheckedLines& checked) {
  std::map<std::pair<std::string, std::string>, std::vector<std::int64_t>> linesOf;
  for (const AcceptedLine& line : checked.accepted) linesOf[{line.customer, line.product}].push_back(line.line);
  std::vector<AcceptedLine> kept;
  kept.reserve(checked.accepted.size());
  for (AcceptedLine& line : checked.accepted) {
    const std::vector<std::int64_t>& same = linesOf[{line.customer, line.product}];
    if (same.size() == 1) {
      kept.push_back(std::move(line));
      continue;
    }
    std::string others;
    for (std::int64_t other : same)
      if (other != line.line) others += (others.empty() ? "" : ", ") + std::to_string(other);
    checked.refused.push_back(RefusedLine{line.line, line.customer, line.product, "", line.price, "Produto", "",
                                          "Produto repetido para o mesmo cliente (também na linha " + others + ")."});
  }
  checked.accepted = std::move(kept);
}

}  // namespace

std::vector<ImportLine> ReadImportLines(const platform::Variant& value) {
  if (value.kind() != platform::Variant::Kind::Packet) throw Refusal("As linhas da importação devem vir num pacote de dados.");
  const platform::DataPacket& packet = value.asPacket();
  const auto& expected = contracts::server::ImportLineColumns();
  bool same = packet.columnCount() == expected.size();
  for (std::size_t c = 0; same && c < expected.size(); ++c)
    same = packet.columns()[c].name == expected[c].name && packet.columns()[c].type == expected[c].type;
  if (!same) throw Refusal("As linhas da importação não têm as colunas esperadas.");
  std::vector<ImportLine> lines;
  lines.reserve(packet.rowCount());
  for (std::size_t r = 0; r < packet.rowCount(); ++r) {
    ImportLine line;
    line.line = packet.isNull(r, 0) ? static_cast<std::int64_t>(r + 1) : packet.integerAt(r, 0);
    line.customerCode = std::string(packet.stringAt(r, 1));
    line.registration = std::string(packet.stringAt(r, 2));
    line.productText = std::string(packet.stringAt(r, 3));
    if (!packet.isNull(r, 4)) line.price = packet.floatAt(r, 4);
    line.start = DateAt(packet, r, 5);
    line.end = DateAt(packet, r, 6);
    lines.push_back(std::move(line));
  }
  return lines;
}

CheckedLines CheckImportLines(store::Connection& connection, std::vector<ImportLine> lines,
                              const std::string& defaultCustomer, int level) {
  const LineChecker checker(connection, lines, defaultCustomer, level);
  CheckedLines checked;
  checked.accepted.reserve(lines.size());
  for (const ImportLine& line : lines) {
    RefusedLine refused;
    if (auto accepted = checker.check(line, refused))
      checked.accepted.push_back(std::move(*accepted));
    else
      checked.refused.push_back(std::move(refused));
  }
  RefuseRepeatedProducts(checked);
  std::stable_sort(checked.refused.begin(), checked.refused.end(),
                   [](const RefusedLine& a, const RefusedLine& b) { return a.line < b.line; });
  return checked;
}

}  // namespace server::modules
