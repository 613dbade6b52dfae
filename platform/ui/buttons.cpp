#include "platform/ui/buttons.h"

#include <nlohmann/json.hpp>

#include "platform/ui/form.h"

namespace platform {

void TButton::Click() {
  if (ModalResult != mrNone)
    if (TCustomForm* form = ParentForm()) form->SetModalResult(ModalResult);
  TControl::Click();
}

void TButton::DefaultKeyPress(char32_t& ch) {
  if (ch == U' ') {
    ch = 0;
    Click();
  }
}

void TButton::DefaultKeyDown(std::uint16_t& key, TShiftState shift) {
  if (key != VK_RETURN || !shift.Empty()) return;
  key = 0;
  Click();
}

bool TButton::WantsKey(std::uint16_t key, TShiftState shift) const {
  return key == VK_RETURN ? shift.Empty() : TControl::WantsKey(key, shift);
}

void TButton::WriteFields(nlohmann::json& out) const {
  TControl::WriteFields(out);
  out["caption"] = Caption();
}

void TFileButton::Click() {
  ++requests_;
  TButton::Click();
}

void TFileButton::WriteFields(nlohmann::json& out) const {
  TButton::WriteFields(out);
  out["chooseFile"] = {{"edit", FileEdit ? FileEdit->Name() : std::string()}, {"accept", Accept}, {"requests", requests_}};
}

void TSpeedButton::WriteFields(nlohmann::json& out) const {
  TControl::WriteFields(out);
  out["caption"] = Caption();
  out["flat"] = Flat;
}

void TCheckControl::DefaultKeyPress(char32_t& ch) {
  if (ch == U' ') {
    ch = 0;
    Click();
  }
}

void TCheckControl::WriteFields(nlohmann::json& out) const {
  TControl::WriteFields(out);
  out["caption"] = Caption();
  out["checked"] = checked_;
}

void TCheckBox::SetChecked(bool checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  TControl::Click();
}

void TCheckBox::Click() { SetChecked(!checked_); }

void TRadioButton::SetChecked(bool checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  if (checked && Parent())
    for (TControl* sibling : Parent()->Controls())
      if (auto* radio = dynamic_cast<TRadioButton*>(sibling); radio && radio != this)
        radio->checked_ = false;
  if (checked) TControl::Click();
}

void TRadioButton::Click() { SetChecked(true); }

}  // namespace platform
