#pragma once
// Pesquisa: the single-choice search list.
//
//   if (Pesquisa::Pesquisar(dtsPesqClie, "Cliente|Não há cliente cadastrado.", false, true)) ...
//
// Pesquisar(source, titles, autoChoose, showEmpty) lists the rows of the source's
// dataset in the modal window dlgPesquisa (kind "search": grid dbgPesquisa with one
// column per visible field, buttons btnOK and btnCancel), titled with the text before
// "|" of `titles`.
//   - No rows (or a closed dataset): with showEmpty, the text after "|" is shown in an
//     information box; returns false without opening the list.
//   - autoChoose and exactly one row: that row is chosen without opening the list.
//   - OK or Enter: returns true with the dataset on the chosen row.
//   - Cancel, Escape or the close box: returns false with the dataset back on the row
//     it was on.
// A row being edited is posted (or, untouched, cancelled) before the list opens.
// Typing in the list moves to the first row whose value in the selected column begins
// with what was typed (case and accents ignored).
#include <string>

namespace platform {
class TDataSource;
}

namespace Pesquisa {

bool Pesquisar(platform::TDataSource* source, const std::string& titles, bool autoChoose, bool showEmpty);

}  // namespace Pesquisa
