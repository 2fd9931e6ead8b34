#include <gtest/gtest.h>

#include <fstream>

#include "mainwindow/help_documents.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

namespace fs = std::filesystem;

TEST(Document_Places, InstalledFolderFirstThenTheBuildsDocsBesideTheProgram) {
  const struct {
    const char* program;
    std::vector<std::string> places;
  } cases[] = {
      {"/usr/bin/tolvane", {"/usr/share/doc/tolvane/guide.md", "/usr/bin/docs/guide.md"}},
      {"/tolvane", {"/share/doc/tolvane/guide.md", "/docs/guide.md"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Document_Places(c.program, "guide.md"), c.places);
}

using Help = Tolvane_Test;

// Each Help document: shown from the first place that has it, else a warning.
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
       "The user guide is missing. Tolvane looked for it in:\n" + (installed / "guide.md").string() +
           "\n" + (built / "guide.md").string()},
      {&TTolvane::WhatsNew1Click, "whats_new.md", "What's New in Tolvane v2",
       "Unable to open the Whats New information (File might be missing or already open) "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    P.Messages.clear();
    (T().*c.click)();
    ASSERT_EQ(P.Messages.size(), 1u);
    EXPECT_EQ(P.Messages[0].Text, c.missing);
    EXPECT_EQ(P.Messages[0].Kind, Msg_Kind::Warning);
    // The build's docs, then the installed ones, which go first once there.
    for (const fs::path& folder : {built, installed}) {
      fs::create_directories(folder);
      std::ofstream(folder / c.name) << "# From " << folder.string();
      (T().*c.click)();
      ASSERT_FALSE(P.Documents.empty());
      EXPECT_EQ(P.Documents.back().Title, c.title);
      EXPECT_EQ(P.Documents.back().Text, "# From " + folder.string());
      EXPECT_EQ(P.Documents.back().Folder, folder.string());
    }
    EXPECT_EQ(P.Messages.size(), 1u);
  }
}

TEST_F(Help, ADocumentThatCannotBeReadIsRefusedByName) {
  P.Exe_Path = Path("bin/tolvane");
  fs::create_directories(Dir / "bin/docs/guide.md");  // a folder, not a file
  T().UserGuide1Click();
  EXPECT_TRUE(P.Documents.empty());
  EXPECT_EQ(P.Errors, std::vector<std::string>{"Cannot open file " + Path("bin/docs/guide.md") + "."});
}

}  // namespace
}  // namespace tolvane::testing
