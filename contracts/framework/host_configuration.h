#pragma once
// The host's configuration: set once by the host from its command line (with
// environment-variable fallbacks) before the module is loaded, read by the framework
// units that need it.
//
//   serverHost, serverPort   the application server (Norvexa::WebURL, WebPort): the
//                            first of `servers`
//   servers                  the application servers, in order, the connections
//                            go on with when the one in use stops answering
//                            (platform/net/server_list.h); nullptr: serverHost and
//                            serverPort alone
//   database                 SQLite file or postgresql:// URL of the read-only queries
//                            (Adoibquery's data module when it names no database);
//                            empty: none given
//   branch                   the processing branch (Norvexa::FiliProc); empty: the
//                            first branch of the database
//   reportsDir               the report definitions, one folder per report code
//                            (<reportsDir>/VQR512/*.json); empty: none given
//   documentsDir             where produced documents (reports) are written; the
//                            browser front end serves them from there
//   tlsAuthority             PEM file of the authority the application server's TLS
//                            certificate must come from; empty: plain TCP
//   signIn                   who the connections to the application server sign in as
//                            (platform/net/sign_in.h), shared by all of them; nullptr:
//                            they do not sign in
#include <memory>
#include <string>

namespace platform {
class TServerList;
class TSignIn;
}

namespace framework {

struct HostConfiguration {
  std::string serverHost = "127.0.0.1";
  int serverPort = 5151;
  std::shared_ptr<platform::TServerList> servers;
  std::string database;
  std::string branch;
  std::string reportsDir;
  std::string documentsDir;
  std::string tlsAuthority;
  std::shared_ptr<platform::TSignIn> signIn;
};

void SetHostConfiguration(HostConfiguration configuration);
const HostConfiguration& GetHostConfiguration();

}  // namespace framework
