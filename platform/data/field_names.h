#pragma once
// Field and column names as datasets compare them: ASCII case ignored, lists
// separated by ';' ("NRORDEMFAT", "CDCLIENTE;CDPRODUTO").
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant/data_packet.h"

namespace platform {

bool SameFieldName(std::string_view a, std::string_view b);
// The names of a ';'-separated list, blanks around each trimmed, empty ones dropped.
std::vector<std::string> SplitFieldNames(std::string_view names);
// Index of the column with that name; -1 when absent.
int FindColumn(const std::vector<ColumnDef>& columns, std::string_view name);

}  // namespace platform
