#include "platform/data/dataset.h"

#include <algorithm>

#include "platform/data/data_source.h"
#include "platform/data/field_names.h"
#include "platform/text/text_fold.h"
#include "platform/text/utf8.h"

namespace platform {
namespace {

bool FieldFitsColumn(FieldType field, FieldType column) {
  return field == column || (field == FieldType::Float && column == FieldType::Integer);
}

std::unique_ptr<TField> CreateFieldFor(const ColumnDef& column) {
  switch (column.type) {
    case FieldType::String: return std::make_unique<TStringField>(column.name, column.size);
    case FieldType::Float: return std::make_unique<TFloatField>(column.name);
    case FieldType::DateTime: return std::make_unique<TDateTimeField>(column.name);
    case FieldType::Integer: return std::make_unique<TIntegerField>(column.name);
    case FieldType::Boolean: return std::make_unique<TBooleanField>(column.name);
  }
  return std::make_unique<TStringField>(column.name, column.size);
}

bool IsNumberKind(Variant::Kind kind) {
  return kind == Variant::Kind::Double || kind == Variant::Kind::Integer || kind == Variant::Kind::DateTime;
}

double NumberOf(const Variant& v) {
  return v.kind() == Variant::Kind::DateTime ? v.asDateTime().value : v.asDouble();
}

}  // namespace

// The row DisplayTextAt reads, restored when the scope ends.
class TDataSet::ReadRowScope {
 public:
  ReadRowScope(const TDataSet& dataSet, int row) : dataSet_(dataSet), saved_(dataSet.readRow_) {
    dataSet_.readRow_ = row;
  }
  ~ReadRowScope() { dataSet_.readRow_ = saved_; }
  ReadRowScope(const ReadRowScope&) = delete;
  ReadRowScope& operator=(const ReadRowScope&) = delete;

 private:
  const TDataSet& dataSet_;
  int saved_;
};

TDataSet::TDataSet(TComponent* owner) : TComponent(owner) {}

TDataSet::~TDataSet() {
  // From here on every accessor sees a closed dataset and never reaches the storage
  // hooks of the (already destroyed) concrete dataset.
  state_ = dsInactive;
  const std::vector<TDataSource*> sources = dataSources_;
  dataSources_.clear();
  for (TDataSource* source : sources) {
    source->dataSet_ = nullptr;
    source->UpdateState(false);
  }
  for (TField* field : fields_) {
    field->dataSet_ = nullptr;
    field->column_ = -1;
  }
  fields_.clear();
  ownedFields_.clear();
}

void TDataSet::Fail(const std::string& message) const {
  throw EDatabaseError(Name().empty() ? message : Name() + ": " + message);
}

void TDataSet::CheckActive() const {
  if (!Active()) Fail("Operação não permitida com o dataset fechado");
}

void TDataSet::CheckCanModify() const {
  if (!CanModify()) Fail("O dataset é somente leitura e não pode ser modificado");
}

void TDataSet::Fire(const TDataSetNotifyEvent& handler) {
  if (!handler) return;
  const TDataSetNotifyEvent copy = handler;  // the handler may replace itself
  copy(*this);
}

void TDataSet::SetState(TDataSetState state) {
  if (state_ == state) return;
  state_ = state;
  ++stateSerial_;
  DataEvent(DataEventKind::UpdateState);
}

void TDataSet::DataEvent(DataEventKind kind, const DataEventInfo& info) {
  if (ControlsDisabled() && kind != DataEventKind::UpdateRecord && kind != DataEventKind::FocusControl) {
    if (kind == DataEventKind::LayoutChange) pendingLayout_ = true;
    return;
  }
  const std::vector<TDataSource*> sources = dataSources_;  // a handler may detach a source
  for (TDataSource* source : sources) {
    if (std::find(dataSources_.begin(), dataSources_.end(), source) == dataSources_.end()) continue;
    source->DataEvent(kind, info);
  }
}

void TDataSet::AttachDataSource(TDataSource* source) { dataSources_.push_back(source); }

void TDataSet::DetachDataSource(TDataSource* source) {
  dataSources_.erase(std::remove(dataSources_.begin(), dataSources_.end(), source), dataSources_.end());
}

// ------------------------------------------------------------------ open and close

void TDataSet::SetActive(bool active) {
  if (active)
    Open();
  else
    Close();
}

void TDataSet::Open() {
  if (Active()) return;
  OpenWith([this] { InternalOpen(); });
}

void TDataSet::OpenWith(const std::function<void()>& install) {
  Fire(BeforeOpen);
  install();
  layoutDirty_ = false;
  buffer_.clear();
  modified_ = false;
  cursor_ = InternalRecordCount() > 0 ? 0 : -1;
  bof_ = true;
  eof_ = cursor_ < 0;
  SetState(dsBrowse);
  Fire(AfterOpen);
  Fire(AfterScroll);
}

void TDataSet::Close() {
  if (!Active()) return;
  Fire(BeforeClose);
  DiscardEdit();
  SetState(dsInactive);
  InternalClose();
  cursor_ = -1;
  bof_ = eof_ = true;
  Fire(AfterClose);
}

void TDataSet::ReplaceContent(const std::function<void()>& install) {
  CheckActive();
  if (IsEditing()) Cancel();
  install();
  cursor_ = InternalRecordCount() > 0 ? 0 : -1;
  bof_ = true;
  eof_ = cursor_ < 0;
  modified_ = false;
  if (layoutDirty_) {
    layoutDirty_ = false;
    DataEvent(DataEventKind::LayoutChange);
  }
  DataEvent(DataEventKind::DataSetChange);
  Fire(AfterScroll);
}

void TDataSet::Resync(int row) {
  const int count = InternalRecordCount();
  cursor_ = count == 0 ? -1 : std::clamp(row, 0, count - 1);
  if (count == 0) bof_ = eof_ = true;
  DataEvent(DataEventKind::DataSetChange);
}

// ---------------------------------------------------------------------- navigation

int TDataSet::RecordCount() const { return Active() ? InternalRecordCount() : 0; }

int TDataSet::RecNo() const { return Active() && cursor_ >= 0 ? cursor_ + 1 : 0; }

void TDataSet::GoTo(int row, bool bof, bool eof) {
  const int count = InternalRecordCount();
  if (count == 0) {
    cursor_ = -1;
    bof_ = eof_ = true;
    return;
  }
  row = std::clamp(row, 0, count - 1);
  if (row == cursor_) {
    bof_ = bof;
    eof_ = eof;
    return;
  }
  Fire(BeforeScroll);
  const int now = InternalRecordCount();  // the handler may have changed the rows
  if (now == 0) {
    cursor_ = -1;
    bof_ = eof_ = true;
    return;
  }
  row = std::clamp(row, 0, now - 1);
  const int distance = row - cursor_;
  cursor_ = row;
  bof_ = bof;
  eof_ = eof;
  DataEvent(DataEventKind::DataSetScroll, DataEventInfo{nullptr, distance, nullptr});
  Fire(AfterScroll);
}

void TDataSet::First() {
  CheckActive();
  CheckBrowseMode();
  GoTo(0, true, false);
}

void TDataSet::Last() {
  CheckActive();
  CheckBrowseMode();
  GoTo(InternalRecordCount() - 1, false, true);
}

void TDataSet::Next() { MoveBy(1); }

void TDataSet::Prior() { MoveBy(-1); }

int TDataSet::MoveBy(int distance) {
  CheckActive();
  CheckBrowseMode();
  const int count = InternalRecordCount();
  if (count == 0) {
    GoTo(0, true, true);
    return 0;
  }
  const long long target = static_cast<long long>(cursor_) + distance;
  const bool pastStart = distance < 0 && target < 0;
  const bool pastEnd = distance > 0 && target > count - 1;
  const int row = static_cast<int>(std::clamp<long long>(target, 0, count - 1));
  const int from = cursor_;
  GoTo(row, pastStart, pastEnd);
  return cursor_ - from;
}

void TDataSet::SetRecNo(int recNo) {
  CheckActive();
  CheckBrowseMode();
  const int count = InternalRecordCount();
  if (recNo < 1 || recNo > count)
    Fail("Linha " + std::to_string(recNo) + " fora do intervalo 1.." + std::to_string(count));
  GoTo(recNo - 1, false, false);
}

// ------------------------------------------------------------------------- editing

void TDataSet::Edit() {
  CheckActive();
  if (IsEditing()) return;
  if (InternalRecordCount() == 0) {
    Insert();
    return;
  }
  CheckCanModify();
  Fire(BeforeEdit);
  const int columns = static_cast<int>(InternalColumns().size());
  std::vector<Variant> values;
  values.reserve(static_cast<std::size_t>(columns));
  for (int c = 0; c < columns; ++c) values.push_back(InternalGetValue(cursor_, c));
  buffer_ = std::move(values);
  modified_ = false;
  const std::uint64_t serial = stateSerial_ + 1;
  SetState(dsEdit);
  if (stateSerial_ != serial) return;  // a state handler ended the edit
  DataEvent(DataEventKind::RecordChange);
  if (stateSerial_ != serial) return;
  Fire(AfterEdit);
}

void TDataSet::Insert() { BeginInsert(false); }

void TDataSet::Append() { BeginInsert(true); }

void TDataSet::BeginInsert(bool append) {
  CheckActive();
  CheckBrowseMode();
  CheckCanModify();
  Fire(BeforeInsert);
  Fire(BeforeScroll);
  const int count = InternalRecordCount();
  const int row = append ? count : std::max(cursor_, 0);
  InternalInsertRow(row);
  insertOrigin_ = cursor_;
  originBof_ = bof_;
  originEof_ = eof_;
  cursor_ = row;
  bof_ = eof_ = false;
  buffer_.assign(InternalColumns().size(), Variant::Null());
  modified_ = false;
  const std::uint64_t serial = stateSerial_ + 1;
  SetState(dsInsert);
  if (stateSerial_ != serial) return;  // a state handler cancelled the insert
  try {
    Fire(OnNewRecord);
  } catch (...) {
    if (stateSerial_ == serial) {
      DiscardEdit();
      SetState(dsBrowse);
      DataEvent(DataEventKind::DataSetChange);
    }
    throw;
  }
  if (stateSerial_ != serial) return;
  modified_ = false;
  DataEvent(DataEventKind::DataSetChange);
  if (stateSerial_ != serial) return;
  Fire(AfterInsert);
  if (stateSerial_ != serial) return;
  Fire(AfterScroll);
}

void TDataSet::DiscardEdit() {
  if (state_ == dsInsert && cursor_ >= 0) {
    InternalCancelInsert(cursor_);
    const int count = InternalRecordCount();
    cursor_ = count == 0 ? -1 : std::clamp(insertOrigin_, 0, count - 1);
    bof_ = count == 0 ? true : originBof_;
    eof_ = count == 0 ? true : originEof_;
  }
  buffer_.clear();
  modified_ = false;
}

void TDataSet::UpdateRecord() {
  if (!IsEditing()) Fail("Dataset não está em modo de edição ou inserção");
  DataEvent(DataEventKind::UpdateRecord);
}

void TDataSet::Post() {
  if (!IsEditing()) return;
  const std::uint64_t serial = stateSerial_;
  UpdateRecord();
  if (stateSerial_ != serial) return;  // a link ended the edit itself
  DataEvent(DataEventKind::CheckBrowseMode);
  if (stateSerial_ != serial) return;
  Fire(BeforePost);
  if (stateSerial_ != serial) return;  // the handler posted or cancelled itself
  const TDataSetState editState = state_;
  const int editRow = cursor_;
  const bool editBof = bof_, editEof = eof_;
  std::vector<Variant> typed = buffer_;
  cursor_ = InternalPost(cursor_, std::move(buffer_));
  buffer_.clear();
  modified_ = false;
  bof_ = eof_ = false;
  SetState(dsBrowse);
  const std::uint64_t posted = stateSerial_;
  const int postedRow = cursor_;
  DataEvent(DataEventKind::DataSetChange);
  try {
    Fire(AfterPost);
  } catch (...) {
    // The row the handler could not save goes back to edit with what was typed, as if
    // the post had never happened, unless the handler already moved on from it.
    if (stateSerial_ == posted && cursor_ == postedRow && InternalUndoPost(postedRow, editRow)) {
      cursor_ = editRow;
      bof_ = editBof;
      eof_ = editEof;
      buffer_ = std::move(typed);
      modified_ = true;
      SetState(editState);
      if (IsEditing()) DataEvent(DataEventKind::DataSetChange);
    }
    throw;
  }
}

void TDataSet::Cancel() {
  if (!IsEditing()) return;
  const std::uint64_t serial = stateSerial_;
  DataEvent(DataEventKind::CheckBrowseMode);
  if (stateSerial_ != serial) return;
  Fire(BeforeCancel);
  if (stateSerial_ != serial) return;
  DiscardEdit();
  SetState(dsBrowse);
  DataEvent(DataEventKind::DataSetChange);
  Fire(AfterCancel);
}

void TDataSet::Delete() {
  CheckActive();
  if (state_ == dsInsert) {
    Cancel();
    return;
  }
  if (InternalRecordCount() == 0) Fail("Operação não permitida em um dataset vazio");
  CheckCanModify();
  const std::uint64_t serial = stateSerial_;
  const int row = cursor_;
  DataEvent(DataEventKind::CheckBrowseMode);
  Fire(BeforeDelete);
  Fire(BeforeScroll);
  // Never delete another row than the one asked for.
  if (stateSerial_ != serial || cursor_ != row)
    Fail("A exclusão foi interrompida: o registro atual mudou durante a operação");
  InternalDelete(row);
  buffer_.clear();
  modified_ = false;
  const int count = InternalRecordCount();
  cursor_ = count == 0 ? -1 : std::min(row, count - 1);
  bof_ = count == 0 || (row == 0 && bof_);
  eof_ = count == 0 || row >= count;
  SetState(dsBrowse);
  DataEvent(DataEventKind::DataSetChange);
  Fire(AfterDelete);
  Fire(AfterScroll);
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  if (!IsEditing()) return;
  UpdateRecord();
  if (!IsEditing()) return;
  if (modified_)
    Post();
  else
    Cancel();
}

// -------------------------------------------------------------------------- fields

TField* TDataSet::FindField(std::string_view name) const {
  for (TField* field : fields_)
    if (SameFieldName(field->FieldName(), name)) return field;
  return nullptr;
}

TField& TDataSet::FieldByName(std::string_view name) const {
  if (TField* field = FindField(name)) return *field;
  Fail("Campo '" + std::string(name) + "' não encontrado");
}

void TDataSet::AdoptField(std::unique_ptr<TField> field) {
  if (!field) Fail("Campo nulo");
  if (field->dataSet_) Fail("O campo '" + field->FieldName() + "' já pertence a um dataset");
  AddFieldPointer(field.get());
  field->ownedByDataSet_ = true;
  ownedFields_.push_back(std::move(field));
}

void TDataSet::AddFieldPointer(TField* field) {
  if (Active()) Fail("Campos não podem ser acrescentados a um dataset aberto");
  if (!field->createdForData_) {
    // Declaring a field replaces the fields created from the data.
    std::vector<TField*> created;
    for (TField* f : fields_)
      if (f->createdForData_) created.push_back(f);
    for (TField* f : created) {
      f->dataSet_ = nullptr;
      fields_.erase(std::find(fields_.begin(), fields_.end(), f));
      std::erase_if(ownedFields_, [f](const std::unique_ptr<TField>& p) { return p.get() == f; });
    }
  }
  if (!field->FieldName().empty() && FindField(field->FieldName()))
    Fail("Campo '" + field->FieldName() + "' já existe");
  fields_.push_back(field);
  field->dataSet_ = this;
}

void TDataSet::RemoveField(TField* field) {
  auto it = std::find(fields_.begin(), fields_.end(), field);
  if (it == fields_.end()) return;
  fields_.erase(it);
  field->dataSet_ = nullptr;
  field->column_ = -1;
  if (Active()) DataEvent(DataEventKind::LayoutChange);
}

void TDataSet::MoveField(TField* field, int index) {
  auto it = std::find(fields_.begin(), fields_.end(), field);
  if (it == fields_.end()) return;
  fields_.erase(it);
  index = std::clamp(index, 0, static_cast<int>(fields_.size()));
  fields_.insert(fields_.begin() + index, field);
  if (Active()) DataEvent(DataEventKind::LayoutChange);
}

TDataSet::FieldBinding TDataSet::PlanFieldBinding(const std::vector<ColumnDef>& columns) const {
  FieldBinding binding;
  bool declared = false;
  for (const TField* field : fields_) {
    if (field->createdForData_) continue;
    declared = true;
    const int column = FindColumn(columns, field->FieldName());
    if (column < 0) Fail("Campo '" + field->FieldName() + "' não existe nos dados recebidos");
    const FieldType columnType = columns[static_cast<std::size_t>(column)].type;
    if (!FieldFitsColumn(field->DataType(), columnType))
      Fail("Campo '" + field->FieldName() + "' do tipo " + FieldTypeName(field->DataType()) +
           " não corresponde à coluna do tipo " + FieldTypeName(columnType));
    binding.columns.push_back(column);
  }
  if (declared) return binding;
  binding.createFields = true;
  binding.defs = columns;
  bool same = !fields_.empty() && fields_.size() == columns.size();
  for (std::size_t i = 0; same && i < columns.size(); ++i) {
    const TField* f = fields_[i];
    same = f->FieldName() == columns[i].name && f->DataType() == columns[i].type && f->Size() == columns[i].size;
  }
  binding.keepCreatedFields = same;
  return binding;
}

void TDataSet::ApplyFieldBinding(const FieldBinding& binding) {
  if (!binding.createFields) {
    std::size_t next = 0;
    for (TField* field : fields_)
      if (!field->createdForData_) field->column_ = binding.columns[next++];
    return;
  }
  if (binding.keepCreatedFields) {
    for (std::size_t i = 0; i < fields_.size(); ++i) fields_[i]->column_ = static_cast<int>(i);
    return;
  }
  for (TField* field : fields_) field->dataSet_ = nullptr;
  fields_.clear();
  ownedFields_.clear();
  for (std::size_t i = 0; i < binding.defs.size(); ++i) {
    std::unique_ptr<TField> field = CreateFieldFor(binding.defs[i]);
    field->createdForData_ = true;
    field->ownedByDataSet_ = true;
    field->dataSet_ = this;
    field->column_ = static_cast<int>(i);
    fields_.push_back(field.get());
    ownedFields_.push_back(std::move(field));
  }
  layoutDirty_ = true;
}

int TDataSet::ReadRow() const { return readRow_ >= 0 ? readRow_ : cursor_; }

Variant TDataSet::GetFieldValue(const TField& field) const {
  CheckActive();
  if (field.column_ < 0) Fail("Campo '" + field.FieldName() + "' não está ligado aos dados");
  const int row = ReadRow();
  if (row < 0) return Variant::Null();
  if (IsEditing() && row == cursor_) return buffer_[static_cast<std::size_t>(field.column_)];
  return InternalGetValue(row, field.column_);
}

void TDataSet::SetFieldValue(TField& field, Variant value) {
  CheckActive();
  if (readRow_ >= 0) Fail("Valores não podem ser alterados durante a leitura de outra linha");
  if (!IsEditing()) Fail("Dataset não está em modo de edição ou inserção");
  if (field.ReadOnly()) throw EDatabaseError("O campo '" + field.DisplayLabel() + "' não pode ser modificado");
  if (field.column_ < 0) Fail("Campo '" + field.FieldName() + "' não está ligado aos dados");
  const auto column = static_cast<std::size_t>(field.column_);
  if (field.DataType() == FieldType::String && field.Size() > 0 && value.kind() == Variant::Kind::String) {
    const std::size_t length = utf8::Length(value.asString());
    if (length > static_cast<std::size_t>(field.Size()))
      throw EDatabaseError("O campo '" + field.DisplayLabel() + "' aceita no máximo " +
                           std::to_string(field.Size()) + " caracteres (texto com " + std::to_string(length) + ")");
  }
  if (InternalColumns()[column].type == FieldType::Integer && value.kind() == Variant::Kind::Double) {
    const double number = value.asDouble();
    if (number != static_cast<double>(static_cast<std::int64_t>(number)))
      throw EConvertError("'" + field.AsString() + "' não é um valor inteiro válido para o campo '" +
                          field.DisplayLabel() + "'");
    value = Variant(static_cast<std::int64_t>(number));
  }
  Variant previous = std::move(buffer_[column]);
  buffer_[column] = std::move(value);
  if (field.OnValidate) {
    try {
      const TField::TFieldNotifyEvent handler = field.OnValidate;
      handler(field);
    } catch (...) {
      if (IsEditing() && column < buffer_.size()) buffer_[column] = std::move(previous);
      throw;
    }
  }
  modified_ = true;
  DataEvent(DataEventKind::FieldChange, DataEventInfo{&field, 0, nullptr});
  if (field.OnChange) {
    const TField::TFieldNotifyEvent handler = field.OnChange;
    handler(field);
  }
}

// ----------------------------------------------------------------- random access

std::string TDataSet::DisplayTextAt(int recNo, const TField& field) const {
  CheckActive();
  if (field.DataSet() != this) Fail("O campo '" + field.FieldName() + "' não pertence a este dataset");
  if (recNo < 1 || recNo > InternalRecordCount())
    Fail("Linha " + std::to_string(recNo) + " fora do intervalo 1.." + std::to_string(InternalRecordCount()));
  ReadRowScope scope(*this, recNo - 1);
  return field.DisplayText();
}

std::string TDataSet::TextAt(int recNo, const TField& field) const {
  CheckActive();
  if (field.DataSet() != this) Fail("O campo '" + field.FieldName() + "' não pertence a este dataset");
  if (recNo < 1 || recNo > InternalRecordCount())
    Fail("Linha " + std::to_string(recNo) + " fora do intervalo 1.." + std::to_string(InternalRecordCount()));
  ReadRowScope scope(*this, recNo - 1);
  return field.Text();
}

Variant TDataSet::ValueAt(int recNo, const TField& field) const {
  CheckActive();
  if (field.DataSet() != this) Fail("O campo '" + field.FieldName() + "' não pertence a este dataset");
  if (recNo < 1 || recNo > InternalRecordCount())
    Fail("Linha " + std::to_string(recNo) + " fora do intervalo 1.." + std::to_string(InternalRecordCount()));
  ReadRowScope scope(*this, recNo - 1);
  return field.AsVariant();
}

// ------------------------------------------------------------------------- Locate

bool TDataSet::FieldMatches(const TField& field, int row, const Variant& wanted, TLocateOptions options) const {
  const Variant cell = InternalGetValue(row, field.column_);
  if (field.DataType() == FieldType::String) {
    if (wanted.isBlank()) return cell.isBlank();
    std::string text = cell.isBlank() ? std::string() : cell.asString();
    if (options & loCaseInsensitive) text = FoldForCompare(text);
    const std::string& key = wanted.asString();  // already folded when case-insensitive
    return (options & loPartialKey) ? std::string_view(text).starts_with(key) : text == key;
  }
  if (wanted.isBlank() || cell.isBlank()) return wanted.isBlank() && cell.isBlank();
  if (IsNumberKind(wanted.kind()) && IsNumberKind(cell.kind())) return NumberOf(wanted) == NumberOf(cell);
  return wanted == cell;
}

bool TDataSet::Locate(std::string_view fieldNames, const Variant& values, TLocateOptions options) {
  CheckActive();
  CheckBrowseMode();
  std::vector<const TField*> fields;
  for (const std::string& name : SplitFieldNames(fieldNames)) fields.push_back(&FieldByName(name));
  if (fields.empty()) Fail("Nenhum campo informado para a busca");
  std::vector<Variant> wanted;
  if (values.kind() == Variant::Kind::Array)
    wanted = values.asArray();
  else
    wanted.push_back(values);
  if (wanted.size() != fields.size())
    Fail("A busca recebeu " + std::to_string(wanted.size()) + " valores para " + std::to_string(fields.size()) +
         " campos");
  for (std::size_t i = 0; i < fields.size(); ++i) {
    wanted[i] = fields[i]->Coerce(wanted[i]);
    if (fields[i]->DataType() == FieldType::String && !wanted[i].isBlank() && (options & loCaseInsensitive))
      wanted[i] = Variant(FoldForCompare(wanted[i].asString()));
  }
  const int count = InternalRecordCount();
  for (int row = 0; row < count; ++row) {
    bool all = true;
    for (std::size_t i = 0; all && i < fields.size(); ++i) all = FieldMatches(*fields[i], row, wanted[i], options);
    if (all) {
      GoTo(row, false, false);
      return true;
    }
  }
  return false;
}

// ------------------------------------------------------------------------ controls

void TDataSet::DisableControls() {
  if (disableCount_++ == 0) {
    disableState_ = state_;
    pendingLayout_ = false;
  }
}

void TDataSet::EnableControls() {
  if (disableCount_ == 0) return;
  if (--disableCount_ > 0) return;
  if (state_ != disableState_) DataEvent(DataEventKind::UpdateState);
  if (pendingLayout_) {
    pendingLayout_ = false;
    DataEvent(DataEventKind::LayoutChange);
  }
  DataEvent(DataEventKind::DataSetChange);
}

}  // namespace platform
