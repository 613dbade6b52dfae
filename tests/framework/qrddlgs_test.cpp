// The report runner on SQLite and PostgreSQL with the price table definition of
// reports/VQR512: the parameter step, the documents read back as a person's tools read
// them and compared with the database, the refusals that produce nothing.
#include "contracts/framework/qrddlgs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "contracts/framework/host_configuration.h"
#include "contracts/framework/dateeditplus.h"
#include "contracts/framework/planilha.h"
#include "contracts/server/packets.h"
#include "contracts/framework/norvexa.h"
#include "framework/local_time.h"
#include "platform/text/date_time.h"
#include "platform/text/float_format.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/screen.h"
#include "platform/variant/data_packet.h"
#include "server/modules/tab_pre_clie.h"
#include "tests/framework/framework_fixtures.h"
#include "tests/framework/report_fixtures.h"
#include "tests/framework/ui_steps.h"

namespace {

using platform::TParams;
using testsupport::ClickIn;
using testsupport::ModalScript;

constexpr const char* kNoRows = "Nenhum registro encontrado para os filtros informados.";

struct Filter {
  std::string first, last, list, all;
};

struct Product {
  std::string id, code, name;
};

class ReportRun : public fwtest::BackendTest {
 protected:
  void SetUp() override {
    BackendTest::SetUp();
    if (IsSkipped()) return;
    framework::HostConfiguration config = framework::GetHostConfiguration();
    config.documentsDir = documents.path().string();
    config.reportsDir = fwtest::ProjectReports();
    scope = std::make_unique<fwtest::ConfigScope>(config);
    for (const auto& row :
         db().rows("SELECT CDPRODUTO, CDARVPROD, NMPRODUTO FROM PRODUTO WHERE NRNIVEL = 3 ORDER BY CDARVPROD"))
      leaves.push_back({row[0], row[1], row[2]});
    runner.ReportCode = "VQR512";
  }
  void TearDown() override {
    scope.reset();
    BackendTest::TearDown();
  }

  // Three customers with known prices: A and B each have prices inside leaves[1..3]
  // and one outside; C has one inside.
  void ArrangePrices() {
    db().writer().execute("DELETE FROM TABPRECLIE");
    price("000001", 1, "12.5", "'2026-01-01'", "'2026-12-31'");
    price("000001", 2, "1234.5", "'2026-02-01'", "NULL");
    price("000001", 3, "0.125", "'2025-12-31'", "'2027-06-30'");
    price("000001", 7, "99", "'2026-01-01'", "'2026-12-31'");
    price("000002", 2, "7.77", "'2026-03-15'", "'2026-09-15'");
    price("000002", 8, "5", "'2026-01-01'", "NULL");
    price("000003", 1, "3.3", "'2026-01-01'", "'2026-12-31'");
  }
  void price(const std::string& customer, int leaf, const std::string& value, const std::string& from,
             const std::string& to) {
    db().writer().execute("INSERT INTO TABPRECLIE (CDCLIENTE, CDPRODUTO, VRPRECOPROD, DTVALINI, DTVALFIN) VALUES ('" +
                          customer + "', '" + leaves.at(leaf).id + "', " + value + ", " + from + ", " + to + ")");
  }

  const platform::TDocumentEntry& Run(const Filter& filter, Qrddlgs::TReportOutput output = Qrddlgs::roPDF) {
    runner.BeforeGetQueryParams = [filter](TParams& params, bool&) {
      params.ParamByName("P_CDARVPRODINI").SetAsString(filter.first);
      params.ParamByName("P_CDARVPRODFIN").SetAsString(filter.last);
      params.ParamByName("P_LISTACLIENTES").SetAsString(filter.list);
      params.ParamByName("P_TCDCLIENTES").SetAsString(filter.all);
    };
    EXPECT_EQ(runner.ReportNames(), (std::vector<std::string>{"Tabela de Preços por Cliente",
                                                             "Tabela de Preços em uma Data", "Preços a Vencer"}));
    return runner.Execute(0, output);
  }

  // The CSV rows of the report at `index` for customer 000001 over every product, with
  // the one parameter of its own.
  std::vector<std::vector<std::string>> RunOwnCsv(int index, const std::string& name, const std::string& value) {
    runner.BeforeGetQueryParams = [name, value](TParams& params, bool&) {
      params.ParamByName("P_CDARVPRODINI").SetAsString("");
      params.ParamByName("P_CDARVPRODFIN").SetAsString("");
      params.ParamByName("P_LISTACLIENTES").SetAsString("000001");
      params.ParamByName("P_TCDCLIENTES").SetAsString("");
      params.ParamByName(name).SetAsString(value);
    };
    runner.ReportNames();
    auto rows = fwtest::CsvRows(runner.Execute(index, Qrddlgs::roCSV).path);
    if (!rows.empty()) rows.erase(rows.begin());
    return rows;
  }
  // A change of customer 000001's price of a leaf in the history, at a known time, by `user`.
  void change(int leaf, const std::string& time, const std::string& before, const std::string& after,
              const std::string& user = "teste") {
    const std::string stamp = postgres() ? "CAST('" + time + "' AS TIMESTAMP)" : "'" + time + "'";
    db().writer().execute(
        "INSERT INTO TABPRECLIEHIST (CDCLIENTE, CDPRODUTO, VRPRECOANT, VRPRECONOV, IDORIGALT, DTHRALT, CDUSUARIO) "
        "VALUES ('000001', '" + leaves.at(leaf).id + "', " + before + ", " + after + ", 'M', " + stamp + ", '" +
        user + "')");
  }

  // The price rows the filter selects, as the PDF prints them, read straight from the
  // database: "<customer>|<code name price from to>".
  std::vector<std::string> ExpectedLines(const Filter& filter) {
    std::string sql =
        "SELECT C.CDCLIENTE, P.CDARVPROD, P.NMPRODUTO, T.VRPRECOPROD, T.DTVALINI, T.DTVALFIN FROM TABPRECLIE T "
        "JOIN CLIENTE C ON C.CDCLIENTE = T.CDCLIENTE JOIN PRODUTO P ON P.CDPRODUTO = T.CDPRODUTO "
        "WHERE P.CDARVPROD >= '" +
        filter.first + "' AND P.CDARVPROD <= '" + filter.last + "'";
    if (filter.all != "T")
      sql += " AND C.CDCLIENTE IN ('" + std::regex_replace(filter.list, std::regex(","), "','") + "')";
    sql += " ORDER BY C.NMRAZSOCCLIE, C.CDCLIENTE, P.CDARVPROD";
    std::vector<std::string> lines;
    for (const auto& row : db().rows(sql)) {
      std::string line = Norvexa::DBPictObj(Picture::ptProduto).FormatCode(row[1]) + " " + row[2] + " " +
                         platform::FormatFloat("###,#0.000", std::stod(row[3])) + " " + Date(row[4]);
      if (row[5] != "<null>") line += " " + Date(row[5]);
      lines.push_back(row[0] + "|" + line);
    }
    return lines;
  }
  static std::string Date(const std::string& iso) {
    return platform::DateToStr(*platform::TryISOToDateTime(iso.substr(0, 10)));
  }

  // The lines of the PDF that are price rows (they begin with a product code).
  static std::vector<std::string> RowLines(const std::vector<std::string>& lines) {
    std::vector<std::string> rows;
    for (const std::string& line : lines)
      if (std::regex_search(line, std::regex(R"(^\d\.\d\d\.\d\d\d )"))) rows.push_back(line);
    return rows;
  }
  static std::vector<std::string> Sections(const std::vector<std::string>& lines) {
    std::vector<std::string> sections;
    for (const std::string& line : lines)
      if (line.rfind("Cliente: ", 0) == 0 && line.find("(continuação)") == std::string::npos) sections.push_back(line);
    return sections;
  }
  std::string Customer(const std::string& code) {
    const auto row =
        db().rows("SELECT NRINSJURCLIE, IDTPIJURCLIE, NMRAZSOCCLIE FROM CLIENTE WHERE CDCLIENTE = '" + code + "'");
    return row.at(0).at(2);
  }
  std::size_t DocumentFiles() const {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(documents.path()), std::filesystem::directory_iterator()));
  }

  vqrtest::TempDir documents;
  std::unique_ptr<fwtest::ConfigScope> scope;
  std::vector<Product> leaves;
  Qrddlgs::TReportDesignerDialog runner;
};

TEST_P(ReportRun, ParameterStepSeesTheDeclaredParametersAndExistParamFindsThemByName) {
  ArrangePrices();
  std::vector<std::string> seen;
  bool askedDefault = false;
  runner.BeforeGetQueryParams = [&](TParams& params, bool& ask) {
    askedDefault = ask;
    for (int i = 0; i < params.Count(); ++i) seen.push_back(params[i].Name() + (params[i].IsNull() ? "=null" : "=set"));
    EXPECT_TRUE(Qrddlgs::ExistParam(params, "p_tcdclientes"));
    EXPECT_FALSE(Qrddlgs::ExistParam(params, "P_CDCLIENTE"));
    EXPECT_FALSE(Qrddlgs::ExistParam(params, "P_TCDCLIENTES" + std::string(250, ' ')));
    for (const char* name : {"P_CDARVPRODINI", "P_CDARVPRODFIN", "P_LISTACLIENTES"})
      params.ParamByName(name).SetAsString("");
    params.ParamByName("P_TCDCLIENTES").SetAsString("T");
  };
  runner.ReportNames();
  const platform::TDocumentEntry& document = runner.Execute(0, Qrddlgs::roPDF);
  EXPECT_TRUE(askedDefault);
  EXPECT_EQ(seen, (std::vector<std::string>{"P_CDARVPRODINI=null", "P_CDARVPRODFIN=null", "P_LISTACLIENTES=null",
                                            "P_TCDCLIENTES=null"}));
  EXPECT_EQ(document.title, "Tabela de Preços por Cliente");
  EXPECT_EQ(document.url, "/documents/" + std::filesystem::path(document.path).filename().string());
  EXPECT_EQ(std::filesystem::path(document.path).parent_path(), documents.path());
  EXPECT_EQ(platform::Application().Documents().back().path, document.path);
  // Empty codes leave the range open: every price of every customer.
  EXPECT_EQ(RowLines(fwtest::PdfLines(document.path)).size(), static_cast<std::size_t>(db().count("TABPRECLIE")));
}

TEST_P(ReportRun, PdfShowsTheChosenCustomersProductsPricesAndDatesAndNothingElse) {
  ArrangePrices();
  for (const Filter& filter : {Filter{leaves[1].code, leaves[3].code, "000002,000001", ""},
                               Filter{leaves[1].code, leaves[3].code, "000009", "T"}}) {
    SCOPED_TRACE(filter.list + " all=" + filter.all);
    const std::vector<std::string> lines = fwtest::PdfLines(Run(filter).path);
    std::vector<std::string> expected, sections;
    for (const std::string& entry : ExpectedLines(filter)) {
      const std::string customer = entry.substr(0, entry.find('|'));
      expected.push_back(entry.substr(entry.find('|') + 1));
      if (sections.empty() || sections.back() != customer) sections.push_back(customer);
    }
    EXPECT_EQ(RowLines(lines), expected);
    ASSERT_EQ(Sections(lines).size(), sections.size());
    for (std::size_t s = 0; s < sections.size(); ++s) {
      EXPECT_NE(Sections(lines)[s].find("Cliente: " + sections[s] + " "), std::string::npos) << Sections(lines)[s];
      EXPECT_NE(Sections(lines)[s].find("Razão Social: " + Customer(sections[s])), std::string::npos);
    }
    const std::string first = Norvexa::DBPictObj(Picture::ptProduto).FormatCode(leaves[1].code);
    const std::string summary = filter.all == "T" ? "Clientes: todos" : "Clientes: 000002, 000001";
    EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                           [&](const std::string& l) {
                             return l.find("Produto inicial: " + first) != std::string::npos &&
                                    l.find(summary) != std::string::npos;
                           }),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "VQR512 Página 1 de 1"), lines.end());
  }
}

TEST_P(ReportRun, RegistrationNumbersShowInTheMaskOfTheirPersonKind) {
  ArrangePrices();
  db().writer().execute(
      "UPDATE CLIENTE SET NRINSJURCLIE = '11222333000181', IDTPIJURCLIE = 'J' WHERE CDCLIENTE = '000001'");
  db().writer().execute(
      "UPDATE CLIENTE SET NRINSJURCLIE = '12345678909', IDTPIJURCLIE = 'F' WHERE CDCLIENTE = '000002'");
  const std::vector<std::string> sections = Sections(fwtest::PdfLines(Run({"", "", "000001,000002", ""}).path));
  ASSERT_EQ(sections.size(), 2u);
  const bool aFirst = sections[0].find("000001") != std::string::npos;
  EXPECT_NE(sections[aFirst ? 0 : 1].find("Inscrição: 11.222.333/0001-81"), std::string::npos);
  EXPECT_NE(sections[aFirst ? 1 : 0].find("Inscrição: 123.456.789-09"), std::string::npos);
}

TEST_P(ReportRun, PricesOnADateComeFromTheHistoryAndFromPricesNeverChangedSince) {
  db().writer().execute("DELETE FROM TABPRECLIE");
  db().writer().execute("DELETE FROM TABPRECLIEHIST");
  change(1, "2026-01-10T09:00:00", "NULL", "10");  // created, changed, then removed
  change(1, "2026-02-05T15:00:00", "10", "12", "ana");
  change(1, "2026-03-01T08:00:00", "12", "NULL");
  price("000001", 2, "5", "NULL", "NULL");  // set before the history began, never changed
  price("000001", 3, "8", "NULL", "NULL");
  change(3, "2026-02-10T00:00:00", "7", "8", "bruno");
  price("000002", 2, "99", "NULL", "NULL");  // another customer's
  // "code=price by", the last column naming who set the price (unknown before the history).
  auto pricesOn = [&](const std::string& date) {
    std::vector<std::string> shown;
    for (const auto& row : RunOwnCsv(1, "P_DATA", date)) shown.push_back(row.at(3) + "=" + row.at(5) + " " + row.back());
    return shown;
  };
  const auto code = [&](int leaf) { return Norvexa::DBPictObj(Picture::ptProduto).FormatCode(leaves[leaf].code); };
  EXPECT_EQ(pricesOn("05/01/2026"), (std::vector<std::string>{code(2) + "=5,000 ", code(3) + "=7,000 "}));
  EXPECT_EQ(pricesOn("05/02/2026"),
            (std::vector<std::string>{code(1) + "=12,000 ana", code(2) + "=5,000 ", code(3) + "=7,000 "}))
      << "a change during the day counts for that day";
  EXPECT_EQ(pricesOn("10/02/2026"),
            (std::vector<std::string>{code(1) + "=12,000 ana", code(2) + "=5,000 ", code(3) + "=8,000 bruno"}));
  EXPECT_EQ(pricesOn("01/03/2026"), (std::vector<std::string>{code(2) + "=5,000 ", code(3) + "=8,000 bruno"}))
      << "a removed price is gone";
}

TEST_P(ReportRun, PricesDueListExpiredAndSoonEndingPricesSoonestFirst) {
  db().writer().execute("DELETE FROM TABPRECLIE");
  const auto daysFromToday = [&](int days) {
    return postgres() ? "CURRENT_DATE + " + std::to_string(days)
                      : "DATE('now', 'localtime', '" + std::to_string(days) + " days')";
  };
  price("000001", 1, "1", daysFromToday(-40), daysFromToday(5));
  price("000001", 2, "2", daysFromToday(-40), daysFromToday(-1));
  price("000001", 3, "3", daysFromToday(-40), daysFromToday(31));
  price("000001", 4, "4", daysFromToday(-40), "NULL");
  const auto rows = RunOwnCsv(2, "P_DIAS", "30");
  std::vector<std::string> shown;
  for (const auto& row : rows) shown.push_back(row.at(4) + " " + row.at(5) + " " + row.at(6));
  const auto code = [&](int leaf) { return Norvexa::DBPictObj(Picture::ptProduto).FormatCode(leaves[leaf].code); };
  EXPECT_EQ(shown, (std::vector<std::string>{"-1 Vencido " + code(2), "5 A vencer " + code(1)}));

  // The days are bounded, so both databases compute the same dates and list the same
  // rows at the edge; outside the bounds the run is refused by name.
  price("000001", 5, "5", daysFromToday(-40), daysFromToday(3650));
  EXPECT_EQ(RunOwnCsv(2, "P_DIAS", "3650").size(), 4u);
  EXPECT_EQ(RunOwnCsv(2, "P_DIAS", "0").size(), 1u);
  for (const char* days : {"-1", "3651", "2147483647"})
    EXPECT_THROW(
        try { RunOwnCsv(2, "P_DIAS", days); } catch (const Qrddlgs::EReportError& e) {
          EXPECT_NE(std::string(e.what()).find("Vencendo em até (dias)"), std::string::npos) << e.what();
          EXPECT_NE(std::string(e.what()).find("fora do intervalo de 0 a 3650"), std::string::npos) << e.what();
          throw;
        },
        Qrddlgs::EReportError)
        << days;
}

TEST_P(ReportRun, CsvTextsASpreadsheetWouldReadAsFormulasAreNeutralised) {
  ArrangePrices();
  const std::vector<std::string> payloads{"=1+1",        "+1+1",        "-1+1",          "@SUM(1)",
                                          "\t=1+1",      "\r=1+1",      "\n=1+1",        " =1+1",
                                          "\xC2\xA0=1+1", "\tplain",     "\rplain",        "1-1 plain"};
  std::vector<std::string> expected;
  for (std::size_t i = 0; i < payloads.size(); ++i) {
    db().writer().execute("UPDATE PRODUTO SET NMPRODUTO = '" + payloads[i] + "' WHERE CDPRODUTO = '" +
                          leaves.at(i).id + "'");
    db().writer().execute("DELETE FROM TABPRECLIE WHERE CDCLIENTE = '000003' AND CDPRODUTO = '" + leaves.at(i).id + "'");
    price("000003", static_cast<int>(i), "1", "'2026-01-01'", "NULL");
    const bool formula = i + 1 < payloads.size();
    expected.push_back(formula ? "'" + payloads[i] : payloads[i]);
  }
  std::vector<std::string> names;
  for (const auto& row : fwtest::CsvRows(Run({"", "", "000003", ""}, Qrddlgs::roCSV).path))
    if (row.size() > 4 && row[0] == "000003") names.push_back(row[4]);
  EXPECT_EQ(names, expected);
}

TEST_P(ReportRun, EveryReportListsCustomersInTheFoldedOrderOfTheirNames) {
  ArrangePrices();
  db().writer().execute("UPDATE CLIENTE SET NMRAZSOCCLIE = 'Aline Modas' WHERE CDCLIENTE = '000001'");
  db().writer().execute("UPDATE CLIENTE SET NMRAZSOCCLIE = 'Açougue Central' WHERE CDCLIENTE = '000002'");
  runner.BeforeGetQueryParams = [](TParams& params, bool&) {
    for (const char* name : {"P_CDARVPRODINI", "P_CDARVPRODFIN", "P_TCDCLIENTES"}) params.ParamByName(name).SetAsString("");
    params.ParamByName("P_LISTACLIENTES").SetAsString("000001,000002");
    if (Qrddlgs::ExistParam(params, "P_DATA")) params.ParamByName("P_DATA").SetAsString("01/04/2026");
    if (Qrddlgs::ExistParam(params, "P_DIAS")) params.ParamByName("P_DIAS").SetAsString("3650");
  };
  runner.ReportNames();
  for (int report = 0; report < 3; ++report) {
    std::vector<std::string> customers;
    for (const auto& row : fwtest::CsvRows(runner.Execute(report, Qrddlgs::roCSV).path))
      if (customers.empty() || customers.back() != row.at(0)) customers.push_back(row.at(0));
    EXPECT_EQ(customers, (std::vector<std::string>{"Cliente", "000002", "000001"})) << "report " << report;
  }
}

TEST_P(ReportRun, PricesOnADateListOnlyPricesInForceThatDayAndTheSubtitleSaysSo) {
  db().writer().execute("DELETE FROM TABPRECLIE");
  db().writer().execute("DELETE FROM TABPRECLIEHIST");
  price("000001", 1, "1", "'2026-06-01'", "NULL");          // starts after the date
  price("000001", 2, "2", "'2026-01-01'", "'2026-03-31'");  // ended before it
  price("000001", 3, "3", "'2026-05-15'", "'2026-05-15'");  // that very day
  price("000001", 4, "4", "NULL", "NULL");
  std::vector<std::string> shown;
  for (const auto& row : RunOwnCsv(1, "P_DATA", "15/05/2026")) shown.push_back(row.at(3) + "=" + row.at(5));
  const auto code = [&](int leaf) { return Norvexa::DBPictObj(Picture::ptProduto).FormatCode(leaves[leaf].code); };
  EXPECT_EQ(shown, (std::vector<std::string>{code(3) + "=3,000", code(4) + "=4,000"}));
  const auto lines = fwtest::PdfLines(runner.Execute(1, Qrddlgs::roPDF).path);
  EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                         [](const std::string& l) { return l.find("Somente os preços em vigor em: 15/05/2026") != std::string::npos; }),
            lines.end());
}

TEST_P(ReportRun, TheDateAskedForStartsAtToday) {
  runner.BeforeGetQueryParams = [](TParams& params, bool&) {
    for (const char* name : {"P_CDARVPRODINI", "P_CDARVPRODFIN", "P_LISTACLIENTES"}) params.ParamByName(name).SetAsString("");
    params.ParamByName("P_TCDCLIENTES").SetAsString("T");
  };
  runner.ReportNames();
  std::string offered;
  ModalScript script({fwtest::Do([&] {
                        offered = platform::DateToStr(static_cast<Dateeditplus::TDateEditPlus*>(
                                          platform::Screen().FindWindow("dlgParametros")->FindByName("edtP_DATA"))
                                          ->GetDate());
                      }),
                      ClickIn("dlgParametros", "btnOK")});
  runner.Execute(1, Qrddlgs::roCSV);
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(offered, framework::FormatLocalNow("%d/%m/%Y"));
}

TEST_P(ReportRun, AProductCodeNotRegisteredIsMarkedInTheSummary) {
  ArrangePrices();
  const auto lines = fwtest::PdfLines(Run({leaves[1].code, "999999", "", "T"}).path);
  const std::string last = Norvexa::DBPictObj(Picture::ptProduto).FormatCode("999999");
  const auto summary = std::find_if(lines.begin(), lines.end(),
                                    [](const std::string& l) { return l.find("Produto inicial: ") != std::string::npos; });
  ASSERT_NE(summary, lines.end());
  EXPECT_NE(summary->find("Produto final: " + last + " (não cadastrado)"), std::string::npos) << *summary;
  EXPECT_EQ(summary->find("Produto inicial: " + Norvexa::DBPictObj(Picture::ptProduto).FormatCode(leaves[1].code) +
                          " (não"),
            std::string::npos)
      << "a registered code is not marked";
}

TEST_P(ReportRun, SpreadsheetAndCsvHoldTheRowsAsTheDatabaseDoes) {
  ArrangePrices();
  const Filter filter{leaves[1].code, leaves[3].code, "000001,000002", ""};
  const auto rows = db().rows(
      "SELECT C.CDCLIENTE, C.NMRAZSOCCLIE, P.CDARVPROD, P.NMPRODUTO, T.VRPRECOPROD, T.DTVALINI, T.DTVALFIN "
      "FROM TABPRECLIE T JOIN CLIENTE C ON C.CDCLIENTE = T.CDCLIENTE JOIN PRODUTO P ON P.CDPRODUTO = T.CDPRODUTO "
      "WHERE C.CDCLIENTE IN ('000001', '000002') AND P.CDARVPROD BETWEEN '" +
      leaves[1].code + "' AND '" + leaves[3].code + "' ORDER BY C.NMRAZSOCCLIE, C.CDCLIENTE, P.CDARVPROD");
  ASSERT_EQ(rows.size(), 4u);

  const std::string xlsx = Run(filter, Qrddlgs::roXLSX).path;
  EXPECT_EQ(xlsx.substr(xlsx.size() - 5), ".xlsx");
  const fwtest::XlsxSheet sheet = fwtest::XlsxRows(xlsx);
  ASSERT_EQ(sheet.size(), rows.size() + 1);
  EXPECT_EQ(sheet.at(1).at("A").text, "Cliente");
  EXPECT_EQ(sheet.at(1).at("F").text, "Preço");
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const auto& cells = sheet.at(static_cast<int>(r) + 2);
    EXPECT_EQ(cells.at("A").text, rows[r][0]);
    EXPECT_EQ(cells.at("C").text, rows[r][1]);
    EXPECT_EQ(cells.at("D").text, Norvexa::DBPictObj(Picture::ptProduto).FormatCode(rows[r][2]));
    EXPECT_FALSE(cells.at("D").number);
    EXPECT_EQ(cells.at("E").text, rows[r][3]);
    ASSERT_TRUE(cells.at("F").number);
    EXPECT_DOUBLE_EQ(std::stod(cells.at("F").text), std::stod(rows[r][4]));
    ASSERT_TRUE(cells.at("G").number);  // a date is a serial day number with a date style
    EXPECT_DOUBLE_EQ(std::stod(cells.at("G").text), platform::TryISOToDateTime(rows[r][5].substr(0, 10))->value);
    EXPECT_NE(cells.at("G").style, cells.at("F").style);
    EXPECT_EQ(cells.count("H"), rows[r][6] == "<null>" ? 0u : 1u);
  }
  const std::string sheetXml = fwtest::ZipMember(xlsx, "xl/worksheets/sheet1.xml");
  EXPECT_NE(sheetXml.find(R"(ySplit="1")"), std::string::npos) << "header row frozen";
  EXPECT_NE(sheetXml.find(R"(<col min="5" max="5" width="44)"), std::string::npos) << "widths of the definition";
  EXPECT_NE(fwtest::ZipMember(xlsx, "xl/styles.xml").find("dd/mm/yyyy"), std::string::npos);

  const std::vector<std::vector<std::string>> csv = fwtest::CsvRows(Run(filter, Qrddlgs::roCSV).path);
  ASSERT_EQ(csv.size(), rows.size() + 1);
  EXPECT_EQ(csv[0], (std::vector<std::string>{"Cliente", "Inscrição", "Razão Social", "Produto", "Nome do Produto",
                                              "Preço", "Validade Inicial", "Validade Final"}));
  for (std::size_t r = 0; r < rows.size(); ++r) {
    EXPECT_EQ(csv[r + 1][0], rows[r][0]);
    EXPECT_EQ(csv[r + 1][4], rows[r][3]);
    EXPECT_EQ(csv[r + 1][5], platform::FormatFloat("0.000", std::stod(rows[r][4])));
    EXPECT_EQ(csv[r + 1][6], Date(rows[r][5]));
    EXPECT_EQ(csv[r + 1][7], rows[r][6] == "<null>" ? "" : Date(rows[r][6]));
  }
}

TEST_P(ReportRun, HostileListIsRefusedByNameAndNothingIsProduced) {
  ArrangePrices();
  const std::size_t documentsBefore = platform::Application().Documents().size();
  const std::int64_t customers = db().count("CLIENTE");
  for (const std::string& hostile : {std::string("000001,x';DROP TABLE CLIENTE;--"), std::string("000001,\" OR 1=1"),
                                     std::string("999999,000002,888888")}) {
    SCOPED_TRACE(hostile);
    try {
      Run({"", "", hostile, ""});
      ADD_FAILURE() << "a list with unknown codes ran";
    } catch (const Qrddlgs::EReportError& e) {
      const std::string message = e.what();
      if (hostile.rfind("999999", 0) == 0) {
        EXPECT_EQ(message, "Códigos de cliente não cadastrados: '999999', '888888'.");
      } else {
        EXPECT_EQ(message, "Código de cliente não cadastrado: '" + hostile.substr(7) + "'.");
      }
    }
  }
  EXPECT_EQ(db().count("CLIENTE"), customers);
  EXPECT_EQ(platform::Application().Documents().size(), documentsBefore);
  EXPECT_EQ(DocumentFiles(), 0u);
  // The same stale list with "Todos" is neither checked nor applied.
  EXPECT_EQ(RowLines(fwtest::PdfLines(Run({"", "", "999999", "T"}).path)).size(),
            static_cast<std::size_t>(db().count("TABPRECLIE")));
}

TEST_P(ReportRun, EmptyResultGivesDocumentsThatSaySo) {
  ArrangePrices();
  const Filter nothing{leaves[4].code, leaves[5].code, "000001,000002,000003", ""};
  const std::string pdf = Run(nothing).path;
  const std::vector<std::string> lines = fwtest::PdfLines(pdf);
  EXPECT_NE(std::find(lines.begin(), lines.end(), kNoRows), lines.end());
  EXPECT_TRUE(RowLines(lines).empty());
  EXPECT_EQ(fwtest::PdfPages(pdf), 1);
  EXPECT_EQ(fwtest::XlsxRows(Run(nothing, Qrddlgs::roXLSX).path).at(2).at("A").text, kNoRows);
  const auto csv = fwtest::CsvRows(Run(nothing, Qrddlgs::roCSV).path);
  ASSERT_EQ(csv.size(), 2u);
  EXPECT_EQ(csv[1], std::vector<std::string>{kNoRows});
}

TEST_P(ReportRun, LongReportKeepsEveryRowWholeAndNumbersEveryPage) {
  // 640 prices for one customer (more than the rows read at a time) and 40 for another.
  constexpr int kExtra = 600;
  auto products = db().writer().bulkWriter("PRODUTO", {"CDPRODUTO", "CDARVPROD", "NMPRODUTO", "NRNIVEL"});
  for (int i = 0; i < kExtra; ++i)
    products->add(
        {"X" + std::to_string(i), std::to_string(900000 + i), "Produto Extra " + std::to_string(i), std::int64_t{3}});
  products->finish();
  db().writer().execute("DELETE FROM TABPRECLIE");
  db().writer().execute(
      "INSERT INTO TABPRECLIE (CDCLIENTE, CDPRODUTO, VRPRECOPROD, DTVALINI, DTVALFIN) "
      "SELECT C.CDCLIENTE, P.CDPRODUTO, 10.5, '2026-01-01', '2026-12-31' FROM CLIENTE C, PRODUTO P "
      "WHERE P.NRNIVEL = 3 AND (C.CDCLIENTE = '000001' OR (C.CDCLIENTE = '000002' AND P.CDPRODUTO NOT LIKE 'X%'))");
  const std::size_t perCustomer[] = {leaves.size() + kExtra, leaves.size()};
  const std::string pdf = Run({"", "", "000001,000002", ""}).path;
  const std::vector<std::string> lines = fwtest::PdfLines(pdf);
  const int pages = fwtest::PdfPages(pdf);
  EXPECT_GE(pages, 12);
  std::vector<std::string> footers;
  int continued = 0;
  for (const std::string& line : lines) {
    if (line.find("Página ") != std::string::npos) footers.push_back(line);
    if (line.find("(continuação)") != std::string::npos) ++continued;
  }
  ASSERT_EQ(footers.size(), static_cast<std::size_t>(pages));
  for (int p = 1; p <= pages; ++p)
    EXPECT_EQ(footers[p - 1], "VQR512 Página " + std::to_string(p) + " de " + std::to_string(pages));
  EXPECT_GE(continued, pages - 2);
  // Every row once and in order, each whole on its line (a row split across pages
  // would lose its dates or its code).
  const std::vector<std::string> rows = RowLines(lines);
  EXPECT_EQ(rows.size(), perCustomer[0] + perCustomer[1]);
  for (const std::string& row : rows) EXPECT_NE(row.find(" 10,500 01/01/2026 31/12/2026"), std::string::npos) << row;
  const bool largestFirst = Sections(lines).at(0).find("Cliente: 000001 ") != std::string::npos;
  const auto firstEnd = rows.begin() + static_cast<long>(perCustomer[largestFirst ? 0 : 1]);
  EXPECT_TRUE(std::is_sorted(rows.begin(), firstEnd) && std::is_sorted(firstEnd, rows.end()));
  for (std::size_t total : perCustomer)
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Total — Produtos: " + std::to_string(total)), 1) << total;
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Total geral — Produtos: " + std::to_string(rows.size())),
            lines.end());
}

TEST_P(ReportRun, AFailingParameterStepStopsTheRunBeforeAnyDocument) {
  const std::size_t documentsBefore = platform::Application().Documents().size();
  runner.BeforeGetQueryParams = [](TParams&, bool&) { platform::Abort(); };
  runner.ReportNames();
  EXPECT_THROW(runner.Execute(0, Qrddlgs::roPDF), platform::EAbort);
  runner.BeforeGetQueryParams = [](TParams& params, bool& ask) {
    ask = false;
    params.ParamByName("P_TCDCLIENTES").SetAsString("T");
  };
  try {
    runner.Execute(0, Qrddlgs::roPDF);
    ADD_FAILURE() << "ran with parameters unset";
  } catch (const Qrddlgs::EReportError& e) {
    EXPECT_STREQ(e.what(), "Parâmetro P_CDARVPRODINI (Produto inicial) do relatório sem valor.");
  }
  runner.BeforeGetQueryParams = [](TParams& params, bool&) {
    for (const char* name : {"P_CDARVPRODINI", "P_CDARVPRODFIN", "P_LISTACLIENTES"})
      params.ParamByName(name).SetAsString("");
    params.ParamByName("P_TCDCLIENTES").SetAsString("S");
  };
  EXPECT_THROW(runner.Execute(0, Qrddlgs::roPDF), Qrddlgs::EReportError);
  EXPECT_EQ(platform::Application().Documents().size(), documentsBefore);
  EXPECT_EQ(DocumentFiles(), 0u);
}

// A definition whose query gives back what was bound, to see each kind's value.
constexpr const char* kEcho = R"({
  "title": "Eco",
  "parameters": [
    {"name": "P_TEXTO", "prompt": "Texto"},
    {"name": "P_QTD", "kind": "integer", "prompt": "Quantidade"},
    {"name": "P_VALOR", "kind": "number", "prompt": "Valor"},
    {"name": "P_DATA", "kind": "date", "prompt": "Data"},
    {"name": "P_TODOS", "kind": "flag", "prompt": "Todos"}
  ],
  "sql": {
    "sqlite": "SELECT :P_TEXTO AS TEXTO, :P_QTD AS QTD, :P_VALOR AS VALOR, :P_DATA AS DATA, :P_TODOS AS TODOS",
    "postgresql": "SELECT CAST(:P_TEXTO AS VARCHAR) AS TEXTO, CAST(:P_QTD AS INTEGER) AS QTD, CAST(:P_VALOR AS FLOAT) AS VALOR, CAST(:P_DATA AS DATE) AS DATA, CAST(:P_TODOS AS VARCHAR) AS TODOS"
  },
  "columns": [
    {"column": "TEXTO", "title": "Texto"}, {"column": "QTD", "title": "Qtd", "kind": "integer"},
    {"column": "VALOR", "title": "Valor", "kind": "number", "format": "###,#0.00"},
    {"column": "DATA", "title": "Data", "kind": "date"}, {"column": "TODOS", "title": "Todos"}
  ]
})";

TEST_P(ReportRun, ParametersLeftUnsetAreAskedByKindAndCancelStops) {
  fwtest::ReportsFolder folder;
  folder.Write("ECO", "eco.json", kEcho);
  runner.ReportsDir = folder.path();
  runner.ReportCode = "ECO";
  runner.BeforeGetQueryParams = [](TParams& params, bool&) { params.ParamByName("P_TEXTO").SetAsString("já dado"); };
  ASSERT_EQ(runner.ReportNames(), std::vector<std::string>{"Eco"});

  auto field = [](const std::string& name) { return platform::Screen().FindWindow("dlgParametros")->FindByName(name); };
  std::string refusal;
  bool textAsked = true;
  std::vector<std::vector<std::string>> csv;
  {
    ModalScript script({fwtest::Do([&] { textAsked = field("edtP_TEXTO") != nullptr; }), fwtest::TypeStep("12"),
                        fwtest::KeyStep(platform::VK_TAB), fwtest::TypeStep("1.5"), ClickIn("dlgParametros", "btnOK"),
                        fwtest::Do([&] { refusal = testsupport::TopMessageText(); }), ClickIn("dlgMessage", "btnOK"),
                        fwtest::Do([&] { static_cast<platform::TControl*>(field("edtP_VALOR"))->SetFocus(); }),
                        fwtest::KeyStep(platform::VK_END), fwtest::KeyStep(platform::VK_BACK),
                        fwtest::KeyStep(platform::VK_BACK), fwtest::KeyStep(platform::VK_BACK),
                        fwtest::TypeStep("1234,5"), fwtest::KeyStep(platform::VK_TAB), fwtest::TypeStep("14052026"),
                        ClickIn("dlgParametros", "chkP_TODOS"), ClickIn("dlgParametros", "btnOK")});
    csv = fwtest::CsvRows(runner.Execute(0, Qrddlgs::roCSV).path);
    EXPECT_TRUE(script.Done());
  }
  EXPECT_FALSE(textAsked);
  EXPECT_EQ(refusal, "Valor: '1.5' não é um valor numérico válido.");
  ASSERT_EQ(csv.size(), 2u);
  EXPECT_EQ(csv[1], (std::vector<std::string>{"já dado", "12", "1234,50", "14/05/2026", "T"}));

  const std::size_t documentsBefore = platform::Application().Documents().size();
  ModalScript cancel({ClickIn("dlgParametros", "btnCancel")});
  EXPECT_THROW(runner.Execute(0, Qrddlgs::roCSV), platform::EAbort);
  EXPECT_TRUE(cancel.Done());
  EXPECT_EQ(platform::Application().Documents().size(), documentsBefore);
}

FW_BACKEND_SUITE(ReportRun);

}  // namespace

namespace {

// The price table's spreadsheets, read back by Planilha and offered to the import,
// change no price: every exported line is read as it was written and is accepted.
TEST_P(ReportRun, ThePriceTableExportImportsBackUnchanged) {
  ArrangePrices();
  using Planilha::TTipoColuna;
  const std::vector<Planilha::TColuna> columns{{"Cliente", {}, TTipoColuna::tcTexto, false},
                                               {"Inscrição", {}, TTipoColuna::tcTexto, false},
                                               {"Produto", {}, TTipoColuna::tcTexto, true},
                                               {"Preço", {}, TTipoColuna::tcNumero, true},
                                               {"Validade Inicial", {}, TTipoColuna::tcData, false},
                                               {"Validade Final", {}, TTipoColuna::tcData, false}};
  for (Qrddlgs::TReportOutput output : {Qrddlgs::roXLSX, Qrddlgs::roCSV}) {
    const Planilha::TTabela table =
        Planilha::LeTabela(Run({"", "", "", "T"}, output).path, columns, Planilha::TCodificacao::cdAutomatica);
    EXPECT_TRUE(table.recusas.empty());
    ASSERT_EQ(table.linhas.size(), 7u);
    auto lines = std::make_shared<platform::DataPacket>(contracts::server::ImportLineColumns());
    for (const Planilha::TLinha& line : table.linhas) {
      lines->appendInteger(static_cast<std::int64_t>(line.numero));
      for (int c = 0; c < 3; ++c) lines->appendString(line.valores[c].texto);
      lines->appendFloat(line.valores[3].numero);
      for (int c = 4; c < 6; ++c)
        if (line.valores[c].vazio) lines->appendNull(); else lines->appendDateTime(line.valores[c].data);
      lines->endRow();
    }
    db().writer().setCaller("teste");
    auto preview = server::modules::tab_pre_clie::GetPreviaImpPreco(
        db().writer(), {platform::Variant(std::shared_ptr<const platform::DataPacket>(lines)), "", 3});
    preview.record.historyMark = 0;  // a position, not a count
    EXPECT_EQ(preview.record, (contracts::server::PreviewCounts{.unchanged = 7, .customers = 3}));
  }
}

}  // namespace
