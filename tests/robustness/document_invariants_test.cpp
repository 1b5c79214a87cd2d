// The document checker is the oracle of the conversion cases and the fuzzer:
// it must pass a kept document and refuse each kind of broken one
// (broken_documents.txt).
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "document_check.h"
#include "support/temp_dir.h"

namespace tonvert::test {
namespace {

std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
    } else if (s[++i] == 'x') {
      out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += s[i] == 'n' ? '\n' : s[i] == 'r' ? '\r' : s[i] == 't' ? '\t' : s[i];
    }
  }
  return out;
}

TEST(DocumentCheck, RefusesEachBrokenDocument) {
  const std::string tests = std::string(TONVERT_SOURCE_DIR) + "/tests/";
  const std::string kept = ReadFile(tests + "convert/golden/two-voices.txt");
  std::istringstream table(ReadFile(tests + "robustness/broken_documents.txt"));
  int cases = 0;
  for (std::string line; std::getline(table, line);) {
    if (line.empty() || line[0] == '#') continue;
    SCOPED_TRACE(line);
    std::istringstream in(line);
    std::string kind, edits;
    check::DocumentExpectations rules;
    in >> kind >> rules.rowsPerPattern;
    std::getline(in.ignore(2), edits);
    std::string doc = kept;
    for (size_t at = 0; at != std::string::npos;) {
      const size_t next = edits.find(" && ", at), arrow = edits.find(" => ", at);
      const std::string from = Unescape(edits.substr(at, arrow - at));
      const std::string to = Unescape(edits.substr(arrow + 4, next == std::string::npos ? next : next - arrow - 4));
      ASSERT_NE(doc.find(from), std::string::npos) << from;
      doc.replace(doc.find(from), from.size(), to);
      at = next == std::string::npos ? next : next + 4;
    }
    EXPECT_EQ(check::CheckDocument(doc, rules).empty(), kind == "good") << check::CheckDocument(doc, rules);
    ++cases;
  }
  EXPECT_GT(cases, 30);
}

}  // namespace
}  // namespace tonvert::test
