#pragma once

namespace morvexa {

// Shows the busy cursor over the program for as long as it lives: a
// command that may take more than a moment holds one while it works.
class BusyCursor {
 public:
  BusyCursor();
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace morvexa
