#pragma once
// The components of a screen, created and named as the screen declares them:
//
//   edtCliente = NewControl<platform::TEdit>(this, ScrollBox1, "edtCliente", 80, 7, 256, 21);
//   Label2 = NewBoldLabel(this, ScrollBox1, "Label2", "Cliente", 8, 11, 44);
//   grbValidade = NewBoldGroup(this, grbDadosRel, "grbValidade", "Validade", 139, 100, 209, 81);
//   cdsPrecoClie = NewDataSet(this, "cdsPrecoClie");
//   cdsPrecoClieVRPRECOPROD = NewField<platform::TFloatField>(cdsPrecoClie, "VRPRECOPROD", "Preço");
//   dtsPadrao = NewDataSource(this, "dtsPadrao", cdsPrecoClie);
//   dbgPrevia = NewReadOnlyGrid(this, grbDadosRel, "dbgPrevia", 8, 46, 620, 330, dtsPrevia);
//   AddColumn(*dbgPrevia, "NMPRODUTO", 150);
//
// A field is named dataset + column (cdsPrecoClieVRPRECOPROD), owned by its dataset
// (which must still be closed) and labelled when a label is given; a string field
// takes its size. A control is owned by the screen, placed on its parent at the bounds
// given; a bold label is 13 high.
#include <initializer_list>
#include <type_traits>

#include "contracts/framework/adoibquery.h"
#include "platform/data/client_dataset.h"
#include "platform/data/data_source.h"
#include "platform/data/field.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/form.h"
#include "platform/ui/std_controls.h"

namespace Pkg_VQR51200 {

// Where a control stands on its parent.
struct TBounds {
  int left = 0, top = 0, width = 0, height = 0;
};

using platform::NewControl;

// A modal screen's name, caption, client area and screen code (shown by `lblCodTela`).
inline void IdentifyScreen(platform::TForm& screen, platform::TLabel& lblCodTela, const char* name,
                           const char* caption, const char* code, int clientWidth, int clientHeight) {
  screen.SetName(name);
  screen.SetCaption(caption);
  screen.SetClientWidth(clientWidth);
  screen.SetClientHeight(clientHeight);
  lblCodTela.SetCaption(code);
}

inline platform::TLabel* NewBoldLabel(platform::TComponent* owner, platform::TControl* parent, const char* name,
                                      const char* caption, int left, int top, int width) {
  auto* label = NewControl<platform::TLabel>(owner, parent, name, left, top, width, 13);
  label->SetCaption(caption);
  label->Font().Bold = true;
  return label;
}

inline platform::TGroupBox* NewBoldGroup(platform::TComponent* owner, platform::TControl* parent, const char* name,
                                         const char* caption, int left, int top, int width, int height) {
  auto* group = NewControl<platform::TGroupBox>(owner, parent, name, left, top, width, height);
  group->SetCaption(caption);
  group->Font().Bold = true;
  return group;
}

// A grid that shows whole rows of `source` and edits nothing.
inline platform::TDBGrid* NewReadOnlyGrid(platform::TComponent* owner, platform::TControl* parent, const char* name,
                                          int left, int top, int width, int height, platform::TDataSource* source) {
  auto* grid = NewControl<platform::TDBGrid>(owner, parent, name, left, top, width, height);
  grid->Options = {platform::dgTitles,    platform::dgColLines,           platform::dgRowLines,
                   platform::dgRowSelect, platform::dgAlwaysShowSelection, platform::dgColumnResize};
  grid->ReadOnly = true;
  grid->SetDataSource(source);
  return grid;
}

// A grid column of the field, `width` wide (0: the field's display width).
inline platform::TColumn& AddColumn(platform::TDBGrid& grid, const char* fieldName, int width) {
  platform::TColumn& column = grid.Columns.Add();
  column.FieldName = fieldName;
  column.Width = width;
  return column;
}

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

// A read-only query of the framework's shared connection with the lines of its statement.
inline Adoibquery::TADOIBQuery* NewQuery(platform::TComponent* owner, const char* name,
                                        std::initializer_list<const char*> statement) {
  auto* query = new Adoibquery::TADOIBQuery(owner);
  query->SetName(name);
  for (const char* line : statement) query->SQL.Add(line);
  return query;
}

inline platform::TDataSource* NewDataSource(platform::TComponent* owner, const char* name, platform::TDataSet* dataSet) {
  auto* source = new platform::TDataSource(owner);
  source->SetName(name);
  source->SetDataSet(dataSet);
  return source;
}

}  // namespace Pkg_VQR51200
