#include "platform/ui/snapshot.h"

#include "platform/ui/application.h"
#include "platform/ui/form.h"
#include "platform/ui/screen.h"

namespace platform {

std::string ControlPath(const TControl* control) {
  if (!control) return {};
  TCustomForm* form = control->ParentForm();
  if (!form || form == control) return control->Name();
  return form->Name() + "." + control->Name();
}

nlohmann::json SnapshotState() {
  nlohmann::json state;
  state["cursor"] = Screen().Cursor();
  if (auto kind = Application().WaitKind())
    state["wait"] = {{"kind", *kind}};
  else
    state["wait"] = nullptr;
  TCustomForm* active = Screen().ActiveForm();
  state["activeForm"] = active ? nlohmann::json(active->Name()) : nlohmann::json(nullptr);
  TControl* focused = Screen().ActiveControl();
  state["focus"] = focused ? nlohmann::json(ControlPath(focused)) : nlohmann::json(nullptr);
  nlohmann::json windows = nlohmann::json::array();
  for (TCustomForm* form : Screen().ZOrder()) {
    nlohmann::json w;
    form->WriteSnapshot(w);
    if (!w.contains("controls")) w["controls"] = nlohmann::json::array();
    windows.push_back(std::move(w));
  }
  state["windows"] = std::move(windows);
  nlohmann::json documents = nlohmann::json::array();
  for (const TDocumentEntry& d : Application().Documents())
    documents.push_back({{"title", d.title}, {"url", d.url}, {"path", d.path}});
  state["documents"] = std::move(documents);
  return state;
}

}  // namespace platform
