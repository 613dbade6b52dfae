#include "contracts/framework/tabvalid.h"

#include <optional>

#include "platform/data/data_source.h"
#include "platform/data/dataset.h"

namespace Tabvalid {

namespace {

std::string LevelLengths(const Picture::TDBPicture& picture) {
  std::string text;
  const int levels = picture.GetTtNiveis();
  for (int level = 1; level <= levels; ++level) {
    if (level > 1) text += level == levels ? " ou " : ", ";
    text += std::to_string(picture.CodeLength(level));
  }
  return text;
}

// The code without blanks around it and without the picture's separators; nullopt
// when something else than digits remains.
std::optional<std::string> Normalised(const Picture::TDBPicture& picture, const std::string& code) {
  std::size_t begin = code.find_first_not_of(' ');
  std::size_t end = code.find_last_not_of(' ');
  if (begin == std::string::npos) return std::string();
  std::string digits;
  for (std::size_t i = begin; i <= end; ++i) {
    const char c = code[i];
    if (c >= '0' && c <= '9')
      digits += c;
    else if (!picture.IsSeparator(c))
      return std::nullopt;
  }
  return digits;
}

// What is wrong with the code, or an empty text when it is good.
std::string Problem(platform::TDataSource* source, const Picture::TDBPicture& picture, const std::string& given,
                    const std::optional<std::string>& code, TValidOptions options, const std::string& fieldName) {
  const std::string quoted = "\"" + given + "\"";
  const std::string what = picture.Description();
  if (!code) return what + " " + quoted + " inválido: use somente dígitos (" + picture.PictureText() + ").";
  if (code->empty())
    return (options & voEmptyAllowed) ? std::string() : what + " deve ser informado.";
  const int level = picture.LevelOfCode(*code);
  if (level == 0)
    return what + " " + quoted + " inválido: deve ter " + LevelLengths(picture) + " dígitos (" +
           picture.PictureText() + ").";
  if ((options & voLastLevel) && level != picture.GetTtNiveis())
    return what + " " + quoted + " inválido: informe um código do último nível (" +
           std::to_string(picture.CodeLength(picture.GetTtNiveis())) + " dígitos).";
  if (source) {
    platform::TDataSet* dataSet = source->DataSet();
    const std::string field = fieldName.empty() ? "CDARVPROD" : fieldName;
    if (!dataSet || !dataSet->Active() || !dataSet->Locate(field, platform::Variant(*code)))
      return what + " " + quoted + " não cadastrado.";
  }
  return {};
}

}  // namespace

bool ValidEx(platform::TDataSource* source, Picture::TPictType type, std::string& code, TValidOptions options,
             const std::string& fieldName, bool raiseOnError) {
  const Picture::TDBPicture& picture = Picture::PictureOf(type);
  const std::optional<std::string> normalised = Normalised(picture, code);
  const std::string problem = Problem(source, picture, code, normalised, options, fieldName);
  if (!problem.empty()) {
    if (raiseOnError) throw EInvalidCode(problem);
    return false;
  }
  code = *normalised;
  return true;
}

}  // namespace Tabvalid
