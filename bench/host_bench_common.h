#pragma once
// What the benchmarks that drive the real module through `host --stdio` share: the
// demo customer whose number a person types, the text of the message box shown, and
// a check that stops the benchmark with what the screen said.
#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "support/host_process.h"

namespace bench {

// The registration number of a customer of a SQLite database.
inline std::string RegistrationNumber(const std::string& database, const std::string& customer) {
  sqlite3* db = nullptr;
  sqlite3_stmt* stmt = nullptr;
  std::string number;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(db, "SELECT NRINSJURCLIE FROM CLIENTE WHERE CDCLIENTE = ?", -1, &stmt, nullptr) == SQLITE_OK) {
    sqlite3_bind_text(stmt, 1, customer.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(stmt) == SQLITE_ROW) number = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  if (number.empty()) throw std::runtime_error("demo customer " + customer + " not found");
  return number;
}

inline std::string MessageText(const testsupport::HostProcess& host) {
  auto box = host.messageBox();
  return box ? box->value("text", "") : "";
}

inline void Expect(bool condition, const std::string& what, const testsupport::HostProcess& host) {
  if (!condition) throw std::runtime_error(what + " (message: " + MessageText(host) + ")");
}

// A host with the module, reaching the appserver on `port`, reading `database`.
inline testsupport::HostProcess::Options ModuleHost(std::uint16_t port, const std::string& database) {
  testsupport::HostProcess::Options options;
  options.module = std::string(VQR_BINARY_DIR) + "/lib/Pkg_VQR51200.so";
  options.extraArgs = {"--server", "127.0.0.1:" + std::to_string(port), "--db", database};
  options.timeout = std::chrono::milliseconds(120000);
  return options;
}

// The price table opened from the menu with the customer typed in, its prices shown.
inline void OpenPriceTable(testsupport::HostProcess& host, const std::string& database, const std::string& customer) {
  host.click("frmHost.mnuTabPreClie");
  host.focus("frmTabPreClie.medCdClie");
  host.type(RegistrationNumber(database, customer));
  host.key(9);
  Expect(host.focusPath() == "frmTabPreClie.dbgPadrao", "the customer was not accepted", host);
}

}  // namespace bench
