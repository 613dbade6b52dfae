#include "platform/data/client_dataset.h"

#include <utility>

#include "platform/data/field_names.h"
#include "platform/data/record_store.h"

namespace platform {
TClientDataSet::TClientDataSet(TComponent* owner) : TDataSet(owner) {}

TClientDataSet::~TClientDataSet() = default;

std::vector<int> TClientDataSet::KeyColumns(const std::vector<ColumnDef>& columns) const {
  std::vector<int> keys;
  for (const std::string& name : SplitFieldNames(indexFieldNames_)) {
    const int column = FindColumn(columns, name);
    if (column < 0) Fail("Campo '" + name + "' do índice não encontrado");
    keys.push_back(column);
  }
  return keys;
}

std::unique_ptr<RecordStore> TClientDataSet::BuildStore(std::shared_ptr<const DataPacket> packet) const {
  auto store = std::make_unique<RecordStore>(std::move(packet));
  store->setKey(KeyColumns(store->columns()));
  return store;
}

void TClientDataSet::SetData(const Variant& data) {
  if (data.kind() != Variant::Kind::Packet)
    Fail(std::string("Dados inválidos: esperado um pacote de dados, recebido ") + Variant::KindName(data.kind()));
  SetData(data.packetPtr());
}

void TClientDataSet::SetData(std::shared_ptr<const DataPacket> packet) {
  if (!packet) Fail("Pacote de dados ausente");
  if (packet->isDelta()) Fail("Um pacote de alterações não pode ser carregado como dados");
  const FieldBinding binding = PlanFieldBinding(packet->columns());
  std::unique_ptr<RecordStore> store = BuildStore(std::move(packet));
  auto install = [&] {
    store_ = std::move(store);
    ApplyFieldBinding(binding);
  };
  if (Active())
    ReplaceContent(install);
  else
    OpenWith(install);
}

std::shared_ptr<const DataPacket> TClientDataSet::DataPacketPtr() const {
  if (!store_) Fail("O dataset não tem dados");
  return store_->data();
}

Variant TClientDataSet::Data() const { return Variant(DataPacketPtr()); }

int TClientDataSet::ChangeCount() const { return store_ ? store_->changeCount() : 0; }

Variant TClientDataSet::Delta() const {
  if (!store_) return Variant(std::make_shared<const DataPacket>(DataPacket::Delta({})));
  return Variant(store_->delta());
}

void TClientDataSet::MergeChangeLog() {
  if (store_) store_->mergeChangeLog();
}

Variant TClientDataSet::OldValue(const TField& field) const {
  if (!store_ || !Active() || RecNo() == 0) Fail("O dataset não tem registro atual");
  return store_->originalValue(RecNo() - 1, field.ColumnIndex());
}

void TClientDataSet::CancelUpdates() {
  if (!store_) return;
  if (!Active()) {
    store_->cancelUpdates(-1);
    return;
  }
  if (IsEditing()) Cancel();
  const int row = store_->cancelUpdates(CursorRow());
  Resync(row);
}

void TClientDataSet::EmptyDataSet() {
  CheckActive();
  if (IsEditing()) Cancel();
  auto store = std::make_unique<RecordStore>(std::make_shared<const DataPacket>(store_->columns()));
  store->setKey(KeyColumns(store->columns()));
  store_ = std::move(store);
  Resync(-1);
}

void TClientDataSet::CreateDataSet() {
  if (Fields().empty()) Fail("Nenhum campo definido para criar o dataset");
  std::vector<ColumnDef> columns;
  for (const TField* field : Fields()) columns.push_back(ColumnDef{field->FieldName(), field->DataType(), field->Size()});
  SetData(std::make_shared<const DataPacket>(std::move(columns)));
}

void TClientDataSet::SetIndexFieldNames(std::string names) {
  if (!Active() || !store_) {
    indexFieldNames_ = std::move(names);
    return;
  }
  CheckBrowseMode();
  const std::string previous = std::exchange(indexFieldNames_, std::move(names));
  std::vector<int> keys;
  try {
    keys = KeyColumns(store_->columns());
  } catch (...) {
    indexFieldNames_ = previous;
    throw;
  }
  const int row = store_->setKey(std::move(keys), CursorRow());
  Resync(row);
}

void TClientDataSet::InternalOpen() {
  std::unique_ptr<RecordStore> created;
  const RecordStore* store = store_.get();
  if (!store) {
    if (Fields().empty()) Fail("O dataset não tem dados: carregue um pacote de dados");
    std::vector<ColumnDef> columns;
    for (const TField* field : Fields())
      columns.push_back(ColumnDef{field->FieldName(), field->DataType(), field->Size()});
    created = std::make_unique<RecordStore>(std::make_shared<const DataPacket>(std::move(columns)));
    store = created.get();
  }
  const FieldBinding binding = PlanFieldBinding(store->columns());
  const std::vector<int> keys = KeyColumns(store->columns());
  if (created) store_ = std::move(created);
  store_->setKey(keys);
  ApplyFieldBinding(binding);
}

const std::vector<ColumnDef>& TClientDataSet::InternalColumns() const { return store_->columns(); }

int TClientDataSet::InternalRecordCount() const { return store_ ? store_->rowCount() : 0; }

Variant TClientDataSet::InternalGetValue(int row, int column) const { return store_->value(row, column); }

void TClientDataSet::InternalInsertRow(int row) { store_->insertProvisional(row); }

void TClientDataSet::InternalCancelInsert(int row) { store_->dropProvisional(row); }

int TClientDataSet::InternalPost(int row, std::vector<Variant> values) { return store_->post(row, std::move(values)); }

bool TClientDataSet::InternalUndoPost(int row, int originalRow) { return store_->undoPost(row, originalRow); }

void TClientDataSet::InternalDelete(int row) { store_->remove(row); }

}  // namespace platform
