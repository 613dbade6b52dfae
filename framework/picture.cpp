#include "contracts/framework/picture.h"

#include "platform/text/edit_mask.h"

namespace Picture {

namespace {

// The product code: three levels of 1, 2 and 3 digits.
constexpr const char* kProductPicture = "0.00.000";

}  // namespace

TDBPicture::TDBPicture(std::string picture, std::string description)
    : picture_(std::move(picture)), description_(std::move(description)) {
  int digits = 0;
  bool inRun = false;
  for (char c : picture_) {
    if (c == '0') {
      ++digits;
      inRun = true;
      continue;
    }
    if (c == ';' || c == '\\' || (c >= '0' && c <= '9') || !inRun)
      throw EPictureError("Máscara de código inválida: \"" + picture_ + "\"");
    levelEnds_.push_back(digits);
    inRun = false;
  }
  if (!inRun) throw EPictureError("Máscara de código inválida: \"" + picture_ + "\"");
  levelEnds_.push_back(digits);
}

// Digits of the first level required, of the deeper levels optional: a group's code
// fits the mask as a product's does.
std::string TDBPicture::EditMask() const {
  std::string mask = picture_;
  for (std::size_t i = static_cast<std::size_t>(levelEnds_.front()); i < mask.size(); ++i)
    if (mask[i] == '0') mask[i] = '9';
  return mask + ";0;_";
}

int TDBPicture::CodeLength(int level) const {
  if (level < 1 || level > GetTtNiveis())
    throw EPictureError("Nível " + std::to_string(level) + " inexistente na máscara \"" + picture_ + "\"");
  return levelEnds_[static_cast<std::size_t>(level - 1)];
}

int TDBPicture::LevelOfCode(std::string_view code) const noexcept {
  for (std::size_t i = 0; i < levelEnds_.size(); ++i)
    if (static_cast<std::size_t>(levelEnds_[i]) == code.size()) return static_cast<int>(i) + 1;
  return 0;
}

bool TDBPicture::IsSeparator(char c) const noexcept { return c != '0' && picture_.find(c) != std::string::npos; }

std::string TDBPicture::FormatCode(std::string_view code) const {
  const int level = LevelOfCode(code);
  if (level == 0) return std::string(code);
  // Only the levels the code has: "101" shows as "1.01".
  std::size_t used = 0;
  int digits = 0;
  while (used < picture_.size() && digits < levelEnds_[static_cast<std::size_t>(level - 1)]) {
    if (picture_[used] == '0') ++digits;
    ++used;
  }
  return platform::FormatMaskText(picture_.substr(0, used) + ";0;_", code);
}

const TDBPicture& PictureOf(TPictType type) {
  static const TDBPicture product(kProductPicture, "Código do produto");
  switch (type) {
    case ptProduto:
      return product;
  }
  throw EPictureError("Tipo de máscara desconhecido: " + std::to_string(static_cast<int>(type)));
}

}  // namespace Picture
