#include "contracts/framework/norvexa.h"

#include "contracts/framework/adoibquery.h"
#include "contracts/framework/host_configuration.h"

namespace Norvexa {

std::string WebURL() { return framework::GetHostConfiguration().serverHost; }

int WebPort() { return framework::GetHostConfiguration().serverPort; }

std::string FiliProc() {
  const std::string& branch = framework::GetHostConfiguration().branch;
  if (!branch.empty()) return branch;
  const auto rows = Adoibquery::dtmDBGeral->Select("SELECT CDFILIAL FROM FILIAL ORDER BY CDFILIAL", {}, {});
  if (rows->rowCount() == 0)
    throw platform::Exception("Filial de processamento não definida: informe --branch ou cadastre uma filial.");
  return std::string(rows->stringAt(0, 0));
}

const Picture::TDBPicture& DBPictObj(Picture::TPictType type) { return Picture::PictureOf(type); }

}  // namespace Norvexa
