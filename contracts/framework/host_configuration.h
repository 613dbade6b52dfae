#pragma once
// The host's configuration: set once by the host from its command line (with
// environment-variable fallbacks) before the module is loaded, read by the framework
// units that need it.
//
//   serverHost, serverPort   the application server (Norvexa::WebURL, WebPort)
//   database                 SQLite file or postgresql:// URL of the read-only queries
//                            (Adoibquery's data module when it names no database);
//                            empty: none given
//   branch                   the processing branch (Norvexa::FiliProc); empty: the
//                            first branch of the database
//   reportsDir               the report definitions, one folder per report code
//                            (<reportsDir>/VQR512/*.json); empty: none given
//   documentsDir             where produced documents (reports) are written; the
//                            browser front end serves them from there
#include <string>

namespace framework {

struct HostConfiguration {
  std::string serverHost = "127.0.0.1";
  int serverPort = 5151;
  std::string database;
  std::string branch;
  std::string reportsDir;
  std::string documentsDir;
};

void SetHostConfiguration(HostConfiguration configuration);
const HostConfiguration& GetHostConfiguration();

}  // namespace framework
