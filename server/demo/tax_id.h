#pragma once
// Brazilian registration numbers with their check digits: CNPJ (legal persons, 14
// digits: 8 of the company, 4 of the establishment, 2 check digits) and CPF (natural
// persons, 11 digits: 9 and 2 check digits). Texts hold digits only.
#include <string>
#include <string_view>

namespace server::demo {

// The two check digits of the first 12 (CNPJ) or 9 (CPF) digits.
std::string CnpjCheckDigits(std::string_view first12);
std::string CpfCheckDigits(std::string_view first9);

// True for 14 (11) digits whose check digits are right and that are not all the same
// digit (which passes the arithmetic but is not a valid number).
bool IsValidCnpj(std::string_view digits);
bool IsValidCpf(std::string_view digits);

}  // namespace server::demo
