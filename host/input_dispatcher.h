#pragma once
// Applies one input message of the UI protocol (ui-protocol.md) to the live screen.
//
// Targets are "window.control" paths: the window is the shown window of that name
// nearest the top, the control or menu item is looked up by name anywhere inside it.
// Every check runs before anything happens: an input that cannot be applied (malformed
// message, unknown type or target, disabled or hidden control, window behind a modal
// one, a value out of range) raises InputRefused and changes nothing. Exceptions from
// the program's handlers go out unchanged (the input loop shows them).
//
// Beyond ui-protocol.md: a click on a dbnavigator may name the button
// ({"type":"click","target":"frm.dbnPadrao","button":"next"}); buttons are first,
// prior, next, last, insert, delete, edit, post, cancel, refresh.
#include <memory>
#include <stdexcept>
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "host/uploaded_file.h"

namespace host {

class InputRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

void DispatchInput(const nlohmann::json& message);

// The `file` input for a file the front end uploaded: the edit at `target` names it and
// keeps it until the edit goes away or names another file.
void DispatchUploadedFile(const std::string& target, std::shared_ptr<const UploadedFile> file);

}  // namespace host
