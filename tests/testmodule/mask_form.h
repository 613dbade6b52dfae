#pragma once
namespace testmodule {
// Opens the masked-edit test form.
void ShowMaskForm();
}  // namespace testmodule
