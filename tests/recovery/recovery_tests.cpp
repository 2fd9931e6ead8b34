#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "png/png.h"
#include "recovery/recovery_keeper.h"
#include "recovery/recovery_store.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;

std::string Replace(std::string s, const std::string& from, const std::string& to) {
  return s.replace(s.find(from), from.size(), to);
}

struct Folder {
  fs::path Dir =
      fs::temp_directory_path() / ("recovery-" + std::to_string(::getpid()) + "-" +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
  Folder() { fs::create_directories(Dir); }
  ~Folder() { fs::remove_all(Dir); }
  void Put(const std::string& name, const std::string& text) const {
    std::ofstream(Dir / name, std::ios::binary) << text;
  }
};

const Recovery_Info Sample{"/home/a\\b\nc.png", 8, 2, 1, 1, 1700000000, "9-1-1.png", 0};

TEST(Recovery_Info_Text, ReadsWhatItWritesAndRefusesWhatIsCutOrDoesNotFit) {
  const std::string good = Format_Recovery_Info(Sample);
  EXPECT_EQ(Parse_Recovery_Info(good), Sample);
  for (const std::string& bad :
       {good.substr(0, good.size() - 1), Replace(good, "Frame_Total=2", "Frame_Total=1"),
        Replace(good, "Frame_Size=8", "Frame_Size=0"), Replace(good, "9-1-1", "../x"),
        Replace(good, "Time=1700000000\n", ""), Replace(good, "Frame_Size=8", "Frame_Size=8x"),
        Replace(good, "\\n", "\\q")})
    EXPECT_FALSE(Parse_Recovery_Info(bad)) << bad;
}

TEST(Recovery_Store_Orphans, OffersDeadProcessesWholeCopiesAndMovesBadOnesAside) {
  struct Row {
    const char* what;
    bool alive, meta_ok;
    int strip_width;  // 0: cut short
    bool offered, read, damaged;
  } rows[] = {
      {"a dead program's whole copy", false, true, 16, true, true, false},
      {"a living program's copy", true, true, 16, false, false, false},
      {"bad metadata", false, false, 16, false, false, true},
      {"a strip cut short", false, true, 0, true, false, true},
      {"a strip of another size", false, true, 24, true, false, true},
  };
  for (const Row& r : rows) {
    Folder f;
    Write_Png((f.Dir / Sample.Strip).string(), Raster_Image(r.strip_width ? r.strip_width : 16, 8));
    if (!r.strip_width) fs::resize_file(f.Dir / Sample.Strip, 40);
    f.Put("9-1.meta", r.meta_ok ? Format_Recovery_Info(Sample) : "Path=x\n");
    f.Put("9-1.lock", "");
    const int owner = ::open((f.Dir / "9-1.lock").c_str(), O_RDWR);
    if (r.alive) ::flock(owner, LOCK_EX);
    Recovery_Store store(f.Dir.string());
    auto copies = store.Take_Orphans();
    ASSERT_EQ(copies.size(), r.offered ? 1u : 0u) << r.what;
    if (r.offered) {
      EXPECT_EQ(store.Read_Strip(copies[0]), r.read) << r.what;
    }
    EXPECT_EQ(fs::exists(f.Dir / "damaged" / "9-1.meta"), r.damaged) << r.what;
    EXPECT_EQ(fs::exists(f.Dir / "9-1.meta"), r.alive || r.read) << r.what;
    ::close(owner);
  }
}

TEST(Recovery_Store_Orphans, ANoIsAskedAgainOnceThenTheCopyGoes) {
  Folder f;
  Write_Png((f.Dir / Sample.Strip).string(), Raster_Image(16, 8));
  f.Put("9-1.meta", Format_Recovery_Info(Sample));
  f.Put("8-1.lock", "");  // a program that never wrote a copy
  for (int start = 0; start < 2; ++start) {
    Recovery_Store store(f.Dir.string());
    auto copies = store.Take_Orphans();
    ASSERT_EQ(copies.size(), 1u) << start;
    store.Decline(copies[0]);
  }
  EXPECT_TRUE(fs::is_empty(f.Dir));
}

// A modified document of frames of one colour.
Editing_State Document(int size = 8, int total = 2) {
  Editing_State d;
  d.Frame_Size = size;
  d.Frame_Total = total;
  d.Section_End = total - 1;
  d.Anim_Strip = Raster_Image(size * total, size, 0x112233);
  d.Working_Frame = Raster_Image(size, size, 0x112233);
  d.Anim_Modified = true;
  d.Anim_File_Name = "/home/a/walk.png";
  return d;
}

TEST(Recovery_Keeper_Schedule, CopiesThirtySecondsAfterTheLookBeforeAChangeAtMostEveryThirty) {
  struct Look {
    std::int64_t at;
    bool change, writes;
  };
  const std::vector<std::vector<Look>> runs = {
      {{0, false, false}, {1000, true, false}, {29999, false, false}, {30000, false, true}},
      {{0, false, false},
       {30000, true, true},
       {31000, true, false},
       {59999, true, false},
       {60000, false, true},
       {200000, false, false}},
      {{0, false, false}, {100000, true, true}},
  };
  for (const auto& run : runs) {
    Folder f;
    Recovery_Store store(f.Dir.string());
    Recovery_Keeper keeper(store);
    Editing_State doc = Document();
    int writes = 0;
    for (const Look& l : run) {
      if (l.change) doc.Anim_Strip.SetPixel(int(l.at / 1000) % 16, 0, 0xFF);
      keeper.Tick(doc, l.at);
      keeper.Wait();
      writes += l.writes;
      EXPECT_EQ(keeper.Writes(), writes) << "at " << l.at;
    }
  }
}

TEST(Recovery_Keeper_Copy, HoldsTheStripAsDrawnAndGoesWithTheChanges) {
  Folder f;
  Recovery_Store store(f.Dir.string());
  Recovery_Keeper keeper(store);
  // Wider than one snapshot piece, so the copy takes several looks; the
  // strip changes between two of them and the copy starts over.
  Editing_State doc = Document(32, 2000);
  keeper.Tick(doc, 0);
  EXPECT_EQ(keeper.Tick(doc, 30000), Recovery_Keeper::Step_Ms);
  doc.Anim_Strip.SetPixel(32 * 1999, 0, 0x445566);
  doc.Working_Frame.SetPixel(3, 3, 0x778899);
  doc.Frame_Edited = true;
  for (int t = 30010; keeper.Writes() == 0; t += 10) keeper.Tick(doc, t);
  keeper.Wait();

  Recovery_Store next(f.Dir.string());
  auto copies = next.Take_Orphans();
  ASSERT_EQ(copies.size(), 0u) << "its program is alive";
  const auto info =
      Parse_Recovery_Info((std::stringstream() << std::ifstream(store.Meta_Path()).rdbuf()).str());
  ASSERT_TRUE(info);
  EXPECT_EQ(info->Path, doc.Anim_File_Name);
  doc.Commit_Frame();
  EXPECT_TRUE(Same_Pixels(Read_Png(store.Path_Of(info->Strip), 0), doc.Anim_Strip));

  doc.Anim_Modified = false;  // saved
  keeper.Tick(doc, 31000);
  EXPECT_FALSE(fs::exists(store.Meta_Path()));
  EXPECT_FALSE(fs::exists(store.Path_Of(info->Strip)));
}

TEST(Recovery_Keeper_Failure, IsReportedOncePerSession) {
  Folder f;
  f.Put("file", "");
  Recovery_Store store((f.Dir / "file" / "recovery").string());
  Recovery_Keeper keeper(store);
  Editing_State doc = Document();
  for (std::int64_t t : {0, 30000, 60000}) keeper.Tick(doc, t), keeper.Wait();
  EXPECT_TRUE(keeper.Take_Failure());
  keeper.Tick(doc, 90000);
  EXPECT_FALSE(keeper.Take_Failure());
}

}  // namespace
}  // namespace tolvane
