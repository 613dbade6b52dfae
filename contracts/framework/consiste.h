#pragma once
// Consiste: the checks and text helpers every screen uses.
//
//   MensErro(text, abort)         error message box with OK; with abort true it then
//                                 raises the silent abort (platform::EAbort), so nothing
//                                 after the call runs: a BeforePost handler refuses the
//                                 post, a key or exit handler ends there.
//   CheckResultServ(r, raise, 0)  the data part of a remote method's result envelope
//                                 ([ok, message, data]). A failure raises
//                                 EServerRefusal with the server's text as it came (it
//                                 may be an "@" catalog key the screen translates); with
//                                 raise false a failure gives an Empty variant instead.
//                                 A value that is not an envelope always raises
//                                 EServerRefusal saying so. The third argument is the
//                                 help context of the error (0: none).
//   EmptyString(text)             true when the text, with every "/" removed, holds
//                                 only blanks. A masked edit nobody typed in reads as
//                                 blanks (its literals are not in its text, or are
//                                 "/" for dates), so it is empty too.
//   Ajusta(text, width)           the text (blanks around it trimmed) filled on the left
//                                 with '0' to `width` characters: "7" -> "007", so
//                                 order numbers sort as text. Longer texts come back
//                                 trimmed but never cut.
//   Ajusta_Inscricao(nr)          keeps only the digits of a registration number, in
//                                 place, and returns its person kind: "F" for 11 digits
//                                 (natural person), "J" for 14 (legal person), "" for any
//                                 other length.
//   PictPess(kind)                edit mask of that kind's registration number:
//                                 "J" 00.000.000/0000-00;0;_, "F" 000.000.000-00;0;_,
//                                 anything else "" (no mask: the number shows as stored).
//   DateMask()                    edit mask of date fields: !99/99/9999;1;_.
//   DateSetText(field, text)      stores the date the text names (dd/mm/yyyy) in the
//                                 field; a blank date text ("  /  /    ") clears it;
//                                 any other text raises EConvertError with a
//                                 Portuguese message and the field keeps its value.
//   GridText(grid, field, disp)   the text being typed in that field's cell: the cell
//                                 editor's text while the grid edits that field, else
//                                 the field's text (its display text when disp is true).
//   SetChildEnabled(c, enabled)   enables or disables every control inside the container
//                                 (all levels); the container keeps its own state.
#include <string>

#include "platform/core/exceptions.h"
#include "platform/variant/variant.h"

namespace platform {
class TField;
class TControl;
class TDBGrid;
}  // namespace platform

namespace Consiste {

// A remote call the server refused, or a result that is not a result envelope. The
// message is the server's text as it came.
class EServerRefusal : public platform::Exception {
 public:
  using platform::Exception::Exception;
};

void MensErro(const std::string& text, bool abort);

platform::Variant CheckResultServ(const platform::Variant& result, bool raiseOnFailure, int helpContext);

bool EmptyString(const std::string& text);

std::string Ajusta(const std::string& text, int width);

std::string Ajusta_Inscricao(std::string& registration);

std::string PictPess(const std::string& personKind);

std::string DateMask();

void DateSetText(platform::TField& field, const std::string& text);

std::string GridText(const platform::TDBGrid& grid, const std::string& fieldName, bool displayText);

void SetChildEnabled(platform::TControl& container, bool enabled);

}  // namespace Consiste
