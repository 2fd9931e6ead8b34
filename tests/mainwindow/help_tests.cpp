#include <gtest/gtest.h>

#include <fstream>

#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

namespace fs = std::filesystem;
using Help = Tolvane_Test;

// Each Help document comes from the installed docs beside bin/, else from the
// build's docs beside the program, else a warning says it is missing.
TEST_F(Help, ShowsTheFirstDocumentFoundElseSaysItIsMissing) {
  P.Exe_Path = Path("bin/tolvane");
  const fs::path installed = Dir / "share/doc/tolvane", built = Dir / "bin/docs";
  const struct {
    void (TTolvane::*click)();
    const char* name;
    const char* title;
    std::string missing;
  } cases[] = {
      {&TTolvane::UserGuide1Click, "guide.md", "Tolvane User Guide",
       "The user guide is missing. Tolvane looked for it in:\n" +
           (installed / "guide.md").string() + "\n" + (built / "guide.md").string()},
      {&TTolvane::WhatsNew1Click, "whats_new.md", "What's New in Tolvane v2",
       "Unable to open the Whats New information (File might be missing or already open) "},
  };
  for (const auto& c : cases) {
    P.Messages.clear();
    (T().*c.click)();
    ASSERT_EQ(P.Message_Texts(), std::vector<std::string>{c.missing});
    for (const fs::path& folder : {built, installed}) {
      fs::create_directories(folder);
      std::ofstream(folder / c.name) << "# From " << folder.string();
      (T().*c.click)();
      ASSERT_EQ(P.Messages.size(), 1u);
      EXPECT_EQ(P.Documents.back().Title, c.title);
      EXPECT_EQ(P.Documents.back().Text, "# From " + folder.string());
      EXPECT_EQ(P.Documents.back().Folder, folder.string());
    }
  }
}

TEST_F(Help, ADocumentThatCannotBeReadIsRefusedByName) {
  P.Exe_Path = Path("bin/tolvane");
  fs::create_directories(Dir / "bin/docs/guide.md");  // a folder, not a file
  T().UserGuide1Click();
  EXPECT_TRUE(P.Documents.empty());
  EXPECT_EQ(P.Errors, std::vector<std::string>{"Cannot open file " + Path("bin/docs/guide.md") +
                                               ".\n\nguide.md: is a directory."});
}

}  // namespace
}  // namespace tolvane::testing
