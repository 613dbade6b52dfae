#pragma once
// How every screen of the module shows a price: thousands separated, three decimals
// ("1.234,500"), as a field's display and edit format or through FormatFloat; and a
// count, thousands separated ("1.234").
#include <cstdint>
#include <string>

#include "platform/text/float_format.h"

namespace Pkg_VQR51200 {

inline constexpr const char* kPriceFormat = "###,#0.000";

inline std::string CountText(std::int64_t count) { return platform::FormatFloat("#,##0", static_cast<double>(count)); }

}  // namespace Pkg_VQR51200
