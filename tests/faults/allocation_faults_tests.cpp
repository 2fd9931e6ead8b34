// Every command that changes or replaces the document, with each image
// allocation failing in turn, one per run: afterwards the old document must
// be exactly as it was, and Save must write its pixels.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "bmp/bmp.h"
#include "document/strip_edit.h"
#include "support/failing_new.h"
#include "support/tolvane_fixture.h"

namespace {
// Allocations of at least this many bytes are images (a 16 x 16 frame is
// 1024 bytes); smaller ones are captions and the scripted user's records.
constexpr std::size_t Image_Bytes = 1024;
}  // namespace

namespace tolvane::testing {
namespace {

// One fresh program per run, with a three-frame animation of 16 open.
struct World : Tolvane_Test {
  using Tolvane_Test::Load_File;
  using Tolvane_Test::Load_Strip;
  using Tolvane_Test::P;
  using Tolvane_Test::Path;
  using Tolvane_Test::T;
  void TestBody() override {}
};

struct Command {
  const char* name;
  std::function<void(World&)> act;  // scripts the user's answers and runs it
  // Files it may open: new.bmp (four frames of 24), merge.bmp (two of 16),
  // sheet.bmp (three cells of 20).
  bool allocates = true;  // Delete works within the strip it has
};

void Choose_Size(World& w, int size, int method) {
  w.P.On_Modal<TFrame_Size_Form>([=](TFrame_Size_Form& f) {
    f.New_Size.Select(4);
    f.SpinEdit1.Text = std::to_string(size);
    f.Adjust_Method.Select(method);
    f.OkClick();
  });
}

const Command Commands[] = {
    {"Load", [](World& w) { w.Load_File(w.Path("new.bmp")); }},
    {"New",
     [](World& w) {
       Choose_Size(w, 40, 0);
       w.T().New1Click();
     }},
    {"Resize, crop",
     [](World& w) {
       Choose_Size(w, 24, 0);
       w.T().Resize1Click();
     }},
    {"Resize, stretch",
     [](World& w) {
       Choose_Size(w, 12, 1);
       w.T().Resize1Click();
     }},
    {"Add", [](World& w) { w.T().Add1Click(); }},
    {"Insert", [](World& w) { w.T().Insert1Click(); }},
    {"Delete",
     [](World& w) {
       w.P.Answers = {id_Yes};
       w.T().Delete1Click();
     },
     false},
    {"Rotate, inserting",
     [](World& w) {
       w.P.On_Modal<TEffects_Param_Form>([](TEffects_Param_Form& f) {
         f.Level_Bar.Set_Position(45);
         f.Add_New.Set_Checked(true);
         f.No_Frames.Text = "4";
         f.OkClick();
       });
       w.T().Brightness1Click(w.T().Controls.Rotate1);
     }},
    {"Import Frames",
     [](World& w) {
       w.P.Open_Answers.push_back(w.Path("sheet.bmp"));
       w.P.On_Modal<TFrame_Extract>([](TFrame_Extract& f) {
         f.Field_Set(f.Frame_H, 20);
         f.Field_Set(f.Frame_W, 20);
         f.Field_Set(f.dest_fs, 16);
         f.OkClick();
       });
       w.T().Import1Click();
     }},
    {"Merge, appended",
     [](World& w) {
       w.P.Open_Answers.push_back(w.Path("merge.bmp"));
       w.P.Answers = {id_No};
       w.T().MergeFiles1Click();
     }},
    {"Merge, with a transition",
     [](World& w) {
       w.P.Open_Answers.push_back(w.Path("merge.bmp"));
       w.P.Answers = {id_Yes};
       w.P.On_Modal<TAdd_Trans>([](TAdd_Trans& f) {
         f.Trans_Type.Text = "Merge";
         f.overlap.Text = "2";
         f.OkClick();
       });
       w.T().MergeFiles1Click();
     }},
};

TEST(Allocation_Faults, EveryFailureLeavesTheOldDocumentAndItsFile) {
  const Raster_Image old = Solid_Strip({1, 2, 3}, 16);
  for (const Command& c : Commands) {
    long n = 1;
    for (;; ++n) {
      World w;
      w.Load_Strip(old, "old.bmp");
      Write_Bmp(w.Path("new.bmp"), Solid_Strip({7, 8, 9, 10}, 24));
      Write_Bmp(w.Path("merge.bmp"), Solid_Strip({20, 21}, 16));
      Write_Bmp(w.Path("sheet.bmp"), Solid_Strip({30, 31, 32}, 20));
      TTolvane& t = w.T();
      // The history's own failures let the command go on (tested apart).
      t.Anim_History.Set_Cap(0);
      t.Next_FrameClick();
      ASSERT_EQ(t.Check_Invariants(), "");
      const std::string name = t.Anim_File_Name;

      Watch_Allocations(Image_Bytes, n);
      // As the program's event edge would, but the command should have
      // reported the failure itself.
      try {
        c.act(w);
      } catch (const std::exception& e) {
        ADD_FAILURE() << c.name << ", image allocation " << n << ": escaped: " << e.what();
      }
      const bool failed = Stop_Watching() >= n;
      if (!failed) break;  // every image allocation of the command has failed once

      SCOPED_TRACE(std::string(c.name) + ", image allocation " + std::to_string(n));
      EXPECT_FALSE(w.P.Errors.empty()) << "a failure was not reported";
      EXPECT_EQ(t.Check_Invariants(), "");
      EXPECT_TRUE(Same_Pixels(t.Anim_Strip, old));
      EXPECT_EQ(t.Frame_Size, 16);
      EXPECT_EQ(t.Cur_Frame, 1);
      EXPECT_EQ(t.Anim_File_Name, name);
      EXPECT_FALSE(t.Anim_Modified);
      // Save writes the old pixels back to the old file.
      t.Anim_Modified = true;
      t.Save1Click();
      EXPECT_TRUE(t.Session.Saved());
      EXPECT_TRUE(Same_Pixels(Read_Bmp(w.Path("old.bmp")), old));
      if (::testing::Test::HasFailure()) return;
    }
    EXPECT_EQ(n > 1, c.allocates) << c.name;
  }
}

}  // namespace
}  // namespace tolvane::testing

namespace tolvane::testing {
namespace {

// Each strip edit with each image allocation failing in turn: a failed edit
// leaves the strip and its count as they were; one that goes through gives
// the frames listed (by colour). With the history on, a failure to record
// clears it and the edit goes through; a recorded edit steps back to the old
// strip.
TEST(Allocation_Faults, StripEditsMakeTheNewStripFirst) {
  struct Edit {
    const char* name;
    std::function<void(Editing_State&)> act;
    std::vector<Colour> frames;
  };
  const Edit edits[] = {
      {"append blank", [](Editing_State& s) { Append_Blank_Frame(s); }, {1, 2, 3, 0xFFFFFF}},
      {"insert blank", [](Editing_State& s) { Insert_Blank_Frame(s, 1, 9); }, {1, 9, 2, 3}},
      {"insert",
       [](Editing_State& s) {
         Insert_Frames(s, 1, Solid_Strip({7, 8}, 16));
       },
       {1, 7, 8, 2, 3}},
      {"append",
       [](Editing_State& s) {
         Append_Frames(s, Solid_Strip({7, 8}, 16));
       },
       {1, 2, 3, 7, 8}},
      {"replace past the end",
       [](Editing_State& s) {
         Replace_Frames(s, 2, Solid_Strip({7, 8}, 16));
       },
       {1, 2, 7, 8}},
      {"remove", [](Editing_State& s) { Remove_Frame(s, 1); }, {1, 3}},
      {"replace the strip",
       [](Editing_State& s) {
         Replace_Strip(s, Solid_Strip({7}, 16), 16, [] { Raster_Image views(16, 16); });
       },
       {7}},
  };
  const Raster_Image old = Solid_Strip({1, 2, 3}, 16);
  // Each edit without a history, then with one.
  for (std::size_t k = 0; k < 2 * std::size(edits); ++k) {
    const Edit& e = edits[k % std::size(edits)];
    const bool recording = k >= std::size(edits);
    for (long n = 1;; ++n) {
      Editing_State s;
      s.Anim_Strip = old;
      s.Frame_Size = 16;
      s.Frame_Total = 3;
      History& h = s.Anim_History;
      h.Set_Cap(recording ? History::Default_Cap : 0);
      h.Start(s, true);
      // A step before, to show whether the history was cleared.
      Replace_Frames(s, 0, Solid_Strip({1}, 16));
      const int before = h.Steps();
      Watch_Allocations(Image_Bytes, n);
      bool threw = false;
      try {
        e.act(s);
      } catch (const std::exception&) {  // Toolkit_Error or bad_alloc
        threw = true;
      }
      const bool failed = Stop_Watching() >= n;
      SCOPED_TRACE(std::string(e.name) + ", image allocation " + std::to_string(n) +
                   (recording ? ", recording" : ""));
      if (!recording) {
        EXPECT_EQ(threw, failed);
      }
      if (threw) {
        EXPECT_TRUE(Same_Pixels(s.Anim_Strip, old));
        EXPECT_EQ(s.Frame_Total, 3);
        EXPECT_EQ(h.Steps(), before);
        continue;
      }
      EXPECT_EQ(s.Anim_Strip.Width(), s.Frame_Total * 16);
      ASSERT_EQ(s.Frame_Total, int(e.frames.size()));
      for (int i = 0; i < s.Frame_Total; ++i)
        EXPECT_TRUE(Frame_Is(s.Anim_Strip, 16, i, e.frames[i]));
      if (failed) {
        EXPECT_EQ(h.Steps(), 0) << "a failure to record clears the history";
        continue;
      }
      if (!recording) break;
      ASSERT_EQ(h.Steps(), before + 1);
      s.Commit_Frame();
      h.Back(s);
      EXPECT_TRUE(Same_Pixels(s.Anim_Strip, old)) << "stepped back";
      break;
    }
  }
}

}  // namespace
}  // namespace tolvane::testing
