#pragma once
// A read-only statement with ":NAME" parameters made ready for a backend: one bound
// value per reference (a parameter used twice is bound twice), and the text with the
// backend's numbered placeholders. Values are always bound, never pasted into the
// text: texts as they are, numbers with ".", dates yyyy-mm-dd.
#include <string>
#include <vector>

#include "framework/readonly_backend.h"
#include "platform/data/params.h"

namespace framework::sql {

// The values of the statement's references, in order. Raises platform::EDatabaseError
// when the text is not one statement that reads (CheckReadOnlyStatement) or when a
// referenced parameter is missing or has no value, naming it.
std::vector<Param> BoundValues(const std::string& sql, const platform::TParams& params);

// The text with every ":NAME" reference replaced by the backend's placeholder.
std::string NumberedText(const std::string& sql, const ReadOnlyBackend& backend);

}  // namespace framework::sql
