#pragma once
namespace testmodule {
// Opens the grid test form over a client dataset of `rows` rows.
void ShowGridForm(int rows);
}  // namespace testmodule
