#pragma once
// Adoibquery: read-only queries on the framework's shared database connection.
//
// dtmDBGeral is the one data module of that connection (created with the library):
//   dtbGeral  the database: DatabaseName, a SQLite file or a postgresql:// URL; empty
//             (the default) means the database of the host's configuration (--db).
//   adcGeral  the connection to it, opened on first use and again whenever the
//             database named changes. SQLite files are opened read-only
//             (SQLITE_OPEN_READONLY, query_only, an authorizer that allows reading
//             only) and PostgreSQL sessions run every statement in a READ ONLY
//             transaction, so the database refuses every write.
//   ibtGeral  the read-only transaction each query runs in.
//
// TADOIBQuery is a client dataset filled from its query, so data sources, grids and
// Locate work on it as on any dataset; it is read-only (Edit, Insert, Delete refused).
//   qry->SQL.Add("SELECT CDPRODUTO, CDARVPROD, NMPRODUTO FROM PRODUTO");
//   qry->SQL.Add("WHERE ((CDARVPROD = :P_CDARVPROD) OR (:P_TCDPRODUTO = 'T'))");
//   qry->ParamByName("P_CDARVPROD").SetAsString("101001");
//   qry->ParamByName("P_TCDPRODUTO").SetAsString("");
//   qry->Open();   // ... IsEmpty(), FieldByName("NMPRODUTO").AsString(), Close()
//
// Parameters (platform::TParams) are the ":NAME" references of the SQL outside literals
// and comments (names compare ignoring case); values set survive a change of the SQL
// text for the parameters that remain. Values are always bound, never pasted into the
// text, as text: texts as they are, numbers with ".", dates yyyy-mm-dd. A parameter
// used twice is bound twice. Opening while a parameter has no value (never set, or
// cleared) raises naming it. PostgreSQL receives the values untyped and infers each
// one's type from where it stands.
//
// Only one statement that reads is accepted (SELECT or WITH); anything else raises
// platform::EDatabaseError before it reaches the database, and the database would
// refuse a write anyway. Database errors raise EDatabaseError with the database's text.
//
// Fields declared before Open (TADOIBStringField and the other TField kinds) bind by
// name and set their columns' kinds; other columns get fields of the database's types.
// Open is TADOIBQuery's own: a query is opened through it, never through TDataSet.
#include <memory>
#include <string>
#include <vector>

#include "platform/data/client_dataset.h"
#include "platform/data/field.h"
#include "platform/data/params.h"
#include "platform/variant/data_packet.h"

namespace framework::sql {
class ReadOnlyBackend;
}

namespace Adoibquery {

// Lines of text, as a query's SQL.
class TStrings {
 public:
  void Add(const std::string& line) { lines_.push_back(line); }
  void Clear() { lines_.clear(); }
  int Count() const noexcept { return static_cast<int>(lines_.size()); }
  const std::string& operator[](int index) const { return lines_.at(static_cast<std::size_t>(index)); }
  // The lines joined by "\n".
  std::string Text() const;
  // Replaces the lines with those of `text` (split at "\n").
  void SetText(const std::string& text);

 private:
  std::vector<std::string> lines_;
};

// A string column of a query.
class TADOIBStringField : public platform::TStringField {
 public:
  explicit TADOIBStringField(std::string fieldName = {}, int size = 0)
      : platform::TStringField(std::move(fieldName), size) {}
};

class TDBDatabase : public platform::TComponent {
 public:
  using platform::TComponent::TComponent;
  std::string DatabaseName;
  // DatabaseName, or the host configuration's database when it is empty.
  std::string Target() const;
};

class TDBConnection : public platform::TComponent {
 public:
  explicit TDBConnection(platform::TComponent* owner);
  ~TDBConnection() override;
  // The database this connection is open on ("" when closed).
  const std::string& ConnectedTo() const noexcept { return target_; }
  bool Connected() const noexcept;
  // Opens on `target`; an open connection on another target is closed first. Raises
  // platform::EDatabaseError.
  void Open(const std::string& target);
  void Close() noexcept;
  framework::sql::ReadOnlyBackend& Backend();

 private:
  std::unique_ptr<framework::sql::ReadOnlyBackend> backend_;
  std::string target_;
};

class TDBTransaction : public platform::TComponent {
 public:
  using platform::TComponent::TComponent;
  bool InTransaction() const noexcept { return inTransaction_; }
  void StartTransaction(TDBConnection& connection);
  void Commit();
  void Rollback() noexcept;

 private:
  TDBConnection* connection_ = nullptr;
  bool inTransaction_ = false;
};

class TdtmDBGeral : public platform::TComponent {
 public:
  TdtmDBGeral();
  TDBDatabase* dtbGeral;
  TDBConnection* adcGeral;
  TDBTransaction* ibtGeral;

  // Runs one read-only statement with ":NAME" parameters, each occurrence bound to the
  // value of the parameter of that name, in a read-only transaction on the configured
  // database, connecting first when needed. Raises platform::EDatabaseError.
  std::shared_ptr<const platform::DataPacket> Select(const std::string& sql, const platform::TParams& params,
                                                     const std::vector<platform::ColumnDef>& hints);
};

extern TdtmDBGeral* const dtmDBGeral;

class TADOIBQuery : public platform::TClientDataSet {
 public:
  explicit TADOIBQuery(platform::TComponent* owner = nullptr);

  TStrings SQL;

  // The parameters of the current SQL text.
  platform::TParams& Params();
  // Raises platform::EDatabaseError when the SQL has no parameter of that name.
  platform::TParam& ParamByName(const std::string& name);
  platform::TParam* FindParam(const std::string& name);

  // Runs the query and opens the dataset on its rows (nothing when already open).
  void Open();
  void SetActive(bool active);

 protected:
  void InternalOpen() override;

 private:
  void syncParams();
  std::vector<platform::ColumnDef> declaredColumns() const;

  std::string parsedText_;
  platform::TParams params_;
};

}  // namespace Adoibquery
