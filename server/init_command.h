#pragma once
// `appserver init`: creates the schema in a new database and, on request, fills it
// with the demo data, all in one transaction. An existing SQLite file, or a
// PostgreSQL database that already has the schema, is left alone unless `force` is
// set; then it is replaced.
//
// For a first install it can also write a self-signed TLS certificate and its key
// (tls/self_signed_pair.h), with or without a database to create.
#include <string>

#include "server/demo/demo_data.h"
#include "server/tls/self_signed_pair.h"

namespace server {

struct InitOptions {
  std::string database;
  bool demo = false;
  demo::DemoOptions demoOptions;
  bool force = false;
  tls::SelfSignedPair tls;  // written when its files are named; `force` overwrites them
};

// Returns a one-line summary of what was created; raises platform::Exception (or
// store::StoreError) with a clear text otherwise.
std::string RunInit(const InitOptions& options);

}  // namespace server
