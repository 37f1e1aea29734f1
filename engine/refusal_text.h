#pragma once

#include <string_view>

#include "replace_char.h"
#include "text_to_asc.h"

namespace morvexa {

// The fixed Chinese messages (UTF-8) of the refusals; empty for Done.
constexpr std::string_view RefusalText(TextToAscResult result) {
  switch (result) {
    case TextToAscResult::EmptyText: return "输入不能为空";
    case TextToAscResult::NotChinese: return "请输入汉字";
    case TextToAscResult::Done: break;
  }
  return {};
}

constexpr std::string_view RefusalText(ReplaceResult result) {
  switch (result) {
    case ReplaceResult::NothingSelected: return "请先选择需替换的字符";
    case ReplaceResult::LengthMismatch: return "字符长度必须相同";
    case ReplaceResult::Done: break;
  }
  return {};
}

}  // namespace morvexa
