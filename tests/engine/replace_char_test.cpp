#include <gtest/gtest.h>

#include <algorithm>

#include "morvexa/memory_art_area.h"
#include "morvexa/memory_char_list.h"
#include "morvexa/replace_char.h"
#include "morvexa/text_to_asc.h"

namespace morvexa {
namespace {

using Entries = std::vector<ByteString>;

struct State {
  MemoryArtArea area;
  MemoryCharList list;
};

State Make(ByteStringView text, const Entries& entries, int selected) {
  State s{MemoryArtArea(text), {}};
  for (const auto& e : entries) s.list.Add(e);
  s.list.Select(selected);
  return s;
}

TEST(ReplaceChar, ReplacesBytesAndMovesTheSymbolInTheList) {
  struct Case {
    const char* name;
    ByteString art;
    Entries entries;
    int selected;
    ByteString newText;
    ByteString artAfter;
    Entries entriesAfter;
  };
  const Case cases[] = {
      {"dollar to hash", "$ $\r\n", {"$", " "}, 0, "#", "# #\r\n", {" ", "#"}},
      {"itself: art unchanged, moved to the end", "$ $\r\n", {"$", " "}, 0, "$", "$ $\r\n", {" ", "$"}},
      {"A to a: case matters in the art", "Aa\r\n", {"A"}, 0, "a", "aa\r\n", {"a"}},
      {"B to A beside a: A not listed", "AB\r\n", {"B", "a"}, 0, "A", "AA\r\n", {"a"}},
      {"symbol no longer in the art", "xx\r\n", {"$", "x"}, 0, "#", "xx\r\n", {"x", "#"}},
      {"trail bytes are bytes too", "\xB1\x40\r\n", {"@"}, 0, "#", "\xB1#\r\n", {"#"}},
      {"typed lines, empty lines, no final break", "a\r\n\r\nba", {"a"}, 0, "c", "c\r\n\r\nbc", {"c"}},
      {"a new CR LF makes more lines, all visited", "x\r$\r\nc$\r\n", {"$"}, 0, "\n", "x\r\n\r\nc\n\r\n", {"\n"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    State s = Make(c.art, c.entries, c.selected);
    EXPECT_EQ(ReplaceChar(s.list, c.newText, s.area), ReplaceResult::Done);
    EXPECT_EQ(s.area.Text(), c.artAfter);
    EXPECT_EQ(s.list.Entries(), c.entriesAfter);
    EXPECT_EQ(s.list.Selected(), -1);
  }
}

// Characters (two bytes, two columns) are found whole, a character at a
// time, and every replacement keeps each line's bytes and columns.
TEST(ReplaceChar, CharactersAreReplacedWholeAndKeepTheirColumns) {
  // 编 B1E0, 程 B3CC, 山 C9BD, 氨 B0B1, 北 B1B1, 丂 8140, the full-width
  // space A1A1.
  struct Case {
    const char* name;
    ByteString art;
    Entries entries;
    int selected;
    ByteString newText;
    ByteString artAfter;
    Entries entriesAfter;
  };
  const Case cases[] = {
      {"character by character",
       "\xB1\xE0\xB3\xCC\xB1\xE0\r\n\xB3\xCC\r\n",
       {"\xB1\xE0", "\xB3\xCC"},
       0,
       "\xC9\xBD",
       "\xC9\xBD\xB3\xCC\xC9\xBD\r\n\xB3\xCC\r\n",
       {"\xB3\xCC", "\xC9\xBD"}},
      {"bytes across two characters are neither",
       "\xB0\xB1\xB1\xE0\r\n",
       {"\xB1\xB1", "\xB1\xE0"},
       0,
       "\xC9\xBD",
       "\xB0\xB1\xB1\xE0\r\n",
       {"\xB1\xE0", "\xC9\xBD"}},
      {"after a lone byte, the character still found",
       "\xB1#\xB1\xE0\r\n",
       {"\xB1\xE0"},
       0,
       "\xC9\xBD",
       "\xB1#\xC9\xBD\r\n",
       {"\xC9\xBD"}},
      {"a character by a symbol twice",
       "\xB1\xE0\xA1\xA1\r\n\xA1\xA1\xB1\xE0\r\n",
       {"\xB1\xE0", "\xA1\xA1"},
       0,
       "#",
       "##\xA1\xA1\r\n\xA1\xA1##\r\n",
       {"\xA1\xA1", "#"}},
      {"a symbol by a character two at a time, a lone one kept",
       "##\xA1\xA1###\r\n#\r\n",
       {"\xA1\xA1", "#"},
       1,
       "\xC9\xBD",
       "\xC9\xBD\xA1\xA1\xC9\xBD#\r\n#\r\n",
       {"\xA1\xA1", "\xC9\xBD"}},
      {"a trail byte and the symbol after it are no pair",
       "\x81@@@\r\n",
       {"\xB1\xE0", "@"},
       1,
       "\xC9\xBD",
       "\x81@\xC9\xBD\r\n",
       {"\xB1\xE0", "\xC9\xBD"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    State s = Make(c.art, c.entries, c.selected);
    EXPECT_EQ(ReplaceChar(s.list, c.newText, s.area), ReplaceResult::Done);
    EXPECT_EQ(s.area.Text(), c.artAfter);
    EXPECT_EQ(s.list.Entries(), c.entriesAfter);
    EXPECT_EQ(s.area.Text().size(), c.art.size()) << "the same bytes, and so the same columns";
  }
}

TEST(ReplaceChar, RefusalsChangeNothing) {
  State none = Make("$ \r\n", {"$", " "}, -1);
  EXPECT_EQ(ReplaceChar(none.list, "#", none.area), ReplaceResult::NothingSelected);
  State empty = Make("$ \r\n", {"$", " "}, 1);
  EXPECT_EQ(ReplaceChar(empty.list, "", empty.area), ReplaceResult::LengthMismatch);
  State wide = Make("$ \r\n", {"$", " "}, 1);
  EXPECT_EQ(ReplaceChar(wide.list, "\xB1\xE0", wide.area), ReplaceResult::LengthMismatch);
  State two = Make("$ \r\n", {"$", " "}, 0);
  EXPECT_EQ(ReplaceChar(two.list, "#@", two.area), ReplaceResult::LengthMismatch);
  for (State* s : {&none, &empty, &wide, &two}) {
    EXPECT_EQ(s->area.Text(), "$ \r\n");
    EXPECT_EQ(s->list.Entries(), (Entries{"$", " "}));
  }
  EXPECT_EQ(empty.list.Selected(), 1);
  // A character takes a character or a one-byte symbol, nothing else.
  for (const ByteString& newText : {ByteString(), ByteString("#@"), ByteString("\xB1")}) {
    SCOPED_TRACE(newText);
    State character = Make("\xB1\xE0 \r\n", {"\xB1\xE0", " "}, 0);
    EXPECT_EQ(ReplaceChar(character.list, newText, character.area), ReplaceResult::LengthMismatch);
    EXPECT_EQ(character.area.Text(), "\xB1\xE0 \r\n");
    EXPECT_EQ(character.list.Entries(), (Entries{"\xB1\xE0", " "}));
  }
}

TEST(ReplaceChar, SecondPressFindsNothingSelected) {
  State s{MemoryArtArea(), {}};
  ASSERT_EQ(TextToAsc("\xB1\xE0\xB3\xCC", "$", " ", s.list, s.area), TextToAscResult::Done);
  const ByteString before = s.area.Text();
  s.list.Select(1);
  EXPECT_EQ(ReplaceChar(s.list, ".", s.area), ReplaceResult::Done);
  ByteString expected = before;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (expected[i] == ' ') expected[i] = '.';
  }
  EXPECT_EQ(s.area.Text(), expected);
  EXPECT_EQ(s.list.Entries(), (Entries{"$", "."}));
  EXPECT_EQ(ReplaceChar(s.list, ".", s.area), ReplaceResult::NothingSelected);
}

// Replacements made as the art passes give the art and the list that
// ReplaceChar gives on the whole art, refusals included.
TEST(ReplaceChar, ReplacementsAsTheArtPassesMatchThoseOnTheWholeArt) {
  const ByteString art = "$ $#\r\n\xB1$ .\r\n";
  struct Step {
    ByteString old, fresh;
  };
  const std::vector<std::vector<Step>> runs = {
      {{"$", "#"}},
      {{"$", "#"}, {"#", "."}},
      {{" ", "$"}, {"$", "x"}, {"x", "A"}},
      {{"$", "a"}, {"a", "A"}},
      {{"$", "##"}},
      {{"?", "#"}},
      {{"$", "#"}, {"$", "#"}},
  };
  for (const auto& run : runs) {
    SCOPED_TRACE(run.size());
    MemoryArtArea whole(art);
    MemoryCharList wholeList, passingList;
    for (const char* entry : {"$", " ", "#"}) wholeList.Add(entry), passingList.Add(entry);
    ByteReplacements passing;
    for (const Step& step : run) {
      const auto select = [&](MemoryCharList& list) {
        const auto& e = list.Entries();
        const auto found = std::find(e.begin(), e.end(), step.old);
        list.Select(found == e.end() ? -1 : static_cast<int>(found - e.begin()));
      };
      select(wholeList);
      select(passingList);
      const ReplaceResult expected = ReplaceChar(wholeList, step.fresh, whole);
      EXPECT_EQ(passing.Add(passingList, step.fresh), expected);
      if (expected != ReplaceResult::Done) break;
    }
    EXPECT_EQ(passingList.Entries(), wholeList.Entries());
    ASSERT_TRUE(passing.AsItPasses());
    MemoryArtArea passed;
    ReplacingSink sink(passed, passing);
    sink.WriteLine(0, "$ $#");
    sink.WriteLinePart("\xB1$", {});
    sink.WriteLinePart(" .", {});
    sink.EndLine(1);
    EXPECT_EQ(passed.Text(), whole.Text());
  }
  // A replacement that makes or takes a byte of a line break cannot be made
  // as the art passes.
  for (const ByteString fresh : {"\r", "\n"}) {
    MemoryCharList list;
    list.Add("$");
    list.Select(0);
    ByteReplacements replacements;
    ASSERT_EQ(replacements.Add(list, fresh), ReplaceResult::Done);
    EXPECT_FALSE(replacements.AsItPasses());
  }
  // Nor one of or by a character, which is replaced whole on the whole art;
  // the list changes as ReplaceChar changes it.
  const std::pair<ByteString, ByteString> characters[] = {
      {"\xB1\xE0", "\xC9\xBD"}, {"\xB1\xE0", "#"}, {"#", "\xC9\xBD"}};
  for (const auto& [old, fresh] : characters) {
    SCOPED_TRACE(fresh);
    MemoryArtArea whole("\xB1\xE0##\r\n");
    MemoryCharList wholeList, passingList;
    for (const char* entry : {"\xB1\xE0", "#"}) wholeList.Add(entry), passingList.Add(entry);
    const int selected = old == "#" ? 1 : 0;
    wholeList.Select(selected);
    passingList.Select(selected);
    ByteReplacements passing;
    ASSERT_EQ(passing.Add(passingList, fresh), ReplaceResult::Done);
    ASSERT_EQ(ReplaceChar(wholeList, fresh, whole), ReplaceResult::Done);
    EXPECT_FALSE(passing.AsItPasses());
    EXPECT_EQ(passingList.Entries(), wholeList.Entries());
  }
}

}  // namespace
}  // namespace morvexa
