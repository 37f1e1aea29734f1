// Names in messages: tidied paths, quoted as GNU tools quote names when
// they hold what a terminal would act on or cannot show.
#include <gtest/gtest.h>

#include "morvexa/shown_path.h"

namespace morvexa {
namespace {

TEST(ShownNames, AreQuotedOnlyWhenTheyHoldControlCharactersOrBytesThatAreNotUtf8) {
  struct Case {
    std::string name, shown;
  };
  // As coreutils' ls --quoting-style=shell-escape shows them.
  const Case cases[] = {
      {"/home/u/a.bmp", "/home/u/a.bmp"},
      {"/home/u/图 片 (1).bmp", "/home/u/图 片 (1).bmp"},
      {"/home/u/it's.bmp", "/home/u/it's.bmp"},
      {"a\nb", "'a'$'\\n''b'"},
      {"\x1b[31mred", "''$'\\033''[31mred'"},
      {"tab\t", "'tab'$'\\t'"},
      {"caf\xe9.bmp", "'caf'$'\\351''.bmp'"},
      {"it's\n", "'it'\\''s'$'\\n'"},
      {"two\r\n", "'two'$'\\r\\n'"},
      {"del\x7f", "'del'$'\\177'"},
      {"c1\xc2\x85", "'c1'$'\\302\\205'"},               // NEL, a C1 control
      {"line\xe2\x80\xa8", "'line'$'\\342\\200\\250'"},  // U+2028
      {"\xed\xa0\x80", "''$'\\355\\240\\200'"},          // a surrogate is not UTF-8
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    EXPECT_EQ(QuotedName(c.name), c.shown);
  }
}

TEST(ShownNames, PathsAreAsGiven) {
  EXPECT_EQ(ShownPath("../x/./a.bmp"), "../x/./a.bmp");
  EXPECT_EQ(ShownPath("/x/dir/"), "/x/dir/");
  EXPECT_EQ(ShownPath("/x/a\nb"), "'/x/a'$'\\n''b'");
}

}  // namespace
}  // namespace morvexa
