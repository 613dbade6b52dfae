#include "server/store/applied_call.h"

#include <sodium.h>

#include <fmt/chrono.h>
#include <fmt/format.h>
#include <spdlog/spdlog.h>

#include <ctime>

#include "server/store/sql_builder.h"
#include "server/store/store_error.h"

namespace server::store {
namespace {

std::string UtcText(std::chrono::system_clock::time_point time) {
  return fmt::format("{:%Y-%m-%dT%H:%M:%S}", fmt::gmtime(std::chrono::system_clock::to_time_t(time)));
}

// The reply's bytes as text, which both databases keep in a text column.
std::string Base64(const std::string& bytes) {
  constexpr int kVariant = sodium_base64_VARIANT_ORIGINAL;
  std::string text(sodium_base64_ENCODED_LEN(bytes.size(), kVariant), '\0');
  sodium_bin2base64(text.data(), text.size(), reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                    kVariant);
  text.resize(text.size() - 1);  // the terminating zero
  return text;
}

std::string FromBase64(const std::string& text) {
  std::string bytes(text.size() / 4 * 3 + 3, '\0');
  std::size_t length = 0;
  if (sodium_base642bin(reinterpret_cast<unsigned char*>(bytes.data()), bytes.size(), text.data(), text.size(),
                        nullptr, &length, nullptr, sodium_base64_VARIANT_ORIGINAL) != 0)
    throw platform::Exception("Resposta gravada da chamada ilegível no banco de dados.");
  bytes.resize(length);
  return bytes;
}

}  // namespace

AppliedCall::AppliedCall(Connection& connection, std::string id) : connection_(connection), id_(std::move(id)) {
  connection_.setAppliedCall(this);
}

AppliedCall::~AppliedCall() {
  connection_.setAppliedCall(nullptr);
  if (!holding_) return;
  try {
    connection_.rollback();
  } catch (const std::exception& e) {
    // A destructor cannot raise; the connection marks itself unusable and is dropped.
    spdlog::error("Falha ao desfazer a gravação da chamada {}: {}", id_, e.what());
  }
}

std::optional<std::string> AppliedCall::storedReply() {
  std::optional<std::string> reply;
  std::string user;
  connection_.query("SELECT CDUSUARIO, DSRESPOSTA FROM CHAMADAGRAVADA WHERE CDCHAMADA = $1", {id_},
                    [&](const Row& row) {
                      user = row.text(0);
                      reply = row.text(1);
                    });
  if (reply && user != connection_.caller())
    throw platform::Exception("Chamada recusada: seu identificador pertence a uma chamada de outro usuário.");
  if (!reply) return std::nullopt;
  return FromBase64(*reply);
}

void AppliedCall::claim() {
  SqlBuilder sql(connection_.backend());
  const std::string insert = "INSERT INTO CHAMADAGRAVADA (CDCHAMADA, CDUSUARIO, DTHRCHAMADA) VALUES (" +
                             sql.textParam(id_) + ", " + sql.textParam(connection_.caller()) + ", " +
                             sql.timestampParam(UtcText(std::chrono::system_clock::now())) + ")";
  try {
    connection_.execute(insert, sql.params());
    claimed_ = true;
  } catch (const StoreError& e) {
    if (e.kind() != StoreError::Kind::Constraint) throw;
    throw ECallAlreadyApplied("A chamada " + id_ + " já foi aplicada por um envio anterior.");
  }
}

void AppliedCall::finish(const std::string& reply) {
  if (!holding_) return;
  connection_.execute("UPDATE CHAMADAGRAVADA SET DSRESPOSTA = $1 WHERE CDCHAMADA = $2", {Base64(reply), id_});
  SqlBuilder sql(connection_.backend());
  const std::string cutoff = UtcText(std::chrono::system_clock::now() - kAppliedCallRetention);
  connection_.execute("DELETE FROM CHAMADAGRAVADA WHERE DTHRCHAMADA < " + sql.timestampParam(cutoff), sql.params());
  holding_ = claimed_ = false;  // a failed commit leaves nothing to roll back
  connection_.commit();
}

}  // namespace server::store
