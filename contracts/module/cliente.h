#pragma once
// TCliente: the customer the price table screen has resolved, handed by value to the
// formula and copy screens, each of which keeps its own copy in its unit's Cliente.
// Three strings, in this order: the customer code (CDCLIENTE), the corporate name
// (NMRAZSOCCLIE) and the registration number, digits only (NRINSJURCLIE). Copying the
// record copies the strings.
#include <string>

namespace Pkg_VQR51200 {

struct TCliente {
  std::string CdCliente;
  std::string NmRazSocClie;
  std::string NrInsJurClie;

  // Empties the three strings (a unit's shut-down releases its record so).
  void Clear() {
    CdCliente.clear();
    NmRazSocClie.clear();
    NrInsJurClie.clear();
  }
  bool operator==(const TCliente&) const = default;
};

}  // namespace Pkg_VQR51200
