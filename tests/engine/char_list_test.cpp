#include <gtest/gtest.h>

#include "morvexa/memory_char_list.h"

namespace morvexa {
namespace {

TEST(CharList, AddAlwaysAppendsButAddIfAbsentIgnoresLetterCase) {
  MemoryCharList list;
  list.Add("A");
  list.AddIfAbsent("a");
  EXPECT_EQ(list.Entries(), (std::vector<ByteString>{"A"}));
  list.Add("a");
  list.Add("a");
  EXPECT_EQ(list.Entries(), (std::vector<ByteString>{"A", "a", "a"}));

  MemoryCharList lower;
  lower.Add("a");
  lower.AddIfAbsent("A");
  lower.AddIfAbsent("[");  // not a letter: no case folding beyond a-z
  lower.AddIfAbsent("{");
  EXPECT_EQ(lower.Entries(), (std::vector<ByteString>{"a", "[", "{"}));
}

TEST(CharList, MatchingNeedsEqualLengthAndFoldsOnlyAsciiLetters) {
  EXPECT_TRUE(SymbolsMatch("ab", "AB"));
  EXPECT_FALSE(SymbolsMatch("a", "aa"));
  EXPECT_FALSE(SymbolsMatch("@", "`"));
  EXPECT_FALSE(SymbolsMatch("\xE1", "\xC1"));  // bytes above ASCII are compared as they are
  EXPECT_TRUE(SymbolsMatch("", ""));
  // A character's trail byte is no letter: 乤 (81 61) is not 丄 (81 41).
  EXPECT_FALSE(SymbolsMatch("\x81\x61", "\x81\x41"));
  EXPECT_TRUE(SymbolsMatch("\x81\x61", "\x81\x61"));
  MemoryCharList list;
  for (const char* symbol : {"\x81\x61", "\x81\x41", "\x81\x61", "a", "A"}) list.AddIfAbsent(symbol);
  EXPECT_EQ(list.Entries(), (std::vector<ByteString>{"\x81\x61", "\x81\x41", "a"}));
}

TEST(CharList, DeleteMovesLaterEntriesUpAndClearsTheSelection) {
  MemoryCharList list;
  for (const char* s : {"$", " ", "#"}) list.Add(s);
  list.Select(2);
  EXPECT_EQ(list.Selected(), 2);
  list.Delete(0);
  EXPECT_EQ(list.Entries(), (std::vector<ByteString>{" ", "#"}));
  EXPECT_EQ(list.Selected(), -1);
  list.Select(0);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Selected(), -1);
  EXPECT_THROW(list.Delete(0), std::out_of_range);
  EXPECT_THROW(list.Select(0), std::out_of_range);
}

}  // namespace
}  // namespace morvexa
