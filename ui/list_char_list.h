#pragma once

#include "morvexa/char_list.h"

class QListWidget;

namespace morvexa {

// The symbol list shown in the window's list box, one entry a row, with the
// user's selection. Each row keeps its entry's bytes; the space shows as a
// lighter "␣".
class ListCharList final : public CharList {
 public:
  explicit ListCharList(QListWidget* list) : list_(list) {}

  void Clear() override;
  void Add(ByteStringView s) override;
  void Delete(int i) override;
  int Selected() const override;
  int Count() const override;
  ByteString Get(int i) const override;

 private:
  QListWidget* list_;  // owned by the window
};

}  // namespace morvexa
