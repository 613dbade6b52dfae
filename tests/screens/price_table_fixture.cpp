#include "tests/screens/price_table_fixture.h"

#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "contracts/server/result_envelope.h"
#include "platform/net/sign_in.h"
#include "platform/net/socket_connection.h"
#include "platform/ui/ui_types.h"

namespace screenstest {

const TestCustomer kLegal{"T900001", "12345678000195", "12.345.678/0001-95", "Comercial Horizonte Teste Ltda", "J"};
const TestCustomer kNatural{"T900002", "12345678909", "123.456.789-09", "Maria Teste Souza", "F"};

namespace {

// One short-lived connection to the test's database file.
class Db {
 public:
  explicit Db(const std::string& path) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) throw std::runtime_error("sqlite open: " + path);
    sqlite3_busy_timeout(db_, 5000);
  }
  ~Db() { sqlite3_close(db_); }
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;

  void execute(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
      std::string text = error ? error : "?";
      sqlite3_free(error);
      throw std::runtime_error("sqlite: " + text + " in " + sql);
    }
  }

  // Rows of texts ("" for null).
  std::vector<std::vector<std::string>> query(const std::string& sql, const std::vector<std::string>& params) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
      throw std::runtime_error(std::string("sqlite: ") + sqlite3_errmsg(db_) + " in " + sql);
    for (std::size_t i = 0; i < params.size(); ++i)
      sqlite3_bind_text(stmt, static_cast<int>(i + 1), params[i].c_str(), -1, SQLITE_TRANSIENT);
    std::vector<std::vector<std::string>> rows;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
        const auto* text = sqlite3_column_text(stmt, c);
        row.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
      }
      rows.push_back(std::move(row));
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) throw std::runtime_error(std::string("sqlite: ") + sqlite3_errmsg(db_));
    return rows;
  }

 private:
  sqlite3* db_ = nullptr;
};

json FindMenuItem(const json& items, const std::string& name) {
  for (const json& item : items) {
    if (item.value("name", "") == name) return item;
    if (item.contains("items")) {
      json inner = FindMenuItem(item["items"], name);
      if (!inner.is_null()) return inner;
    }
  }
  return nullptr;
}

}  // namespace

void PriceTableTest::SetUp() {
  database_ = dir_.file("demo.db");
  CreateTestDatabase(database_);
  if (!hostUser_.empty() && hostUser_ != vqrtest::kTestUser) vqrtest::AddUser(database_, hostUser_, hostRole_);
  startServer();
  if (recordCalls_) recorder_ = std::make_unique<CallRecorder>(port_);
  testsupport::HostProcess::Options options;
  options.module = std::string(VQR_BINARY_DIR) + "/lib/Pkg_VQR51200.so";
  const std::uint16_t hostPort = recorder_ ? recorder_->port() : port_;
  std::string servers = "127.0.0.1:" + std::to_string(hostPort);
  if (secondServer_) {
    secondServer = std::make_unique<vqrtest::AppServerProcess>(
        vqrtest::AppServerProcess::Options{.database = database_, .extraArgs = serverArgs_});
    servers += ",127.0.0.1:" + std::to_string(secondServer->port());
  }
  options.extraArgs = {"--server", servers, "--db", database_};
  options.extraArgs.insert(options.extraArgs.end(), hostArgs_.begin(), hostArgs_.end());
  options.timeout = std::chrono::milliseconds(30000);
  options.user = hostUser_;
  host_ = std::make_unique<testsupport::HostProcess>(options);
}

void PriceTableTest::TearDown() {
  host_.reset();
  recorder_.reset();
  server_.reset();
  secondServer.reset();
}

void CreateTestDatabase(const std::string& path) {
  auto init = vqrtest::RunAppServer({"init", "--db", path, "--demo"});
  if (init.exitCode != 0) throw std::runtime_error("appserver init falhou: " + init.err);
  vqrtest::AddUser(path);
  Db db(path);
  std::ostringstream sql;
  for (const TestCustomer* c : {&kLegal, &kNatural})
    sql << "INSERT INTO CLIENTE (CDCLIENTE, NRINSJURCLIE, NMRAZSOCCLIE, NMFANTCLIE, IDTPIJURCLIE) VALUES ('" << c->code
        << "', '" << c->number << "', '" << c->name << "', 'Teste', '" << c->kind << "');";
  db.execute(sql.str());
  db.execute("INSERT INTO TABPRECLIE (CDCLIENTE, CDPRODUTO, VRPRECOPROD, DTVALINI, DTVALFIN) VALUES ('" + kLegal.code +
             "', '" + LeafProduct(path, 0) + "', 10.5, '2026-01-01', '2026-12-31'), ('" + kLegal.code + "', '" +
             LeafProduct(path, 1) + "', 7.25, NULL, NULL)");
}

void PriceTableTest::saveAsAnotherClerk(const std::string& user, const std::string& product, double price,
                                        const std::string& start, const std::string& end) {
  if (std::find(otherClerks_.begin(), otherClerks_.end(), user) == otherClerks_.end()) {
    vqrtest::AddUser(database_, user, "precos");
    otherClerks_.push_back(user);
  }
  platform::TSocketConnection net;
  net.SetServerName("VQR51200.rdmTabPreClie");
  net.BeforeConnect = [&net, this](platform::TObject*) {
    net.SetHost("127.0.0.1");
    net.SetPort(port_);
  };
  auto signIn = std::make_shared<platform::TSignIn>();
  signIn->SetCredentials(user, vqrtest::kTestPassword);
  net.SetSignIn(signIn);
  const auto saved =
      contracts::server::ReadEnvelope(net.Call("SetTabPreClie", {kLegal.code, product, price, start, end, "S"}));
  ASSERT_TRUE(saved.ok) << saved.message;
}

void PriceTableTest::stopServer() { server_.reset(); }

void PriceTableTest::killServer() { server_->kill9(); }

void PriceTableTest::startServer() {
  server_ = std::make_unique<vqrtest::AppServerProcess>(
      vqrtest::AppServerProcess::Options{.database = database_, .port = port_, .extraArgs = serverArgs_});
  port_ = server_->port();
}

std::vector<std::string> PriceTableTest::serverCalls(const std::string& method) const {
  std::vector<std::string> calls;
  std::istringstream log(server_ ? server_->log() : "");
  const std::string address = "rdmTabPreClie." + method + " ";
  for (std::string line; std::getline(log, line);)
    if (line.find(address) != std::string::npos) calls.push_back(line);
  return calls;
}

std::vector<std::vector<platform::Variant>> PriceTableTest::sentCalls(const std::string& method) const {
  if (!recorder_) throw std::logic_error("this fixture does not record the host's calls");
  return recorder_->calls(method);
}

json PriceTableTest::openScreen() {
  json state = host().click("frmHost.mnuTabPreClie");
  if (host().window(kScreen).is_null())
    throw std::runtime_error("a tela não abriu: " + messageText() + " " + state.dump().substr(0, 400));
  return state;
}

json PriceTableTest::typeCustomer(const std::string& number) {
  host().focus(kNumber);
  host().type(number);
  return host().key(platform::VK_TAB);
}

json PriceTableTest::chooseCustomer(const TestCustomer& customer) {
  json state = typeCustomer(customer.number);
  if (host().focusPath() != kGrid)
    throw std::runtime_error("o cliente " + customer.number + " não foi aceito: " + messageText());
  return state;
}

json PriceTableTest::grid() const { return host_->control(kGrid); }

std::vector<std::string> PriceTableTest::gridRow(int row) const {
  json g = grid();
  const int index = row - g.value("topRow", 0);
  if (index < 0 || index >= static_cast<int>(g["rows"].size()))
    throw std::runtime_error("linha " + std::to_string(row) + " fora das linhas mostradas");
  return g["rows"][static_cast<std::size_t>(index)].get<std::vector<std::string>>();
}

json PriceTableTest::editCell(int row, int col, const std::string& text) {
  host().cell(kGrid, row, col);
  host().type(text);
  return host().key(platform::VK_RETURN);
}

json PriceTableTest::clearCell(int row, int col) {
  host().cell(kGrid, row, col);
  host().key(platform::VK_BACK);
  return host().key(platform::VK_RETURN);
}

void PriceTableTest::chooseList(const std::string& form, const std::vector<const TestCustomer*>& customers) {
  const std::string list = "dlgPesquisaLista", listGrid = "dlgPesquisaLista.dbgPesquisa";
  host_->click(form + ".rbtLista");
  host_->click(form + ".btpPesqClie");
  ASSERT_FALSE(host_->window(list).is_null()) << messageText();
  for (std::size_t i = 0; i < customers.size(); ++i) {
    host_->key(platform::VK_HOME, {.ctrl = true});
    host_->type(customers[i]->number);  // the list finds the row as it is typed
    if (i == 0)
      host_->key(platform::VK_SPACE, {}, " ");
    else
      host_->mark(listGrid, host_->control(listGrid)["row"].get<int>());
  }
  host_->click(list + ".btnOK");
}

std::string PriceTableTest::messageText() const {
  auto box = host_->messageBox();
  return box ? box->value("text", "") : "";
}

void PriceTableTest::confirmAccepted() {
  host_->click("frmTabPreClie.sbtConfirmar");
  EXPECT_FALSE(host_->messageBox()) << messageText();
}

void PriceTableTest::confirmRefused(const std::string& text, int column) {
  host_->click("frmTabPreClie.sbtConfirmar");
  expectBox(text);
  if (column < 0) return;
  EXPECT_EQ(grid().value("state", ""), "edit");
  EXPECT_EQ(grid().value("col", -1), column);
}

void PriceTableTest::expectBox(const std::string& text, const char* button) {
  ASSERT_TRUE(host_->messageBox()) << "no message, expected: " << text;
  EXPECT_EQ(messageText(), text);
  host_->answer(button);
}

std::vector<std::pair<json, json>> PriceTableTest::statesWithWaitPanel(const std::string& form) const {
  std::vector<std::pair<json, json>> found;
  for (const std::string& line : host_->transcript()) {
    json state = json::parse(line);
    for (const json& w : state.value("windows", json::array()))
      if (w.value("name", "") == form && testsupport::FindControl(w, "panEspera").value("visible", false))
        found.emplace_back(state, w);
  }
  return found;
}

void PriceTableTest::expectZeroPriceRefusal(const std::string& form) {
  ASSERT_TRUE(host().messageBox());
  EXPECT_EQ(host().messageBox()->value("dlgType", ""), "error");
  expectBox(
      "Operação Cancelada. A aplicação da fórmula faria com que alguns produtos ficassem com preço zerado ou "
      "negativo.");
  EXPECT_EQ(host().activeForm(), form) << "the screen stays open";
  EXPECT_FALSE(host().control(form + ".panEspera")["visible"]);
  EXPECT_FALSE(host().control(form + ".anmAnimacao")["active"]);
}

void PriceTableTest::expectWaitPanelDuringTheWrite(const std::string& form) const {
  const auto waiting = statesWithWaitPanel(form);
  ASSERT_FALSE(waiting.empty()) << "the wait panel shows while the call blocks";
  bool blockingCallSeen = false;
  for (const auto& [state, window] : waiting) {
    EXPECT_FALSE(state["idle"]) << "the panel is shown only while the call runs";
    EXPECT_TRUE(testsupport::FindControl(window, "anmAnimacao")["active"]) << "its animation plays";
    blockingCallSeen |= state["cursor"] == -11 && state["wait"] == json{{"kind", 1}};
  }
  EXPECT_TRUE(blockingCallSeen) << "the panel stays up under the hourglass of the call";
}

void PriceTableTest::expectModalScreen(const std::string& form, const std::string& caption, const std::string& code,
                                       int clientWidth, int clientHeight) const {
  const json window = host().window(form);
  EXPECT_EQ(window.value("caption", ""), caption);
  EXPECT_TRUE(window.value("modal", false)) << form;
  EXPECT_EQ(window["bounds"][2], clientWidth + 2) << form << ": a single border";
  EXPECT_EQ(window["bounds"][3], clientHeight + 2 + 24) << form << ": a single border and the caption bar";
  EXPECT_EQ(host().control(form + ".lblCodTela")["caption"], code);
}

bool PriceTableTest::enabled(const std::string& path) const {
  json c = host_->control(path);
  if (c.is_null()) throw std::runtime_error("controle ausente: " + path);
  return c.value("enabled", false);
}

bool PriceTableTest::menuEnabled(const std::string& item) const {
  json w = host_->window(kScreen);
  json found = w.is_null() ? json() : FindMenuItem(w["menu"], item);
  if (found.is_null()) throw std::runtime_error("item de menu ausente: " + item);
  return found.value("enabled", false);
}

json PriceTableTest::menuItems(const std::string& menu) const {
  json w = host_->window(kScreen);
  json found = w.is_null() ? json() : FindMenuItem(w["menu"], menu);
  if (found.is_null()) throw std::runtime_error("menu ausente: " + menu);
  return found["items"];
}

std::string LeafProduct(const std::string& database, int index) {
  Db db(database);
  auto rows = db.query("SELECT CDPRODUTO FROM PRODUTO WHERE NRNIVEL = 3 ORDER BY CDARVPROD LIMIT 1 OFFSET ?",
                       {std::to_string(index)});
  if (rows.empty()) throw std::runtime_error("produto folha inexistente: " + std::to_string(index));
  return rows[0][0];
}

std::optional<StoredPrice> PriceTableTest::storedPrice(const std::string& customer, const std::string& product) const {
  Db db(database_);
  auto rows = db.query(
      "SELECT VRPRECOPROD, COALESCE(DTVALINI, ''), COALESCE(DTVALFIN, '') FROM TABPRECLIE "
      "WHERE CDCLIENTE = ? AND CDPRODUTO = ?",
      {customer, product});
  if (rows.empty()) return std::nullopt;
  return StoredPrice{std::stod(rows[0][0]), rows[0][1], rows[0][2]};
}

void PriceTableTest::execute(const std::string& sql) const {
  Db db(database_);
  db.execute(sql);
}

void PriceTableTest::seedLegalFormula() const {
  execute("INSERT INTO COMPPRECLIE VALUES ('" + kLegal.code + "', '001', '001', 'P', 30, 'SUM'), ('" + kLegal.code +
          "', '005', '002', 'M', 1.5, 'SUM')");
}

std::vector<std::vector<std::string>> PriceTableTest::storedFormula(const std::string& customer) const {
  return query("SELECT NRORDEMFAT, CDFATPRECO, IDDETFATPRE, VRFATPRECLIE, IDTPOPERFATCLIE FROM COMPPRECLIE "
               "WHERE CDCLIENTE = ? ORDER BY NRORDEMFAT",
               {customer});
}

std::vector<std::vector<std::string>> PriceTableTest::query(const std::string& sql,
                                                            const std::vector<std::string>& params) const {
  Db db(database_);
  return db.query(sql, params);
}

}  // namespace screenstest
