#pragma once
// A report definition as read from its JSON file (reports/README.md describes the
// format). ReadDefinition checks everything it can before any database is involved:
// unknown keys, missing or empty values, names that are not plain SQL names, SQL that
// is not one reading statement, SQL parameters the definition does not declare, totals
// of columns that do not exist. It raises Qrddlgs::EReportError naming the file and the
// fault.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace framework::report {

// How a value is shown: as text, a number with its FormatFloat format, a whole number,
// a date dd/mm/yyyy, a product code in the product picture, a registration number in
// the mask of its person kind (Consiste::PictPess of the kind column).
enum class ValueKind { Text, Number, Integer, Date, ProductCode, Registration };
enum class Alignment { Left, Center, Right };

// A column of the rows, or a field of a group's header.
struct Field {
  std::string column;  // the query's column
  std::string title;
  int width = 10;  // in characters; the PDF shares its page width in these proportions
  ValueKind kind = ValueKind::Text;
  std::string format;      // Number: the FormatFloat format
  std::string kindColumn;  // Registration: the column holding the person kind
  Alignment align = Alignment::Left;
};

enum class ParamKind { Text, Integer, Number, Date, Flag, List };

// Where the keys of a list parameter must exist (a table's column), and what one key
// is called in messages ("cliente").
struct ListKeys {
  std::string table;
  std::string column;
  std::string item;
};

// Where a text parameter's value is expected to exist (a table's column): the filter
// summary marks a value that does not, "(não cadastrado)".
struct KnownValues {
  std::string table;
  std::string column;
};

struct Parameter {
  std::string name;
  ParamKind kind = ParamKind::Text;
  std::string prompt;
  std::string summary;                  // its label in the filter summary; "" = not shown
  ValueKind display = ValueKind::Text;  // how the summary shows the value
  std::optional<ListKeys> keys;         // List only
  std::string allFlag;                  // List only: the flag whose "T" means every key
  std::optional<KnownValues> known;     // Text only
  bool todayByDefault = false;          // Date only: the parameter dialog offers today
  std::optional<int> min, max;          // Integer only: the values a run accepts
};

enum class TotalFunction { Count, Sum };

struct Total {
  std::string column;  // one of the columns
  TotalFunction function = TotalFunction::Count;
  std::string title;
};

struct Group {
  std::string by;             // the column whose change starts a new section
  std::vector<Field> header;  // shown at the head of each section
};

struct Definition {
  std::filesystem::path file;
  std::string title;
  std::vector<Parameter> parameters;
  std::string sqlite;      // the query on SQLite; "" when not given
  std::string postgresql;  // the query on PostgreSQL; "" when not given
  std::optional<Group> group;
  std::vector<Field> columns;
  std::vector<Total> totals;

  // The query for the database `target` (a SQLite file or a postgresql:// URL).
  // Raises EReportError when the definition has none for that database.
  const std::string& SqlFor(const std::string& target) const;
  const Parameter* FindParameter(const std::string& name) const;
  // The field of that column among the columns and the group header; nullptr if none.
  const Field* FindField(const std::string& column) const;
};

Definition ReadDefinition(const std::filesystem::path& file);

// The definition files (*.json) of a report code's folder, by file name; empty when
// the folder does not exist or holds none.
std::vector<std::filesystem::path> DefinitionFiles(const std::filesystem::path& folder);

}  // namespace framework::report
