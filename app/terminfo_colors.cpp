// The terminfo header defines macros named after every capability
// ("columns", "lines", ...), so it is seen by this file alone.
#include <curses.h>
#include <term.h>
#include <unistd.h>

namespace morvexa::cli {

int TerminfoColors() {
  int error = 0;
  if (setupterm(nullptr, STDOUT_FILENO, &error) != OK) return 0;
  const int colors = tigetnum("colors");
  del_curterm(cur_term);
  return colors > 0 ? colors : 0;
}

}  // namespace morvexa::cli
