#pragma once
// The text of a CSV file as UTF-8, through the C library's iconv: UTF-8 (checked, a
// byte-order mark dropped) or Windows-1252, what spreadsheet programs save; chosen, or,
// automatically, UTF-8 when the bytes are valid UTF-8 and Windows-1252 otherwise.
#include <string>

#include "contracts/framework/planilha.h"

namespace framework::sheet {

// Raises Planilha::EPlanilha naming the line of the first byte that is not of the
// encoding.
std::string TextAsUtf8(std::string bytes, Planilha::TCodificacao encoding);

}  // namespace framework::sheet
