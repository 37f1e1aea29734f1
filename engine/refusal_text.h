#pragma once

#include <string_view>

#include "text_to_asc.h"

namespace morvexa {

// The fixed Chinese message (UTF-8) of a refused text conversion; empty for
// Done.
constexpr std::string_view RefusalText(TextToAscResult result) {
  switch (result) {
    case TextToAscResult::EmptyText: return "输入不能为空";
    case TextToAscResult::NotChinese: return "请输入汉字";
    case TextToAscResult::Done: break;
  }
  return {};
}

}  // namespace morvexa
