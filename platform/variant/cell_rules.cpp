#include "platform/variant/cell_rules.h"

#include <string>

#include "platform/core/exceptions.h"

namespace platform::cells {

void RefuseExtraCell(std::size_t columns) {
  throw EPacketError("Linha com mais células que colunas (" + std::to_string(columns) + ")");
}

void RefuseKind(FieldType kind, const ColumnDef& column) {
  throw EPacketError("Valor " + std::string(FieldTypeName(kind)) + " na coluna " + column.name + " do tipo " +
                     FieldTypeName(column.type));
}

void RefuseInexactInteger(std::int64_t value, const ColumnDef& column) {
  throw EPacketError("Inteiro " + std::to_string(value) + " não cabe exato na coluna " + column.name +
                     " do tipo Float");
}

void RefuseIncompleteRow(std::size_t filled, std::size_t columns) {
  throw EPacketError("Linha com " + std::to_string(filled) + " células para " + std::to_string(columns) +
                     " colunas");
}

}  // namespace platform::cells
