#pragma once
// The present local time as text, in a strftime format ("%d/%m/%Y %H:%M").
#include <string>

namespace framework {

std::string FormatLocalNow(const char* format);

}  // namespace framework
