#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// Runs the real vantrel-cli and checks its "strings" output.
namespace {

struct PipeCloser {
  void operator()(std::FILE* f) const { ::pclose(f); }
};

std::vector<std::string> RunLines(const std::string& args, int* status = nullptr) {
  const std::string command = std::string(VANTREL_BINARY_DIR) + "/cli/vantrel-cli " + args + " 2>/dev/null";
  std::vector<std::string> lines;
  std::FILE* raw = ::popen(command.c_str(), "r");
  if (!raw) return lines;
  std::string line;
  for (int c; (c = std::fgetc(raw)) != EOF;) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += static_cast<char>(c);
    }
  }
  const int rc = ::pclose(raw);
  if (status) *status = rc;
  return lines;
}

std::pair<std::string, std::string> Split(const std::string& line) {
  const auto tab = line.find('\t');
  if (tab == std::string::npos) return {line, ""};
  return {line.substr(0, tab), line.substr(tab + 1)};
}

TEST(CliStrings, KoreanTablePrintsEveryIdTranslated) {
  const auto korean = RunLines("strings --lang KOR");
  const auto english = RunLines("strings --lang ENG");
  ASSERT_EQ(korean.size(), 69u);
  ASSERT_EQ(english.size(), 69u);
  int previousId = 0;
  for (std::size_t i = 0; i < korean.size(); ++i) {
    const auto [id, text] = Split(korean[i]);
    const auto [englishId, englishText] = Split(english[i]);
    SCOPED_TRACE(korean[i]);
    EXPECT_EQ(id, englishId);
    EXPECT_GT(std::stoi(id), previousId);
    previousId = std::stoi(id);
    EXPECT_FALSE(text.empty());
    EXPECT_NE(text, englishText);
  }
  EXPECT_EQ(english.front(), "101\t&About ZEL...");
  EXPECT_EQ(english.back(), "1065\tYandex Map");
}

TEST(CliStrings, UnknownLanguageIsRefused) {
  int status = 0;
  EXPECT_TRUE(RunLines("strings --lang kor", &status).empty());
  EXPECT_NE(status, 0);
  EXPECT_TRUE(RunLines("strings --lang", &status).empty());
  EXPECT_NE(status, 0);
}

}  // namespace
