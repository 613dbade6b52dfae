#pragma once
// How every screen of the module shows a price: thousands separated, three decimals
// ("1.234,500"), as a field's display and edit format or through FormatFloat.
namespace Pkg_VQR51200 {

inline constexpr const char* kPriceFormat = "###,#0.000";

}  // namespace Pkg_VQR51200
