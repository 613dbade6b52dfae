#pragma once
// Comparison of Portuguese texts that ignores letter case and accents: "JOÃO" and
// "joao" are the same name to a person searching a list.
//
// Folding maps every ASCII and Latin-1 letter to its lower-case base letter
// (Á À Â Ã Ä -> a, É Ê È Ë -> e, Í Ì Î Ï -> i, Ó Ò Ô Õ Ö -> o, Ú Ù Û Ü -> u,
// Ç -> c, Ñ -> n, Ý ÿ -> y); every other code point is kept as it is. Texts are UTF-8.
#include <string>
#include <string_view>

namespace platform {

// The folded form of a text, for comparing or indexing.
std::string FoldForCompare(std::string_view text);

// Whether two texts are equal once folded.
bool SameTextFolded(std::string_view a, std::string_view b);

// Whether `text` begins with `prefix`, both folded.
bool StartsWithFolded(std::string_view text, std::string_view prefix);

// Three-way comparison of the folded texts (byte order of the folded forms).
int CompareTextFolded(std::string_view a, std::string_view b);

// CompareTextFolded in the shape of a database collation callback (two texts given as
// length and bytes; the context is not used), so every database orders names alike.
int CompareFoldedCollation(void* context, int lengthA, const void* a, int lengthB, const void* b);

}  // namespace platform
