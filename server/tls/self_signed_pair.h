#pragma once
// A self-signed certificate and its private key for a first install, written as PEM
// files: an ECDSA P-256 key, SHA-256, valid for `days`, made out to every name given
// (host names and addresses; the first also names the subject). The host trusts it by
// being given the certificate file itself as its authority (`host --tls-ca`).
//
// The key file is created readable by its owner only. Raises platform::Exception with
// a Portuguese text when a file exists (unless `overwrite`) or cannot be written.
#include <string>
#include <vector>

namespace server::tls {

struct SelfSignedPair {
  std::string certificateFile;
  std::string keyFile;
  std::vector<std::string> names;  // empty: localhost, 127.0.0.1, ::1 and this machine's name
  int days = 3650;
  bool overwrite = false;
};

// Returns the names the certificate was made out to.
std::vector<std::string> WriteSelfSignedPair(const SelfSignedPair& pair);

}  // namespace server::tls
