#pragma once
// Passwords are kept only as Argon2id hashes made by libsodium (crypto_pwhash_str): the
// hash text carries its own salt and cost, so a hash of any cost is checked the same way.
//
// Production hashes cost what libsodium calls INTERACTIVE (about 64 MiB and a few
// tenths of a second per check). HashCost::MinimumForTests exists for test databases
// only; it is asked for explicitly (`appserver user add --test-hash`), never chosen
// silently, and the server names the users whose hash is below INTERACTIVE when it starts.
#include <string>
#include <string_view>

namespace server::access {

enum class HashCost { Interactive, MinimumForTests };

// At least this many characters, at most kMaxPasswordBytes bytes.
inline constexpr std::size_t kMinPasswordChars = 8;
inline constexpr std::size_t kMaxPasswordBytes = 256;

// Raises platform::Exception with a Portuguese text when the password does not fit.
void CheckNewPassword(std::string_view password);

// The hash text of a password (raises when libsodium cannot hash it).
std::string HashPassword(std::string_view password, HashCost cost = HashCost::Interactive);
// Whether the password is the one `hash` was made of; false for a malformed hash.
bool PasswordMatches(const std::string& hash, std::string_view password);
// Checks a password against a hash of no user, as long as a real check takes, so an
// unknown login answers no sooner than a wrong password.
void CheckAgainstNobody(std::string_view password);
// Whether the hash costs less than HashCost::Interactive.
bool BelowInteractiveCost(const std::string& hash);

}  // namespace server::access
