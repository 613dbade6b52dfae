#include "server/demo/demo_data.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "platform/core/exceptions.h"
#include "platform/text/date_time.h"
#include "server/demo/demo_catalog.h"
#include "server/demo/demo_random.h"
#include "server/demo/tax_id.h"
#include "server/modules/formula.h"
#include "server/store/price_round.h"

namespace server::demo {
namespace {

using platform::Variant;
using modules::FactorKind;
using modules::FormulaRow;
using modules::Operation;

constexpr std::size_t kMaxLeavesPerGroup = 999;
constexpr std::size_t kMaxNameChars = 50;
constexpr std::size_t kMaxCustomers = 999'999;

// Cuts a UTF-8 text to at most `chars` characters.
std::string Truncate(const std::string& text, std::size_t chars) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && count++ == chars) return text.substr(0, i);
  }
  return text;
}

double Cents(double value) { return std::round(value * 100.0) / 100.0; }

std::size_t Combinations(const Subcategory& s) {
  return s.variants.size() * s.sizes.size() * Brands().size() * Packings().size();
}

std::size_t Capacity(const Subcategory& s) { return std::min(Combinations(s), kMaxLeavesPerGroup); }

struct Leaf {
  std::string code;  // CDPRODUTO
  double baseCost = 0;
};

class DemoWriter {
 public:
  DemoWriter(store::Connection& c, const DemoOptions& options) : c_(c), options_(options), random_(options.seed) {}

  DemoSummary run() {
    writeFixedTables();
    writeCustomers();
    writeProductsAndCosts();
    writeFormulasAndPrices();
    return summary_;
  }

 private:
  void writeFixedTables() {
    auto branch = c_.bulkWriter("FILIAL", {"CDFILIAL", "NMFILIAL"});
    branch->add({kDemoBranch, "Matriz"});
    branch->finish();
    auto costTypes = c_.bulkWriter("TIPOCUSTO", {"NRTIPOCUSTO", "NMTIPOCUSTO"});
    for (const NamedCode& t : CostTypes()) costTypes->add({std::int64_t{std::stoi(t.code)}, t.name});
    costTypes->finish();
    auto factors = c_.bulkWriter("FATORPRECO", {"CDFATPRECO", "SGFATPRECO", "NMFATPRECO"});
    for (const NamedCode& f : PriceFactors()) factors->add({f.code, f.abbreviation, f.name});
    factors->finish();
  }

  std::string uniqueDigits(std::size_t length, std::unordered_set<std::string>& used) {
    while (true) {
      std::string digits;
      digits += static_cast<char>('1' + random_.below(9));
      while (digits.size() < length) digits += static_cast<char>('0' + random_.below(10));
      if (used.insert(digits).second) return digits;
    }
  }

  std::string uniqueName(const std::function<std::string()>& make) {
    std::string name;
    for (int attempt = 0; attempt < 12; ++attempt) {
      name = Truncate(make(), kMaxNameChars);
      if (names_.insert(name).second) return name;
    }
    return name;  // a repeated corporate name is rare but legal
  }

  void writeCustomers() {
    auto writer = c_.bulkWriter("CLIENTE", {"CDCLIENTE", "NRINSJURCLIE", "NMRAZSOCCLIE", "NMFANTCLIE", "IDTPIJURCLIE"});
    std::unordered_set<std::string> bases;
    for (std::size_t i = 1; i <= options_.customers; ++i) {
      std::string code = fmt::format("{:06d}", i);
      bool legal = random_.chance(0.7);
      if (legal) {
        std::string base = uniqueDigits(8, bases) + "0001";
        std::string kind;
        std::string name;
        std::string corporate = uniqueName([&] {
          kind = random_.pick(BusinessKinds());
          name = random_.pick(BusinessNames());
          return kind + " " + name + " " + random_.pick(CompanySuffixes());
        });
        writer->add({code, base + CnpjCheckDigits(base), corporate, Truncate(kind + " " + name, kMaxNameChars), "J"});
      } else {
        std::string base = uniqueDigits(9, bases);
        std::string first;
        std::string surname;
        std::string person = uniqueName([&] {
          first = random_.pick(FirstNames());
          surname = random_.pick(Surnames());
          std::string second = random_.pick(Surnames());
          return first + " " + second + " " + surname;
        });
        Variant trade = random_.chance(0.2) ? Variant::Null()
                                            : Variant(Truncate(random_.pick(BusinessKinds()) + " " + first + " " +
                                                                   surname, kMaxNameChars));
        writer->add({code, base + CpfCheckDigits(base), person, trade, "F"});
      }
      customers_.push_back(code);
    }
    writer->finish();
    summary_.customers = customers_.size();
  }

  // How many leaves each subcategory gets: round robin over those with room left, so
  // a small demo still covers the whole tree.
  std::vector<std::vector<std::size_t>> allocateLeaves() {
    const auto& categories = ProductCategories();
    std::vector<std::vector<std::size_t>> counts(categories.size());
    for (std::size_t c = 0; c < categories.size(); ++c) counts[c].assign(categories[c].subcategories.size(), 0);
    std::size_t left = options_.products;
    while (left > 0) {
      for (std::size_t c = 0; c < categories.size() && left > 0; ++c)
        for (std::size_t s = 0; s < categories[c].subcategories.size() && left > 0; ++s)
          if (counts[c][s] < Capacity(categories[c].subcategories[s])) {
            ++counts[c][s];
            --left;
          }
    }
    return counts;
  }

  std::string leafName(const Subcategory& s, std::size_t index) {
    std::size_t v = s.variants.size(), z = s.sizes.size(), b = Brands().size();
    std::string name = s.noun + " " + s.variants[index % v] + " " + s.sizes[(index / v) % z] + " " +
                       Brands()[(index / (v * z)) % b];
    const std::string& packing = Packings()[(index / (v * z * b)) % Packings().size()];
    if (!packing.empty()) name += " " + packing;
    return Truncate(name, kMaxNameChars);
  }

  double leafCost(const Subcategory& s, std::size_t index) {
    std::size_t v = s.variants.size(), z = s.sizes.size(), b = Brands().size();
    double sizeFactor = 1.0 + 0.8 * static_cast<double>((index / v) % z);
    static const double packs[] = {1, 6, 12, 24};
    double pack = packs[(index / (v * z * b)) % Packings().size()];
    return Cents(s.baseCost * sizeFactor * pack * random_.between(0.85, 1.25));
  }

  void writeProductsAndCosts() {
    auto counts = allocateLeaves();
    auto products = c_.bulkWriter("PRODUTO", {"CDPRODUTO", "CDARVPROD", "NMPRODUTO", "NRNIVEL"});
    std::size_t sequence = 0;
    auto nextCode = [&] { return fmt::format("{:06d}", ++sequence); };
    const auto& categories = ProductCategories();
    for (std::size_t c = 0; c < categories.size(); ++c) {
      std::size_t inCategory = 0;
      for (std::size_t n : counts[c]) inCategory += n;
      if (inCategory == 0) continue;
      std::string level1 = std::to_string(c + 1);
      products->add({nextCode(), level1, categories[c].name, std::int64_t{1}});
      ++summary_.groups;
      for (std::size_t s = 0; s < categories[c].subcategories.size(); ++s) {
        if (counts[c][s] == 0) continue;
        const Subcategory& sub = categories[c].subcategories[s];
        std::string level2 = level1 + fmt::format("{:02d}", s + 1);
        products->add({nextCode(), level2, sub.name, std::int64_t{2}});
        ++summary_.groups;
        for (std::size_t j = 0; j < counts[c][s]; ++j) {
          Leaf leaf{nextCode(), leafCost(sub, j)};
          products->add({leaf.code, level2 + fmt::format("{:03d}", j + 1), leafName(sub, j), std::int64_t{3}});
          leaves_.push_back(std::move(leaf));
        }
      }
    }
    products->finish();
    summary_.products = leaves_.size();
    writeCosts();
  }

  void writeCosts() {
    auto costs = c_.bulkWriter("CUSTOPRODUTO", {"CDFILIAL", "CDPRODUTO", "NRTIPOCUSTO", "VRCUSTO"});
    for (const Leaf& leaf : leaves_) {
      costs->add({kDemoBranch, leaf.code, std::int64_t{1}, leaf.baseCost});
      costs->add({kDemoBranch, leaf.code, std::int64_t{2}, Cents(leaf.baseCost * random_.between(1.0, 1.12))});
      summary_.costs += 2;
      if (random_.chance(0.97)) {  // a few products were never bought: no last purchase cost
        costs->add({kDemoBranch, leaf.code, std::int64_t{3}, Cents(leaf.baseCost * random_.between(0.92, 1.10))});
        ++summary_.costs;
      }
    }
    costs->finish();
  }

  static FormulaRow Row(const char* code, const char* abbreviation, FactorKind kind, double value, Operation op) {
    FormulaRow row;
    row.cdFatPreco = code;
    row.sgFatPreco = abbreviation;
    row.kind = kind;
    row.value = value;
    row.operation = op;
    return row;
  }

  static const std::vector<std::vector<FormulaRow>>& FormulaTemplates() {
    using K = FactorKind;
    using O = Operation;
    static const std::vector<std::vector<FormulaRow>> templates{
        {Row("001", "MKP", K::Percent, 35, O::Add), Row("002", "ICMS", K::Percent, 18, O::Add),
         Row("003", "PIS", K::Percent, 1.65, O::Add), Row("004", "COFI", K::Percent, 7.6, O::Add)},
        {Row("001", "MKP", K::Percent, 30, O::Add), Row("005", "FRT", K::Currency, 0.5, O::Add),
         Row("006", "DESC", K::Percent, 5, O::Subtract)},
        {Row("001", "MKP", K::Number, 1.42, O::Multiply), Row("008", "COM", K::Percent, 3, O::Add)},
        {Row("001", "MKP", K::Percent, 40, O::Add), Row("006", "DESC", K::Percent, 10, O::Subtract),
         Row("005", "FRT", K::Percent, 2, O::Add), Row("007", "IPI", K::Percent, 5, O::Add)},
        {Row("010", "ADM", K::Percent, 8, O::Add), Row("001", "MKP", K::Percent, 25, O::Add),
         Row("009", "ST", K::Currency, 0.35, O::Add)},
    };
    return templates;
  }

  std::optional<std::string> randomDate(double fromDays, double spanDays) {
    double day = platform::EncodeDate(2025, 1, 1).value + fromDays + std::floor(random_.between(0, spanDays));
    return platform::DateTimeToISO(platform::TDateTime{day});
  }

  void writeFormulasAndPrices() {
    auto formulas = c_.bulkWriter(
        "COMPPRECLIE", {"CDCLIENTE", "CDFATPRECO", "NRORDEMFAT", "IDDETFATPRE", "VRFATPRECLIE", "IDTPOPERFATCLIE"});
    // One load at a time per connection (COPY on PostgreSQL): prices wait for the formulas.
    std::vector<store::Params> prices;
    const auto& templates = FormulaTemplates();
    for (std::size_t i = 0; i < customers_.size(); ++i) {
      const std::string& customer = customers_[i];
      bool hasFormula = i == 0 || random_.chance(0.35);
      const auto& formula = templates[random_.below(templates.size())];
      if (hasFormula) {
        for (std::size_t r = 0; r < formula.size(); ++r) {
          const FormulaRow& row = formula[r];
          formulas->add({customer, row.cdFatPreco, fmt::format("{:03d}", r + 1), modules::FactorKindCode(row.kind),
                         row.value, modules::OperationCode(row.operation)});
          ++summary_.formulaRows;
        }
      }
      bool hasPrices = i == 0 || random_.chance(hasFormula ? 0.7 : 0.15);
      if (hasPrices && !leaves_.empty()) choosePrices(prices, customer, formula);
    }
    formulas->finish();
    auto writer = c_.bulkWriter("TABPRECLIE", {"CDCLIENTE", "CDPRODUTO", "VRPRECOPROD", "DTVALINI", "DTVALFIN"});
    for (const store::Params& row : prices) writer->add(row);
    writer->finish();
  }

  void choosePrices(std::vector<store::Params>& prices, const std::string& customer, const std::vector<FormulaRow>& formula) {
    std::size_t wanted = std::min<std::size_t>(leaves_.size(), 20 + random_.below(40));
    std::unordered_set<std::size_t> chosen;
    while (chosen.size() < wanted) chosen.insert(random_.below(leaves_.size()));
    std::vector<std::size_t> ordered(chosen.begin(), chosen.end());
    std::sort(ordered.begin(), ordered.end());
    for (std::size_t index : ordered) {
      const Leaf& leaf = leaves_[index];
      double price = store::RoundPrice(modules::ApplyFormula(leaf.baseCost, formula));
      if (price <= 0) continue;
      std::optional<std::string> start, end;
      double kind = random_.unit();
      if (kind >= 0.4) start = randomDate(0, 365);
      if (kind >= 0.8) end = randomDate(400, 365);
      prices.push_back({customer, leaf.code, price, start ? Variant(*start) : Variant::Null(),
                  end ? Variant(*end) : Variant::Null()});
      ++summary_.prices;
    }
  }

  store::Connection& c_;
  DemoOptions options_;
  DemoRandom random_;
  DemoSummary summary_;
  std::vector<std::string> customers_;
  std::unordered_set<std::string> names_;
  std::vector<Leaf> leaves_;
};

}  // namespace

std::size_t MaxDemoProducts() {
  std::size_t total = 0;
  for (const Category& c : ProductCategories())
    for (const Subcategory& s : c.subcategories) total += Capacity(s);
  return total;
}

DemoSummary FillDemoData(store::Connection& connection, const DemoOptions& options) {
  if (options.customers > kMaxCustomers)
    throw platform::Exception(fmt::format("Número de clientes acima do limite da demonstração ({})", kMaxCustomers));
  if (options.products > MaxDemoProducts())
    throw platform::Exception(
        fmt::format("Número de produtos acima do limite da árvore de produtos ({})", MaxDemoProducts()));
  return DemoWriter(connection, options).run();
}

}  // namespace server::demo
