#pragma once
// The host's configuration as parsed from its command line (with environment-variable
// fallbacks), kept for the framework units that read it (application server address,
// branch, database of the read-only queries, report folder, web address).
#include <string>

namespace framework {

struct HostConfiguration {
  std::string serverHost = "127.0.0.1";
  int serverPort = 5151;
  std::string database;    // SQLite file or postgresql:// URL; empty: none given
  std::string branch;      // empty: the first branch of the database
  std::string reportsDir;  // report definitions, one folder per report code
  std::string webAddress;  // "ADDR:PORT" of the browser front end; empty: none
  int webPort = 0;
  std::string documentsDir;  // where produced documents (reports) are written and served from
};

void SetHostConfiguration(HostConfiguration configuration);
const HostConfiguration& GetHostConfiguration();

}  // namespace framework
