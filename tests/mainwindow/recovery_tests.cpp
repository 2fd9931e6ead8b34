#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>

#include "png/png.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

namespace fs = std::filesystem;

class Recovery : public Tolvane_Test {
 protected:
  Recovery() {
    P.Recovery = Path("recovery");
    fs::create_directories(P.Recovery);
  }
  // Ticks of the recovery timer up to and past the copy's time.
  void Copy_Written() {
    for (int i = 0; i < 3; ++i, P.Now += 15000) T().Session.Recovery_Tick();
    T().Session.Keeper()->Wait();
  }
  bool Own_Copy() { return fs::exists(T().Session.Store()->Meta_Path()); }
};

TEST_F(Recovery, AStartOffersTheCopyYesOpensItUnsavedUnderItsOwnNameNoKeepsItOnce) {
  const Raster_Image strip = Solid_Strip({0xFF, 0xFF00, 0xFF0000}, 16);
  Write_Png(P.Recovery + "/1-1-1.png", strip);
  std::tm changed{};  // 2026-12-08 10:32 here
  changed.tm_year = 126, changed.tm_mon = 11, changed.tm_mday = 8;
  changed.tm_hour = 10, changed.tm_min = 32, changed.tm_isdst = -1;
  std::ofstream(P.Recovery + "/1-1.meta") << Format_Recovery_Info(
      {Path("walk.png"), 16, 3, 1, 2, std::mktime(&changed), "1-1-1.png", 0, 0xFF00});
  const std::string offer =
      "Tolvane was closed without saving walk.png (changed 2026-12-08 10:32). Recover it?";
  P.Answers = {id_No};
  T().FormShow();
  EXPECT_EQ(P.Message_Texts(), std::vector<std::string>{offer});
  EXPECT_FALSE(T().Document_Open());

  P.Answers = {id_Yes};
  T().FormShow();  // the next start asks again
  EXPECT_EQ(P.Message_Texts(), std::vector<std::string>(2, offer));
  EXPECT_TRUE(Same_Pixels(T().Anim_Strip, strip));
  EXPECT_EQ(T().Anim_File_Name, Path("walk.png"));
  EXPECT_EQ(T().Caption, "Tolvane v2 - walk.png");
  EXPECT_TRUE(T().Anim_Modified);
  EXPECT_EQ(std::pair(T().Section_Start, T().Section_End), std::pair(1, 2));
  EXPECT_EQ(T().Transparent_Colour, Colour{0xFF00});
  EXPECT_FALSE(fs::exists(P.Recovery + "/1-1.meta"));
  EXPECT_TRUE(Own_Copy()) << "adopted, so that a second crash loses nothing";
}

// A copy that cannot be read is kept aside, and the start says so once.
TEST_F(Recovery, ADamagedCopyIsReportedOnceWithWhereItWasKept) {
  std::ofstream(P.Recovery + "/1-1-1.png") << "no picture";
  std::ofstream(P.Recovery + "/1-1.meta")
      << Format_Recovery_Info({Path("walk.png"), 16, 3, 0, 2, 0, "1-1-1.png", 0, {}});
  for (int start = 0; start < 2; ++start) T().FormShow();
  EXPECT_EQ(P.Message_Texts(), std::vector<std::string>{"The recovery copy of walk.png could not "
                                                        "be read. It was kept in " +
                                                        P.Recovery + "/damaged."});
}

TEST_F(Recovery, TheCopyGoesWithSaveANewDocumentAndClosingWithoutSaving) {
  const std::function<void()> ends[] = {
      [&] { T().Save1Click(); },
      [&] { P.Answers = {id_No}, New_Anim(32); },
      [&] { P.Answers = {id_No}, T().Close(); },
  };
  for (const auto& end : ends) {
    Load_Strip(Solid_Strip({0xFF, 0xFF00}, 16));
    T().ZoomMouseDown(Mouse_Button::Left, 0, 5, 5);
    T().ZoomMouseUp(Mouse_Button::Left, 0, 5, 5);
    Copy_Written();
    ASSERT_TRUE(Own_Copy());
    end();
    EXPECT_FALSE(Own_Copy());
  }
  EXPECT_TRUE(T().Closed);
}

}  // namespace
}  // namespace tolvane::testing
