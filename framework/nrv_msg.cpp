#include "contracts/framework/nrv_msg.h"

#include "contracts/framework/consiste.h"

namespace Nrv_msg {

void TMessages::Add(const std::string& key, const std::string& text) { Lines.push_back(key + "|" + text); }

std::string TMessages::Msg(const std::string& key) const {
  for (const std::string& line : Lines) {
    const std::size_t bar = line.find('|');
    if (bar != std::string::npos && line.compare(0, bar, key) == 0 && bar == key.size()) return line.substr(bar + 1);
  }
  return key;
}

int TMessages::ShowMsg(const std::string& key, platform::TMsgDlgType type, platform::TMsgDlgButtons buttons,
                       int helpContext) const {
  return platform::MessageDlg(Msg(key), type, buttons, helpContext);
}

void TMessages::ReportError(const std::string& key) const {
  Consiste::MensErro(Msg(key), true);
  platform::Abort();  // MensErro with abort never returns; this keeps the promise
}

std::string TMessages::ServerText(const std::string& text) const {
  return text.find('@') == std::string::npos ? text : Msg(text);
}

}  // namespace Nrv_msg
