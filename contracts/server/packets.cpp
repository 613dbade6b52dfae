#include "contracts/server/packets.h"

namespace contracts::server {

using platform::ColumnDef;
using platform::FieldType;

const std::vector<ColumnDef>& CustomerColumns() {
  static const std::vector<ColumnDef> columns{
      {"IDTPIJURCLIE", FieldType::String, 1},  {"NRINSJURCLIE", FieldType::String, 20},
      {"NMRAZSOCCLIE", FieldType::String, 50}, {"NMFANTCLIE", FieldType::String, 50},
      {"CDCLIENTE", FieldType::String, 21}};
  return columns;
}

const std::vector<ColumnDef>& PriceColumns() {
  static const std::vector<ColumnDef> columns{
      {"CDPRODUTO", FieldType::String, 10}, {"NMPRODUTO", FieldType::String, 50},
      {"CDARVPROD", FieldType::String, 20}, {"VRPRECOPROD", FieldType::Float, 0},
      {"DTVALINI", FieldType::DateTime, 0}, {"DTVALFIN", FieldType::DateTime, 0}};
  return columns;
}

const std::vector<ColumnDef>& FormulaColumns() {
  static const std::vector<ColumnDef> columns{
      {"CDFATPRECO", FieldType::String, 3},  {"CDCLIENTE", FieldType::String, 21},
      {"SGFATPRECO", FieldType::String, 4},  {"NRORDEMFAT", FieldType::String, 3},
      {"IDDETFATPRE", FieldType::String, 1}, {"VRFATPRECLIE", FieldType::Float, 0},
      {"IDTPOPERFATCLIE", FieldType::String, 3}};
  return columns;
}

const std::vector<ColumnDef>& CustomerListColumns() {
  static const std::vector<ColumnDef> columns{
      {"IDMARCADO", FieldType::String, 1},     {"CDCLIENTE", FieldType::String, 21},
      {"NRINSJURCLIE", FieldType::String, 20}, {"NMRAZSOCCLIE", FieldType::String, 50},
      {"IDTPIJURCLIE", FieldType::String, 1},  {"NMFANTCLIE", FieldType::String, 50}};
  return columns;
}

const std::vector<ColumnDef>& CostTypeColumns() {
  static const std::vector<ColumnDef> columns{{"NRTIPOCUSTO", FieldType::Integer, 0},
                                              {"NMTIPOCUSTO", FieldType::String, 40}};
  return columns;
}

}  // namespace contracts::server
