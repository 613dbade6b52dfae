#include "framework/sheet/text_encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace framework::sheet {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

class Converter {
 public:
  Converter(const char* from) : cd_(iconv_open("UTF-8", from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw Planilha::EPlanilha(std::string("Codificação indisponível: ") + from + ".");
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `in` into `out` (when given); false with the offset of the first byte
  // that is not of the encoding.
  bool convert(const std::string& in, std::string* out, std::size_t& badOffset) {
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char buffer[64 * 1024];
    while (srcLeft > 0) {
      char* dst = buffer;
      std::size_t dstLeft = sizeof buffer;
      const std::size_t result = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      if (out) out->append(buffer, static_cast<std::size_t>(dst - buffer));
      if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
        badOffset = static_cast<std::size_t>(src - in.data());
        return false;
      }
    }
    return true;
  }

 private:
  iconv_t cd_;
};

std::size_t LineOf(const std::string& bytes, std::size_t offset) {
  return 1 + static_cast<std::size_t>(std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

}  // namespace

std::string TextAsUtf8(std::string bytes, Planilha::TCodificacao encoding) {
  const bool bom = bytes.compare(0, kBom.size(), kBom) == 0;
  if (bom) bytes.erase(0, kBom.size());
  std::size_t bad = 0;
  if (bom || encoding != Planilha::TCodificacao::cdWindows1252) {
    Converter utf8("UTF-8");
    if (utf8.convert(bytes, nullptr, bad)) return bytes;
    if (bom || encoding == Planilha::TCodificacao::cdUtf8)
      throw Planilha::EPlanilha("O arquivo não está em UTF-8: byte inválido na linha " +
                                std::to_string(LineOf(bytes, bad)) + ". Escolha a codificação Windows-1252.");
  }
  Converter windows("WINDOWS-1252");
  std::string text;
  text.reserve(bytes.size() + bytes.size() / 8);
  if (windows.convert(bytes, &text, bad)) return text;
  throw Planilha::EPlanilha("O arquivo não está em Windows-1252: byte inválido na linha " +
                            std::to_string(LineOf(bytes, bad)) + ".");
}

}  // namespace framework::sheet
