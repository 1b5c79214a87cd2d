// tonvert-cli as a user meets it: each case of cli_cases.txt (see its head)
// runs the program in a fresh folder holding the files of tests/cli/data.
#include <gtest/gtest.h>

#include <fstream>
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

struct Case {
  int line = 0, status = 0;
  std::string args, prefix, out, err;
  std::vector<std::string> outHas, setup, checks;
};

std::vector<Case> ReadCases(const std::string& path) {
  std::ifstream in(path);
  std::vector<Case> cases;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    for (size_t at; (at = line.find("@SOURCE@")) != std::string::npos;) line.replace(at, 8, TONVERT_SOURCE_DIR);
    const size_t space = line.find(' ');
    const std::string tag = line.substr(0, space), rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (tag.empty() || tag == "#") continue;
    if (tag == "$") cases.emplace_back().line = number;
    if (cases.empty()) {
      ADD_FAILURE() << "line " << number << " comes before the first case";
      continue;
    }
    Case& c = cases.back();
    if (tag == "$") c.args = rest;
    else if (tag == "?") c.status = std::stoi(rest);
    else if (tag == "@") c.prefix = rest;
    else if (tag == "1>") c.out += rest + "\n";
    else if (tag == "2>") c.err += rest + "\n";
    else if (tag == "1~") c.outHas.push_back(rest);
    else if (tag == ">") c.setup.push_back(rest);
    else if (tag == "*") c.checks.push_back(rest);
    else ADD_FAILURE() << "line " << number << ": unknown tag " << tag;
  }
  return cases;
}

TEST(CliCases, ArgumentsGiveTheirExitStatusOutputAndFiles) {
  const std::vector<Case> cases = ReadCases(std::string(TONVERT_SOURCE_DIR) + "/tests/cli/cli_cases.txt");
  ASSERT_GT(cases.size(), 70u);
  for (const Case& c : cases) {
    SCOPED_TRACE("cli_cases.txt:" + std::to_string(c.line) + ": " + c.args);
    test::TempDir dir;
    ASSERT_EQ(Shell(dir, "cp -R '" TONVERT_SOURCE_DIR "/tests/cli/data/.' ."), 0);
    for (const std::string& line : c.setup) EXPECT_EQ(Shell(dir, line), 0) << line;
    EXPECT_EQ(Shell(dir, "{ " + c.prefix + " \"$TONVERT\" " + c.args + "; } >.out 2>.err </dev/null"), c.status);
    const std::string out = test::ReadFile(dir / ".out");
    EXPECT_EQ(test::ReadFile(dir / ".err"), c.err);
    if (c.outHas.empty()) {
      EXPECT_EQ(out, c.out);
    }
    for (const std::string& text : c.outHas) EXPECT_NE(out.find(text), std::string::npos) << text;
    for (const std::string& line : c.checks) EXPECT_EQ(Shell(dir, line), 0) << line;
  }
}

}  // namespace
}  // namespace tonvert
