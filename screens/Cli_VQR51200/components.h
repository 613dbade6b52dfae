#pragma once
// The dataset components of a screen, created and named as the screen declares them:
//
//   cdsPrecoClie = NewDataSet(this, "cdsPrecoClie");
//   cdsPrecoClieVRPRECOPROD = NewField<platform::TFloatField>(cdsPrecoClie, "VRPRECOPROD", "Preço");
//   dtsPadrao = NewDataSource(this, "dtsPadrao", cdsPrecoClie);
//
// A field is named dataset + column (cdsPrecoClieVRPRECOPROD), owned by its dataset
// (which must still be closed) and labelled when a label is given; a string field
// takes its size.
#include <type_traits>

#include "platform/data/client_dataset.h"
#include "platform/data/data_source.h"
#include "platform/data/field.h"

namespace Cli_VQR51200 {

template <class Field>
Field* NewField(platform::TDataSet* dataSet, const char* fieldName, const char* label, int size = 0) {
  Field* field;
  if constexpr (std::is_base_of_v<platform::TStringField, Field>)
    field = &dataSet->AddField<Field>(fieldName, size);
  else
    field = &dataSet->AddField<Field>(fieldName);
  field->SetName(dataSet->Name() + fieldName);
  if (*label) field->SetDisplayLabel(label);
  return field;
}

inline platform::TClientDataSet* NewDataSet(platform::TComponent* owner, const char* name) {
  auto* dataSet = new platform::TClientDataSet(owner);
  dataSet->SetName(name);
  return dataSet;
}

inline platform::TDataSource* NewDataSource(platform::TComponent* owner, const char* name, platform::TDataSet* dataSet) {
  auto* source = new platform::TDataSource(owner);
  source->SetName(name);
  source->SetDataSet(dataSet);
  return source;
}

}  // namespace Cli_VQR51200
