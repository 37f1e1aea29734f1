// Every option of the table both programs read their options by: taken by
// the command that takes it, refused by the other, refused outside its
// range with the range in the message, listed in its command's --help,
// and completed by the shell's completion made from that help.
#include <cmath>

#include "../support/bmp_builder.h"
#include "cli_fixture.h"
#include "morvexa/option_table.h"

namespace morvexa {
namespace {

using testing_support::Cli;
using testing_support::Outcome;
using testing_support::ReadFile;
using testing_support::WriteFile;
using OptionTableTest = Cli;

// A value of the option's kind that it takes (a word: a file in folder).
std::vector<std::string> Sample(const OptionEntry& option, const std::filesystem::path& folder) {
  switch (option.kind) {
    case ValueKind::Flag: return {"--" + std::string(option.name)};
    case ValueKind::Whole:
    case ValueKind::Number: return {"--" + std::string(option.name) + "=" + std::to_string(std::lround(option.most))};
    case ValueKind::Ramp: return {"--" + std::string(option.name) + "=.#"};
    case ValueKind::Color: return {"--" + std::string(option.name) + "=#123456"};
    case ValueKind::Choice: return {"--" + std::string(option.name) + "=" + std::string(option.choices.back().word)};
    case ValueKind::Word:
    case ValueKind::Name: return {"--" + std::string(option.name) + "=" + (folder / "x").string()};
    case ValueKind::Pair: return {"--" + std::string(option.name), "x", "y"};
  }
  return {};
}

// A line of a message that says the command line itself is wrong: an
// option unknown, misplaced, or given a value it does not take.
bool SaysTheCommandLineIsWrong(const std::string& err, const OptionEntry& option) {
  const std::string named = "--" + std::string(option.name);
  return err.find("unknown option") != std::string::npos || err.find("is for the") != std::string::npos ||
         err.find(named + ": ") != std::string::npos || err.find("needs a value") != std::string::npos;
}

TEST_F(OptionTableTest, EveryOptionIsTakenCheckedListedAndCompleted) {
  WriteFile(dir_ / "p.bmp", testing_support::BmpBuilder(2, 2, {0, 1, 1, 0}, {0, 0xFFFFFF}).Build({40, 24}));
#ifdef MORVEXA_COMPLETION
  const std::string completion = ReadFile(MORVEXA_COMPLETION);
  ASSERT_FALSE(completion.empty()) << "the completion made from the help, at " << MORVEXA_COMPLETION;
#endif
  const std::string helpOf[] = {RunCli({"text", "--help"}).out, RunCli({"picture", "--help"}).out};
  int checked = 0;
  for (const OptionEntry& option : OptionTable()) {
    if ((option.takers & (kTextCommand | kPictureCommand)) == 0) continue;
    const std::string named = "--" + std::string(option.name);
    SCOPED_TRACE(named);
    ++checked;
    for (const bool ofText : {true, false}) {
      const unsigned taker = ofText ? kTextCommand : kPictureCommand;
      std::vector<std::string> args = {ofText ? "text" : "picture", ofText ? "编" : (dir_ / "p.bmp").string(), "-o",
                                       (dir_ / "art.txt").string()};
      const std::vector<std::string> sample = Sample(option, dir_);
      if (option.name == "help") args = {ofText ? "text" : "picture"};
      args.insert(args.end(), sample.begin(), sample.end());
      const Outcome run = RunCli(args);
      if ((option.takers & taker) != 0) {
        EXPECT_FALSE(SaysTheCommandLineIsWrong(run.err, option)) << run.err;
        EXPECT_NE(helpOf[ofText ? 0 : 1].find(named), std::string::npos) << "listed in the help";
      } else {
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(named + " is for the"), std::string::npos) << run.err;
      }
    }
    // Refused past either end of its range, with the range said.
    if (option.kind == ValueKind::Whole || option.kind == ValueKind::Number) {
      const bool whole = option.kind == ValueKind::Whole;
      std::vector<std::string> outside = {whole ? std::to_string(std::lround(option.most) + 1) : "1e9"};
      if (option.least > 0) outside.push_back(whole ? std::to_string(std::lround(option.least) - 1) : "0.001");
      for (const std::string& value : outside) {
        const bool ofText = (option.takers & kTextCommand) != 0;
        const Outcome run =
            RunCli({ofText ? "text" : "picture", ofText ? "编" : (dir_ / "p.bmp").string(), named + "=" + value});
        EXPECT_EQ(run.status, 2) << value;
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')),
                  "morvexa-cli: " + named + ": \"" + value + "\" is not " + AllowedValue(option));
      }
    }
#ifdef MORVEXA_COMPLETION
    EXPECT_NE(completion.find(named), std::string::npos) << "completed";
#endif
  }
  EXPECT_GT(checked, 30);
}

}  // namespace
}  // namespace morvexa
