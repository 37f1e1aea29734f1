#pragma once

#include <string_view>

#include "morvexa/replace_char.h"
#include "morvexa/text_to_asc.h"

namespace morvexa {

// The icon a refusal is shown with.
enum class RefusalIcon { Information, Warning, Error };

// How a refusal is told: its fixed Chinese message, and the caption and
// icon of the window's message box (UTF-8).
struct Refusal {
  std::string_view text;
  std::string_view caption;
  RefusalIcon icon;
};

// Every refusal, in one table; for Done, an empty text.
constexpr Refusal RefusalOf(TextToAscResult result) {
  switch (result) {
    case TextToAscResult::EmptyText: return {"输入不能为空", "错误", RefusalIcon::Warning};
    case TextToAscResult::NotChinese: return {"请输入汉字", "汉字", RefusalIcon::Error};
    case TextToAscResult::Done: break;
  }
  return {};
}

constexpr Refusal RefusalOf(ReplaceResult result) {
  switch (result) {
    case ReplaceResult::NothingSelected: return {"请先选择需替换的字符", "提示", RefusalIcon::Information};
    case ReplaceResult::LengthMismatch: return {"字符长度必须相同", "长度", RefusalIcon::Warning};
    case ReplaceResult::Done: break;
  }
  return {};
}

}  // namespace morvexa
