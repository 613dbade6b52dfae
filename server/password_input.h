#pragma once
// A password given on standard input, never on the command line (where any user of
// the machine could read it in the process list). From a terminal it is asked without
// echo (twice when it is a new one, which must match); from a pipe or file the first
// line is the password. Raises platform::Exception when none is given.
#include <istream>
#include <string>

namespace server {

enum class PasswordUse { Existing, New };

std::string ReadPassword(std::istream& in, bool fromTerminal, PasswordUse use);
// Whether standard input is a terminal.
bool StandardInputIsTerminal();

}  // namespace server
