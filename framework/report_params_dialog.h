#pragma once
// The dialog that asks the person for the report parameters still without value.
//
// Window dlgParametros, "Parâmetros do relatório", modal: one row per parameter, its
// prompt in the label lbl<NAME> and its entry by kind: the edit edt<NAME> for texts,
// lists (codes separated by ","), whole numbers and numbers, the date edit edt<NAME>
// for dates (showing today when the declaration says so), the check box chk<NAME> for flags (checked gives "T", unchecked ""); then
// btnOK "OK" (Enter) and btnCancel "Cancelar" (Escape, the close box).
//
// OK reads every entry: a whole number, a number (decimal comma) or a date that is
// empty or does not convert is refused with a message naming its prompt, the focus
// goes to it and the dialog stays; a text or list may be empty. Only when all pass are
// the values set into `params` and AskParameters returns true. Cancel sets nothing and
// returns false.
#include <vector>

#include "framework/report_definition.h"
#include "platform/data/params.h"

namespace framework::report {

bool AskParameters(const std::vector<const Parameter*>& missing, platform::TParams& params);

}  // namespace framework::report
