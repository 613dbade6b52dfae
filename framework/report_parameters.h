#pragma once
// A report run's parameters, from the definition's declarations to the values bound:
//
//   DeclaredParams     one parameter per declaration, of the declared kind, no value
//   MissingParams      the declarations whose parameter is still without value (a
//                      blank text counts as none for whole numbers, numbers and dates)
//   NormaliseParams    every value in the form its kind binds: whole numbers and
//                      numbers as numbers, dates as dates, texts as texts, a flag "T"
//                      or "", a list as its keys joined by "," (trimmed, empty and
//                      repeated keys dropped). A value its kind refuses, or a whole
//                      number outside its declared range, raises
//                      Qrddlgs::EReportError naming the parameter.
//   RangeFault         why a whole number is outside its declaration's range, or "".
//   CheckListKeys      every key of each list exists in the column its declaration
//                      names, read through the shared read-only connection with the
//                      keys bound; skipped for a list whose all-flag is "T". Raises
//                      EReportError naming the keys that do not exist.
//   FilterSummary      the summary line of the filter: "Label: value" for each
//                      parameter with a summary label and a value, joined by "; ".
#include <cstdint>
#include <string>
#include <vector>

#include "framework/report_definition.h"
#include "platform/data/params.h"

namespace framework::report {

platform::TParams DeclaredParams(const Definition& definition);
std::vector<const Parameter*> MissingParams(const Definition& definition, const platform::TParams& params);
void NormaliseParams(const Definition& definition, platform::TParams& params);
std::string RangeFault(const Parameter& param, std::int64_t value);
void CheckListKeys(const Definition& definition, const platform::TParams& params);
std::string FilterSummary(const Definition& definition, const platform::TParams& params);

}  // namespace framework::report
