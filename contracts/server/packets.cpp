#include "contracts/server/packets.h"

#include <initializer_list>

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

const std::vector<ColumnDef>& PreviewColumns() {
  static const std::vector<ColumnDef> columns{
      {"IDBLOQUEIO", FieldType::String, 1},   {"CDCLIENTE", FieldType::String, 21},
      {"NMRAZSOCCLIE", FieldType::String, 50}, {"CDPRODUTO", FieldType::String, 10},
      {"CDARVPROD", FieldType::String, 20},   {"NMPRODUTO", FieldType::String, 50},
      {"VRPRECOANT", FieldType::Float, 0},    {"VRPRECONOV", FieldType::Float, 0},
      {"PCVARIACAO", FieldType::Float, 0}};
  return columns;
}

const std::vector<ColumnDef>& ImportLineColumns() {
  // The texts as long as the file has them (within reason): the server names what it
  // does not find.
  static const std::vector<ColumnDef> columns = [] {
    std::vector<ColumnDef> all{{"NRLINHA", FieldType::Integer, 0}};
    for (const char* text : {"CDCLIENTE", "NRINSJURCLIE", "CDARVPROD"}) all.push_back({text, FieldType::String, 100});
    all.push_back({"VRPRECOPROD", FieldType::Float, 0});
    for (const char* date : {"DTVALINI", "DTVALFIN"}) all.push_back({date, FieldType::DateTime, 0});
    return all;
  }();
  return columns;
}

const std::vector<ColumnDef>& ImportPreviewColumns() {
  static const std::vector<ColumnDef> columns = [] {
    std::vector<ColumnDef> all = PreviewColumns();
    all.insert(all.end(), {{"NRLINHA", FieldType::Integer, 0},
                           {"NMCOLUNA", FieldType::String, 40},
                           {"DSVALOR", FieldType::String, 100},
                           {"DSMOTIVO", FieldType::String, 200}});
    return all;
  }();
  return columns;
}

const std::vector<ColumnDef>& HistoryColumns() {
  static const std::vector<ColumnDef> columns{
      {"NRSEQHIST", FieldType::Integer, 0},   {"DTHRALT", FieldType::DateTime, 0},
      {"IDORIGALT", FieldType::String, 1},    {"NRLOTE", FieldType::Integer, 0},
      {"CDPRODUTO", FieldType::String, 10},   {"CDARVPROD", FieldType::String, 20},
      {"NMPRODUTO", FieldType::String, 50},   {"VRPRECOANT", FieldType::Float, 0},
      {"VRPRECONOV", FieldType::Float, 0},    {"DTVALINIANT", FieldType::DateTime, 0},
      {"DTVALFINANT", FieldType::DateTime, 0}, {"DTVALININOV", FieldType::DateTime, 0},
      {"DTVALFINNOV", FieldType::DateTime, 0}, {"CDUSUARIO", FieldType::String, 20}};
  return columns;
}

const std::vector<ColumnDef>& BatchColumns() {
  static const std::vector<ColumnDef> columns{
      {"NRLOTE", FieldType::Integer, 0},   {"IDORIGALT", FieldType::String, 1},
      {"CDCLIENTE", FieldType::String, 21}, {"DTHRALT", FieldType::DateTime, 0},
      {"QTPRECO", FieldType::Integer, 0},  {"NRLOTEDESF", FieldType::Integer, 0},
      {"QTCLIENTE", FieldType::Integer, 0}, {"NMCLIENTES", FieldType::String, 0},
      {"CDUSUARIO", FieldType::String, 20}};
  return columns;
}

namespace {

// The customer and the product of a listed price, before the columns of the list.
std::vector<ColumnDef> CustomerProductThen(std::initializer_list<ColumnDef> rest) {
  std::vector<ColumnDef> columns{{"CDCLIENTE", FieldType::String, 21}, {"NMRAZSOCCLIE", FieldType::String, 50},
                                 {"CDPRODUTO", FieldType::String, 10}, {"CDARVPROD", FieldType::String, 20},
                                 {"NMPRODUTO", FieldType::String, 50}};
  columns.insert(columns.end(), rest);
  return columns;
}

}  // namespace

const std::vector<ColumnDef>& KeptColumns() {
  static const std::vector<ColumnDef> columns =
      CustomerProductThen({{"VRPRECOLOTE", FieldType::Float, 0}, {"VRPRECOPROD", FieldType::Float, 0}});
  return columns;
}

const std::vector<ColumnDef>& ChangedSinceColumns() {
  static const std::vector<ColumnDef> columns =
      CustomerProductThen({{"CDUSUARIO", FieldType::String, 20}, {"DTHRALT", FieldType::DateTime, 0},
                           {"VRPRECOANT", FieldType::Float, 0}, {"VRPRECONOV", FieldType::Float, 0}});
  return columns;
}

const std::vector<ColumnDef>& CostTypeColumns() {
  static const std::vector<ColumnDef> columns{{"NRTIPOCUSTO", FieldType::Integer, 0},
                                              {"NMTIPOCUSTO", FieldType::String, 40}};
  return columns;
}

const std::vector<ColumnDef>& UserColumns() {
  static const std::vector<ColumnDef> columns{{"CDUSUARIO", FieldType::String, 20},
                                              {"NMUSUARIO", FieldType::String, 50},
                                              {"IDPAPEL", FieldType::String, 8},
                                              {"IDATIVO", FieldType::String, 1}};
  return columns;
}

}  // namespace contracts::server
