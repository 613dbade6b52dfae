#include "platform/ui/mask_edit.h"

#include <nlohmann/json.hpp>

#include "platform/core/exceptions.h"

namespace platform {

TCustomMaskEdit::TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}

void TCustomMaskEdit::SetEditMask(const std::string& mask) {
  if (mask == mask_) return;
  std::string text = Text();
  mask_ = mask;
  if (mask.empty()) {
    model_.reset();
    chars_ = Utf8Decode(text);
    selStart_ = selLength_ = 0;
    return;
  }
  model_ = std::make_unique<MaskedText>(platform::EditMask(mask));
  model_->SetText(text);
  syncFromModel();
}

void TCustomMaskEdit::syncFromModel() {
  chars_ = Utf8Decode(model_->EditText());
  selStart_ = static_cast<int>(model_->SelStart());
  selLength_ = static_cast<int>(model_->SelLength());
}

std::string TCustomMaskEdit::Text() const { return model_ ? model_->Text() : TCustomEdit::Text(); }

std::string TCustomMaskEdit::EditText() const {
  return model_ ? model_->EditText() : TCustomEdit::Text();
}

void TCustomMaskEdit::SetText(const std::string& text) {
  if (!model_) return TCustomEdit::SetText(text);
  std::string before = model_->EditText();
  model_->SetText(text);
  syncFromModel();
  if (model_->EditText() != before) Changed();
}

bool TCustomMaskEdit::IsBlank() const { return model_ ? model_->IsBlank() : chars_.empty(); }

void TCustomMaskEdit::ValidateEdit() const {
  if (!model_ || model_->IsBlank() || model_->IsComplete()) return;
  throw Exception("Valor incompleto para a máscara: preencha o campo ou apague-o.");
}

void TCustomMaskEdit::SetSelection(int start, int length) {
  if (!model_) return TCustomEdit::SetSelection(start, length);
  int size = static_cast<int>(model_->size());
  start = std::clamp(start, 0, size);
  length = std::clamp(length, 0, size - start);
  if (length > 0)
    model_->Select(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
  else
    model_->SetCursor(static_cast<std::size_t>(start));
  syncFromModel();
}

void TCustomMaskEdit::DoEnter() {
  SelectAll();
  TControl::DoEnter();
}

void TCustomMaskEdit::DoExit() {
  ValidateEdit();
  TControl::DoExit();
}

bool TCustomMaskEdit::InsertChar(char32_t ch) {
  if (!model_) return TCustomEdit::InsertChar(ch);
  std::string before = model_->EditText();
  bool typed = model_->TypeChar(ch);
  syncFromModel();
  return typed && model_->EditText() != before;
}

bool TCustomMaskEdit::DeleteBackward() {
  if (!model_) return TCustomEdit::DeleteBackward();
  std::string before = model_->EditText();
  model_->Backspace();
  syncFromModel();
  return model_->EditText() != before;
}

bool TCustomMaskEdit::DeleteForward() {
  if (!model_) return TCustomEdit::DeleteForward();
  std::string before = model_->EditText();
  model_->Delete();
  syncFromModel();
  return model_->EditText() != before;
}

void TCustomMaskEdit::WriteFields(nlohmann::json& out) const {
  TCustomEdit::WriteFields(out);
  out["editMask"] = mask_;
  out["editText"] = EditText();
}

}  // namespace platform
