#include "server/access/password_hash.h"

#include <sodium.h>

#include "platform/core/exceptions.h"
#include "platform/text/utf8.h"

namespace server::access {
namespace {

void RequireSodium() {
  static const bool ready = sodium_init() >= 0;
  if (!ready) throw platform::Exception("Não foi possível iniciar a biblioteca de criptografia (libsodium).");
}

std::string Hash(std::string_view password, unsigned long long opslimit, std::size_t memlimit) {
  RequireSodium();
  char out[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str_alg(out, password.data(), password.size(), opslimit, memlimit, crypto_pwhash_ALG_ARGON2ID13) !=
      0)
    throw platform::Exception("Não foi possível calcular o hash da senha (memória insuficiente).");
  return out;
}

}  // namespace

void CheckNewPassword(std::string_view password) {
  if (password.size() > kMaxPasswordBytes)
    throw platform::Exception("Senha deve ter no máximo " + std::to_string(kMaxPasswordBytes) + " bytes.");
  if (platform::utf8::Length(password) < kMinPasswordChars)
    throw platform::Exception("Senha deve ter pelo menos " + std::to_string(kMinPasswordChars) + " caracteres.");
}

std::string HashPassword(std::string_view password, HashCost cost) {
  if (cost == HashCost::MinimumForTests) return Hash(password, crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN);
  return Hash(password, crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE);
}

bool PasswordMatches(const std::string& hash, std::string_view password) {
  RequireSodium();
  if (hash.size() >= crypto_pwhash_STRBYTES) return false;
  return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

void CheckAgainstNobody(std::string_view password) {
  static const std::string nobody = HashPassword("sem usuário com este nome");
  PasswordMatches(nobody, password);
}

bool BelowInteractiveCost(const std::string& hash) {
  RequireSodium();
  if (hash.size() >= crypto_pwhash_STRBYTES) return true;
  return crypto_pwhash_str_needs_rehash(hash.c_str(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                                        crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0;
}

}  // namespace server::access
