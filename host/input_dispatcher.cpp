#include "host/input_dispatcher.h"

#include <map>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/ui/application.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/db_controls.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/edit.h"
#include "platform/ui/form.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/menus.h"
#include "platform/ui/screen.h"
#include "platform/ui/user_input.h"

namespace host {

using namespace platform;
using nlohmann::json;

namespace {

[[noreturn]] void refuse(const std::string& why) { throw InputRefused(why); }

const json& field(const json& message, const char* name) {
  auto it = message.find(name);
  if (it == message.end()) refuse(std::string("Falta o campo \"") + name + "\" na mensagem.");
  return *it;
}

int intValue(const json& value, const char* name) {
  if (!value.is_number_integer()) refuse(std::string("O campo \"") + name + "\" deve ser um inteiro.");
  auto n = value.get<long long>();
  if (n < -1'000'000'000LL || n > 1'000'000'000LL)
    refuse(std::string("O campo \"") + name + "\" está fora dos limites.");
  return static_cast<int>(n);
}

int intField(const json& message, const char* name) { return intValue(field(message, name), name); }

bool flag(const json& message, const char* name) {
  auto it = message.find(name);
  if (it == message.end() || it->is_null()) return false;
  if (!it->is_boolean()) refuse(std::string("O campo \"") + name + "\" deve ser verdadeiro ou falso.");
  return it->get<bool>();
}

std::string textField(const json& message, const char* name) {
  const json& value = field(message, name);
  if (!value.is_string()) refuse(std::string("O campo \"") + name + "\" deve ser um texto.");
  return value.get<std::string>();
}

TCustomForm* windowNamed(const std::string& name) {
  TCustomForm* form = Screen().FindWindow(name);
  if (!form) refuse("Janela desconhecida: " + name + ".");
  return form;
}

// The target of a message: a control or a menu item of a shown window.
struct Target {
  TCustomForm* form = nullptr;
  TControl* control = nullptr;
  TMenuItem* item = nullptr;
};

Target resolve(const json& message) {
  std::string path = textField(message, "target");
  auto dot = path.find('.');
  Target t;
  if (dot == std::string::npos) {
    t.form = windowNamed(path);
    t.control = t.form;
  } else {
    t.form = windowNamed(path.substr(0, dot));
    std::string name = path.substr(dot + 1);
    TComponent* found = name.empty() ? nullptr : t.form->FindByName(name);
    t.control = dynamic_cast<TControl*>(found);
    t.item = dynamic_cast<TMenuItem*>(found);
    if (!t.control && !t.item) refuse("Controle desconhecido: " + path + ".");
    if (t.control && t.control->ParentForm() != t.form) refuse("Controle desconhecido: " + path + ".");
  }
  auto refusal = t.item ? InputRefusal(t.item, t.form) : InputRefusal(t.control);
  if (refusal) refuse(*refusal);
  return t;
}

TControl* controlTarget(const json& message) {
  Target t = resolve(message);
  if (!t.control || t.control == t.form) refuse("O alvo deve ser um controle: " + textField(message, "target") + ".");
  return t.control;
}

template <class T>
T* targetOfKind(const json& message, const char* kindName) {
  TControl* control = controlTarget(message);
  auto* typed = dynamic_cast<T*>(control);
  if (!typed) refuse("O controle " + control->Name() + " não é " + kindName + ".");
  return typed;
}

void onClick(const json& m) {
  Target t = resolve(m);
  if (t.item) return ClickMenuItem(t.item);
  if (t.control == t.form) refuse("Um clique precisa de um controle ou item de menu como alvo.");
  if (auto* navigator = dynamic_cast<TDBNavigator*>(t.control); navigator && m.contains("button")) {
    TNavigateBtn button;
    if (!m["button"].is_string() || !TDBNavigator::ButtonByName(m["button"].get<std::string>(), button))
      refuse("Botão de navegador desconhecido.");
    if (!navigator->ButtonEnabled(button)) refuse("O botão do navegador está desabilitado.");
    return navigator->BtnClick(button);
  }
  ClickControl(t.control);
}

void onFocus(const json& m) {
  TControl* control = controlTarget(m);
  if (!control->Focusable()) refuse("O controle " + control->Name() + " não recebe o foco.");
  FocusControlByUser(control);
}

std::optional<char32_t> keyChar(const json& m) {
  auto it = m.find("char");
  if (it == m.end() || it->is_null()) return std::nullopt;
  if (!it->is_string()) refuse("O campo \"char\" deve ser um texto ou null.");
  std::u32string chars = Utf8Decode(it->get<std::string>());
  if (chars.size() != 1) refuse("O campo \"char\" deve ter um único caractere.");
  char32_t c = chars[0] == U'\n' ? U'\r' : chars[0];
  return c;
}

void onKey(const json& m) {
  int vk = intField(m, "vk");
  if (vk < 0 || vk > 255) refuse("Código de tecla inválido: " + std::to_string(vk) + ".");
  TShiftState shift;
  if (flag(m, "shift")) shift.Include(ssShift);
  if (flag(m, "ctrl")) shift.Include(ssCtrl);
  if (flag(m, "alt")) shift.Include(ssAlt);
  auto ch = keyChar(m);
  if (!Screen().ActiveForm()) refuse("Nenhuma janela ativa para receber a tecla.");
  DispatchKey(static_cast<std::uint16_t>(vk), shift, ch);
}

void onType(const json& m) {
  std::string text = textField(m, "text");
  if (!Screen().ActiveForm()) refuse("Nenhuma janela ativa para receber o texto.");
  TypeText(text);
}

// An uploaded file kept by the edit that names it.
class TUploadHolder : public TComponent {
 public:
  TUploadHolder(TComponent* edit, std::shared_ptr<const UploadedFile> file) : TComponent(edit), file_(std::move(file)) {}

 private:
  std::shared_ptr<const UploadedFile> file_;
};

// A file chosen for an edit that names one: the edit's text becomes the file's path on
// the host's machine, and an upload it named before is let go.
TEdit& chooseFile(const json& m) {
  auto* edit = targetOfKind<TEdit>(m, "uma caixa de texto");
  const std::string path = textField(m, "path");
  if (path.empty()) refuse("O campo \"path\" deve trazer o caminho do arquivo.");
  for (TComponent* owned : std::vector<TComponent*>(edit->Components()))
    if (dynamic_cast<TUploadHolder*>(owned)) delete owned;
  edit->SetText(path);
  return *edit;
}

void onFile(const json& m) { chooseFile(m); }

void onSelect(const json& m) {
  auto* combo = targetOfKind<TComboBox>(m, "uma caixa de combinação");
  int index = intField(m, "index");
  if (index < 0 || index >= static_cast<int>(combo->Items.size()))
    refuse("Item inexistente na lista de " + combo->Name() + ": " + std::to_string(index) + ".");
  ChooseComboItem(combo, index);
}

TCustomForm* windowTarget(const json& m, const char* type) {
  Target t = resolve(m);
  if (t.control != t.form) refuse(std::string("O alvo de \"") + type + "\" deve ser uma janela.");
  return t.form;
}

void onClose(const json& m) { CloseWindow(windowTarget(m, "close")); }

void onBounds(const json& m) {
  TCustomForm* form = windowTarget(m, "bounds");
  const json& b = field(m, "bounds");
  if (!b.is_array() || b.size() != 4) refuse("O campo \"bounds\" deve ser [esquerda, topo, largura, altura].");
  const int left = intValue(b[0], "bounds");
  const int top = intValue(b[1], "bounds");
  const int width = intValue(b[2], "bounds");
  const int height = intValue(b[3], "bounds");
  if (width <= 0 || height <= 0 || width > 100000 || height > 100000) refuse("Tamanho de janela inválido.");
  if (auto why = WindowBoundsRefusal(form, width, height)) refuse(*why);
  SetWindowBoundsByUser(form, left, top, width, height);
}

void onWindowState(const json& m) {
  TCustomForm* form = windowTarget(m, "windowState");
  const std::string state = textField(m, "state");
  if (state != "maximized" && state != "normal")
    refuse("Estado de janela desconhecido: " + state + " (esperado maximized ou normal).");
  const TWindowState wanted = state == "maximized" ? wsMaximized : wsNormal;
  if (auto why = WindowStateRefusal(form, wanted)) refuse(*why);
  SetWindowStateByUser(form, wanted);
}

void onResize(const json& m) {
  int width = intField(m, "width");
  int height = intField(m, "height");
  if (width <= 0 || height <= 0 || width > 100000 || height > 100000)
    refuse("Tamanho de janela inválido.");
  Screen().SetSize(width, height);
}

void onCell(const json& m) {
  auto* grid = targetOfKind<TDBGrid>(m, "uma grade");
  int row = intField(m, "row");
  int col = intField(m, "col");
  if (auto why = grid->CellRefusal(row, col)) refuse(*why);
  grid->UserClickCell(row, col);
}

void onScroll(const json& m) {
  auto* grid = targetOfKind<TDBGrid>(m, "uma grade");
  int top = intField(m, "topRow");
  if (top < 0) refuse("Linha inválida: " + std::to_string(top) + ".");
  grid->UserScroll(top);
}

void onPick(const json& m) {
  auto* grid = targetOfKind<TDBGrid>(m, "uma grade");
  std::string item = textField(m, "item");
  if (auto why = grid->PickRefusal(item)) refuse(*why);
  grid->UserPick(item);
}

void onEditButton(const json& m) {
  auto* grid = targetOfKind<TDBGrid>(m, "uma grade");
  if (auto why = grid->EditButtonRefusal()) refuse(*why);
  grid->UserEditButton();
}

void onTitle(const json& m) {
  auto* grid = targetOfKind<TDBGrid>(m, "uma grade");
  int col = intField(m, "col");
  if (auto why = grid->TitleRefusal(col)) refuse(*why);
  grid->UserTitleClick(col);
}

void onColumnWidth(const json& m) {
  auto* grid = targetOfKind<TDBGrid>(m, "uma grade");
  int col = intField(m, "col");
  int width = intField(m, "width");
  if (auto why = grid->ColumnWidthRefusal(col, width)) refuse(*why);
  grid->UserColumnWidth(col, width);
}

void onMark(const json& m) {
  auto* grid = targetOfKind<TDBGrid>(m, "uma grade");
  int row = intField(m, "row");
  if (auto why = grid->MarkRefusal(row)) refuse(*why);
  grid->UserMark(row);
}

}  // namespace

void DispatchInput(const json& message) {
  static const std::map<std::string, void (*)(const json&)> handlers = {
      {"click", onClick}, {"focus", onFocus},   {"key", onKey},     {"type", onType},
      {"cell", onCell},   {"scroll", onScroll}, {"pick", onPick},   {"editbutton", onEditButton},
      {"select", onSelect}, {"mark", onMark},   {"close", onClose}, {"resize", onResize},
      {"bounds", onBounds}, {"windowState", onWindowState}, {"title", onTitle}, {"columnWidth", onColumnWidth}, {"file", onFile},
  };
  if (!message.is_object()) refuse("Mensagem malformada: esperado um objeto JSON.");
  auto type = message.find("type");
  if (type == message.end() || !type->is_string()) refuse("Mensagem sem o campo \"type\".");
  const std::string& kind = type->get_ref<const std::string&>();
  auto handler = handlers.find(kind);
  if (handler == handlers.end()) refuse("Tipo de mensagem desconhecido: " + kind + ".");
  // What the mouse does closes a menu held open from the keyboard, as on a desktop.
  if (kind != "key" && kind != "type" && kind != "resize") CloseOpenMenus();
  handler->second(message);
}

void DispatchUploadedFile(const std::string& target, std::shared_ptr<const UploadedFile> file) {
  CloseOpenMenus();
  TEdit& edit = chooseFile(json{{"type", "file"}, {"target", target}, {"path", file->path().string()}});
  new TUploadHolder(&edit, std::move(file));
}

}  // namespace host
