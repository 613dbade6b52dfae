#pragma once
// PriceTableTest: the customer price table as a person uses it. Each test gets a fresh
// SQLite demo database with two customers of its own, a real appserver on loopback and
// a `host --stdio` process with the module loaded; the test drives the host through the
// UI protocol and checks the screen, the database and the server's call log.
//
// The customers of the fixture:
//   kLegal    "12345678000195"  Comercial Horizonte Teste Ltda (legal person), with
//             special prices on the first two leaf products (kSeededPrice0, kSeededPrice1)
//   kNatural  "12345678909"     Maria Teste Souza (natural person), no special price
// Grid columns (visible): 0 product code, 1 name, 2 price, 3 start, 4 end.
#include <chrono>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "platform/variant/variant.h"
#include "support/app_server_process.h"
#include "support/host_process.h"
#include "support/temp_dir.h"
#include "tests/screens/call_recorder.h"

namespace screenstest {

using nlohmann::json;

struct TestCustomer {
  std::string code;
  std::string number;     // digits only
  std::string formatted;  // laid into its person kind's mask
  std::string name;
  std::string kind;
};

extern const TestCustomer kLegal;
extern const TestCustomer kNatural;

inline constexpr const char* kScreen = "frmTabPreClie";
inline constexpr const char* kGrid = "frmTabPreClie.dbgPadrao";
inline constexpr const char* kNumber = "frmTabPreClie.medCdClie";
inline constexpr const char* kName = "frmTabPreClie.edtNmClie";
enum Column { kColCode = 0, kColName = 1, kColPrice = 2, kColStart = 3, kColEnd = 4 };

// A fresh demo database in `path` with the fixture's customers and prices, and the user
// vqrtest::kTestUser the host signs in as.
void CreateTestDatabase(const std::string& path);
// CDPRODUTO of the index-th leaf product by code.
std::string LeafProduct(const std::string& database, int index);

// A special price as the database holds it (dates as stored, ISO text; "" for none).
struct StoredPrice {
  double price = 0;
  std::string start;
  std::string end;
  bool operator==(const StoredPrice&) const = default;
  friend void PrintTo(const StoredPrice& p, std::ostream* out) { *out << p.price << " " << p.start << ".." << p.end; }
};

class PriceTableTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  testsupport::HostProcess& host() { return *host_; }
  const testsupport::HostProcess& host() const { return *host_; }
  const std::string& database() const { return database_; }

  // --- the system ---
  // Stops the appserver (SIGTERM) / starts it again on the same port.
  void stopServer();
  void startServer();
  // The call lines the running appserver logged for `method` ("SetTabPreClie").
  std::vector<std::string> serverCalls(const std::string& method) const;
  // The arguments the host sent in each call of `method`, as they went on the wire;
  // only when the fixture records calls (recordCalls_ set before SetUp).
  std::vector<std::vector<platform::Variant>> sentCalls(const std::string& method) const;
  // A derived fixture that sets it (in its constructor) gets the host's calls recorded
  // by a CallRecorder between the host and the appserver.
  bool recordCalls_ = false;
  // Further arguments of the host (set before SetUp), such as its reports folder.
  std::vector<std::string> hostArgs_;
  // Who the host signs in as (set before SetUp): a user of that role is added when it is
  // not vqrtest::kTestUser; empty: the host starts with its sign-in window.
  std::string hostUser_ = vqrtest::kTestUser;
  std::string hostRole_ = "admin";
  // Further options of `appserver serve` (set before SetUp), such as --session-idle.
  std::vector<std::string> serverArgs_;
  // Set before SetUp: a second appserver on the same database, listed after the first
  // in the host's --server, to go on with when the first stops answering.
  bool secondServer_ = false;
  // SIGKILL to the first appserver, in the middle of whatever it does.
  void killServer();

  // --- the screen ---
  json openScreen();
  // Types `number` into medCdClie and leaves it with Tab, as a person does.
  json typeCustomer(const std::string& number);
  // typeCustomer, expecting the grid to get the focus with the customer's prices.
  json chooseCustomer(const TestCustomer& customer);
  json grid() const;
  // Display texts of an absolute grid row (it must be among the rendered rows).
  std::vector<std::string> gridRow(int row) const;
  std::string gridText(int row, int col) const { return gridRow(row).at(static_cast<std::size_t>(col)); }
  // Clicks the cell, types `text` and presses Enter (the cell's text goes to the field).
  json editCell(int row, int col, const std::string& text);
  // Empties the cell being edited (Backspace on the selected text) and presses Enter.
  json clearCell(int row, int col);
  // On `form`: "Lista", then its customer list dialog with `customers` marked (the
  // first by Space, the others with the mouse; each row found by typing its number),
  // then OK.
  void chooseList(const std::string& form, const std::vector<const TestCustomer*>& customers);
  // Confirms the row being edited (sbtConfirmar) and expects no message.
  void confirmAccepted();
  // Confirms the row being edited and expects `text`, answered with OK; with a
  // `column`, the row stays in edit on it.
  void confirmRefused(const std::string& text, int column = -1);
  // The text of the topmost message box, or "" when none is shown.
  std::string messageText() const;
  // Expects a message box with `text` and answers it with `button`.
  void expectBox(const std::string& text, const char* button = "btnOK");
  // The states the host sent while the wait panel panEspera of `form` was shown, each
  // with that window.
  std::vector<std::pair<json, json>> statesWithWaitPanel(const std::string& form) const;
  // Expects the refusal of a repricing that would leave some price zero or negative:
  // its catalog text in an error box, answered with OK, and `form` still open with its
  // wait panel down.
  void expectZeroPriceRefusal(const std::string& form);
  // Expects the wait panel of `form` to have shown while its write blocked: only while
  // busy, its animation playing, up under the hourglass and the writing wait kind.
  void expectWaitPanelDuringTheWrite(const std::string& form) const;
  // Expects `form` shown modally with its caption, its screen code in lblCodTela and a
  // client area of the size given inside a single border under the caption bar.
  void expectModalScreen(const std::string& form, const std::string& caption, const std::string& code,
                         int clientWidth, int clientHeight) const;
  bool enabled(const std::string& path) const;
  bool menuEnabled(const std::string& item) const;
  // The items of one of the screen's menus, in order.
  json menuItems(const std::string& menu) const;

  // --- another clerk ---
  // `user` (added with the role "precos" the first time) saves kLegal's price of the
  // product (SetTabPreClie; dates "dd/mm/yyyy" or "") through a connection of its own
  // to the same appserver, as another clerk's screen would; expects it accepted.
  void saveAsAnotherClerk(const std::string& user, const std::string& product, double price,
                          const std::string& start = "", const std::string& end = "");

  // --- the database ---
  std::string leafProduct(int index) const { return LeafProduct(database_, index); }
  std::optional<StoredPrice> storedPrice(const std::string& customer, const std::string& product) const;
  void execute(const std::string& sql) const;
  // kLegal's formula: 001 MKP 30 % add, 002 FRT R$ 1,5 add.
  void seedLegalFormula() const;
  // A customer's formula rows as stored: order, factor code, kind, value, operation.
  std::vector<std::vector<std::string>> storedFormula(const std::string& customer = kLegal.code) const;
  // Rows of a query on the test's database, as texts ("" for null).
  std::vector<std::vector<std::string>> query(const std::string& sql,
                                              const std::vector<std::string>& params = {}) const;

 private:
  vqrtest::TempDir dir_;
  std::string database_;
  std::uint16_t port_ = 0;
  std::unique_ptr<vqrtest::AppServerProcess> server_;
  std::unique_ptr<vqrtest::AppServerProcess> secondServer;
  std::unique_ptr<CallRecorder> recorder_;
  std::unique_ptr<testsupport::HostProcess> host_;
  std::vector<std::string> otherClerks_;
};

// The seeded prices of kLegal: leaf 0 at 10,5 from 01/01/2026 to 31/12/2026, leaf 1 at
// 7,25 with no dates.
inline constexpr double kSeededPrice0 = 10.5;
inline constexpr double kSeededPrice1 = 7.25;

}  // namespace screenstest
