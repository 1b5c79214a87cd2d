// tonvert-cli as a user meets it: each case of cli_cases.txt (see its head)
// runs the program in a fresh folder holding a copy of tests/cli/data.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace tonvert {
namespace {

// One line of bash in the folder, the program as $TONVERT; its exit status.
int Shell(const test::TempDir& dir, const std::string& line) {
  std::string quoted;
  for (char c : line) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return test::RunCommand("cd '" + dir.path() + "' && TONVERT='" TONVERT_CLI "' bash -o pipefail -c '" + quoted +
                          "' >/dev/null");
}

// A case's lines by tag, in order; "#" holds the line number of its "$".
using Case = std::map<std::string, std::vector<std::string>>;

std::vector<Case> ReadCases(const std::string& path) {
  std::ifstream in(path);
  std::vector<Case> cases;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    for (size_t at; (at = line.find("@SOURCE@")) != std::string::npos;) line.replace(at, 8, TONVERT_SOURCE_DIR);
    const size_t space = line.find(' ');
    const std::string tag = line.substr(0, space), rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (tag.empty() || tag == "#") continue;
    if (tag == "$") cases.push_back({{"#", {std::to_string(number)}}});
    EXPECT_TRUE(!cases.empty() && std::string(" $ @ > ? 1> 2> 1~ * ").find(" " + tag + " ") != std::string::npos)
        << "line " << number << ": " << line;
    if (!cases.empty()) cases.back()[tag].push_back(rest);
  }
  return cases;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST(CliCases, ArgumentsGiveTheirExitStatusOutputAndFiles) {
  std::vector<Case> cases = ReadCases(std::string(TONVERT_SOURCE_DIR) + "/tests/cli/cli_cases.txt");
  ASSERT_GT(cases.size(), 80u);
  for (Case& c : cases) {
    SCOPED_TRACE("cli_cases.txt:" + c["#"][0] + ": " + c["$"][0]);
    test::TempDir dir;
    ASSERT_EQ(Shell(dir, "cp -R '" TONVERT_SOURCE_DIR "/tests/cli/data/.' ."), 0);
    for (const std::string& line : c[">"]) EXPECT_EQ(Shell(dir, line), 0) << line;
    const std::string prefix = c["@"].empty() ? "" : c["@"][0];
    const std::string run = "{ " + prefix + " \"$TONVERT\" " + c["$"][0] + "; } >.out 2>.err </dev/null";
    EXPECT_EQ(Shell(dir, run), c["?"].empty() ? 0 : std::stoi(c["?"][0]));
    const std::string out = test::ReadFile(dir / ".out");
    EXPECT_EQ(test::ReadFile(dir / ".err"), Lines(c["2>"]));
    // With "1~" lines standard output need only hold them.
    EXPECT_EQ(c["1~"].empty() ? out : Lines(c["1>"]), Lines(c["1>"]));
    for (const std::string& text : c["1~"]) EXPECT_NE(out.find(text), std::string::npos) << text;
    for (const std::string& line : c["*"]) EXPECT_EQ(Shell(dir, line), 0) << line;
  }
}

}  // namespace
}  // namespace tonvert
