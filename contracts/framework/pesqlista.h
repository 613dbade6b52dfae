#pragma once
// Pesqlista: the multiple-choice search list.
//
//   Pesqlista::PesquisaLista(dtsPesqClie, "CDCLIENTE", msgPadrao->Msg("Cliente"), false, stListaClie);
//
// PesquisaLista(source, keyField, title, requireMark, list) lists the rows of the
// source's dataset in the modal window dlgPesquisaLista (kind "search": grid
// dbgPesquisa, buttons btnOK, btnCancel, btnMarcarTodos and btnDesmarcarTodos, and the
// label lblMarcados, "Marcados: 2 de 10.000"). The dataset's first field is the mark
// ("S" marked, "N" not); the grid shows the other visible fields beside its own mark
// column. A row starts marked when its key (the field keyField) is in `list` or its
// mark is already "S". A row's mark is toggled by Space on it and by the front end's
// "mark" input (the grid's mark hook); the marked rows in view appear in the grid's
// snapshot as "marked", their number as "markedCount". The mark field takes the marks
// chosen when the person chooses (OK or Enter), never before, so a large list marks,
// marks all and cancels at the speed of a small one.
//
// The list is encoded as the application server and the reports take it
// (contracts/server/customer_list.h): the keys of the marked rows, in the dataset's
// order, joined by "," with no spaces; "" is no list.
//   OK or Enter: `list` becomes the marked rows' keys (empty when none; with
//     requireMark, OK with nothing marked is refused with a message and the list
//     stays open); returns true. A key that is empty or holds "," cannot be encoded and
//     raises contracts::server::ECustomerList.
//   Cancel, Escape or the close box: `list` and every mark are left as they were;
//     returns false.
//   No rows: an information box says so; `list` is unchanged; returns false.
#include <string>
#include <vector>

#include "platform/core/exceptions.h"

namespace platform {
class TDataSource;
}

namespace Pesqlista {

bool PesquisaLista(platform::TDataSource* source, const std::string& keyField, const std::string& title,
                   bool requireMark, std::string& list);

}  // namespace Pesqlista
