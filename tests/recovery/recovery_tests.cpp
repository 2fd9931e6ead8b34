#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>

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
  std::string Dir = [] {
    char name[] = "/tmp/recovery-XXXXXX";
    return std::string(::mkdtemp(name));
  }();
  ~Folder() { fs::remove_all(Dir); }
  void Put(const std::string& name, const std::string& text) const {
    std::ofstream(Dir + "/" + name) << text;
  }
  // The one copy the next start finds here, its strip read; none when it
  // finds another number of copies or cannot read the strip.
  std::optional<Recovered_Copy> Only_Copy() const {
    Recovery_Store next(Dir);
    auto copies = next.Take_Orphans();
    if (copies.size() != 1 || !next.Read_Strip(copies[0])) return std::nullopt;
    return std::move(copies[0]);
  }
};

const Recovery_Info Sample{"/home/a\\b\nc.png", 8,           2, 1,        1,
                           1700000000,          "9-1-1.png", 0, 0x123456, {250, 0}};
// The same copy in runs of one frame, as this version writes it.
const Recovery_Info Sample_Runs = [] {
  Recovery_Info info = Sample;
  info.Strip.clear();
  info.Run_Frames = 1;
  info.Runs = {"9-1-1-0.png", "9-1-2-1.png"};
  return info;
}();

TEST(Recovery_Store_Orphans, OffersDeadProgramsWholeCopiesAndMovesBadOnesAside) {
  const std::string good = Format_Recovery_Info(Sample), runs = Format_Recovery_Info(Sample_Runs);
  struct Row {
    const char* what;
    bool alive;
    std::string meta;
    int strip_width;  // of each picture; 0: the last one cut short, -1: missing
    bool offered, read;
  } rows[] = {
      {"a dead program's whole copy", false, good, 16, true, true},
      {"a living program's copy", true, good, 16, false, false},
      {"metadata cut short", false, good.substr(0, 40), 16, false, false},
      {"a section outside the strip", false, Replace(good, "Total=2", "Total=1"), 8, false, false},
      {"a strip cut short", false, good, 0, true, false},
      {"a strip of another size", false, good, 24, true, false},
      {"a whole copy in runs", false, runs, 8, true, true},
      {"a run missing", false, runs, -1, true, false},
      {"a run cut short", false, runs, 0, true, false},
      {"a run of another size", false, runs, 16, true, false},
      {"runs that miss frames", false, Replace(runs, "Frames=1", "Frames=2"), 8, false, false},
      {"a strip and runs", false, runs + "Strip=9-1-1.png\n", 8, false, false},
  };
  for (const Row& r : rows) {
    Folder f;
    const std::vector<std::string> files = (r.meta == good ? Sample : Sample_Runs).Files();
    for (const std::string& name : files)
      Write_Png(f.Dir + "/" + name, Raster_Image(r.strip_width > 0 ? r.strip_width : 8, 8));
    if (r.strip_width == 0) fs::resize_file(f.Dir + "/" + files.back(), 40);
    if (r.strip_width < 0) fs::remove(f.Dir + "/" + files.back());
    f.Put("9-1.meta", r.meta);
    f.Put("9-1.lock", "");
    const int owner = ::open((f.Dir + "/9-1.lock").c_str(), O_RDWR);
    if (r.alive) ::flock(owner, LOCK_EX);
    Recovery_Store store(f.Dir);
    auto copies = store.Take_Orphans();
    ASSERT_EQ(copies.size(), r.offered ? 1u : 0u) << r.what;
    if (r.offered) {
      EXPECT_EQ(copies[0].Info, r.meta == good ? Sample : Sample_Runs) << r.what;
      EXPECT_EQ(store.Read_Strip(copies[0]), r.read) << r.what;
    }
    EXPECT_EQ(fs::exists(f.Dir + "/damaged/9-1.meta"), !r.alive && !r.read) << r.what;
    EXPECT_EQ(fs::exists(f.Dir + "/9-1.meta"), r.alive || r.read) << r.what;
    ::close(owner);
  }
}

TEST(Recovery_Store_Orphans, ANoIsAskedAgainOnceThenTheCopyGoes) {
  Folder f;
  Write_Png(f.Dir + "/" + Sample.Strip, Raster_Image(16, 8));
  f.Put("9-1.meta", Format_Recovery_Info(Sample));
  f.Put("8-1.lock", "");  // a program that never wrote a copy
  for (int start = 0; start < 2; ++start) {
    Recovery_Store store(f.Dir);
    auto copies = store.Take_Orphans();
    ASSERT_EQ(copies.size(), 1u) << start;
    store.Decline(copies[0]);
  }
  EXPECT_TRUE(fs::is_empty(f.Dir));
}

// A modified document of frames of one colour.
struct Document : Editing_State {
  Document(int size, int total) {
    Anim_Strip = Raster_Image(size * total, size, 0x112233);
    Frame_Size = size;
    Frame_Total = total;
    Section_End = total - 1;
    Anim_Modified = true;
    Anim_File_Name = "/home/a/walk.png";
    Working_Frame = Raster_Image(size, size, 0x112233);
  }
};

TEST(Recovery_Keeper_Schedule, CopiesThirtySecondsAfterTheLookBeforeAChangeAtMostEveryThirty) {
  // Looks at a time: '-' nothing, 'c' after a change, 'w' starting a copy,
  // 'b' both.
  const std::vector<std::vector<std::pair<std::int64_t, char>>> runs = {
      {{0, '-'}, {1000, 'c'}, {29999, '-'}, {30000, 'w'}},
      {{0, '-'}, {30000, 'b'}, {31000, 'c'}, {59999, 'c'}, {60000, 'w'}, {200000, '-'}},
      {{0, '-'}, {100000, 'b'}},
  };
  for (const auto& run : runs) {
    Folder f;
    Recovery_Store store(f.Dir);
    Recovery_Keeper keeper(store);
    Document doc(8, 2);
    int writes = 0;
    for (const auto& [at, what] : run) {
      if (what == 'c' || what == 'b') doc.Anim_Strip.SetPixel(int(at / 1000) % 16, 0, 0xFF);
      keeper.Tick(doc, at);
      keeper.Wait();
      writes += what == 'w' || what == 'b';
      EXPECT_EQ(keeper.Writes(), writes) << "at " << at;
    }
  }
}

TEST(Recovery_Keeper_Copy, HoldsTheStripAsDrawnAndStartsOverWhenItChangesUnderTheSnapshot) {
  Folder f;
  Document doc(32, 2000);  // wider than one piece of a snapshot
  {
    Recovery_Store store(f.Dir);
    Recovery_Keeper keeper(store);
    keeper.Tick(doc, 0);
    EXPECT_EQ(keeper.Tick(doc, 30000), Recovery_Keeper::Step_Ms);
    doc.Anim_Strip.SetPixel(32, 0, 0x445566);  // in the piece already looked at
    doc.Working_Frame.SetPixel(3, 3, 0x778899);
    doc.Frame_Edited = true;
    // Playback replaces the working frame at every tick: the look goes on.
    for (int t = 30010; keeper.Writes() == 0 && t < 31000; t += 10) {
      doc.Working_Frame.Touch();
      keeper.Tick(doc, t);
    }
    ASSERT_EQ(keeper.Writes(), 1);
    keeper.Wait();
  }  // the program ends unsaved
  const std::optional<Recovered_Copy> copy = f.Only_Copy();
  ASSERT_TRUE(copy);
  doc.Commit_Frame();
  EXPECT_TRUE(Same_Pixels(copy->Strip, doc.Anim_Strip));
  EXPECT_EQ(copy->Info.Path, doc.Anim_File_Name);
}

TEST(Recovery_Keeper_Copy, RewritesOnlyTheRunsThatChangedAndKeepsNoOtherPictures) {
  Folder f;
  Document doc(32, 600);  // three runs
  {
    Recovery_Store store(f.Dir);
    Recovery_Keeper keeper(store);
    std::int64_t now = 0;
    for (const int runs : {3, 1, 0}) {
      const int before = keeper.Runs_Written(), writes = keeper.Writes();
      keeper.Tick(doc, now);
      for (now += 30000; keeper.Writes() == writes; now += 10) keeper.Tick(doc, now);
      keeper.Wait();
      EXPECT_EQ(keeper.Runs_Written() - before, runs);
      // Drawing not yet committed, in the middle run; then only a mark moves.
      doc.Cur_Frame = 300;
      doc.Working_Frame.SetPixel(3, 3, 0x778899);
      doc.Frame_Edited = true;
      if (runs == 1) doc.Section_Start = 1;
    }
    int pictures = 0;
    for (const auto& e : fs::directory_iterator(f.Dir)) pictures += e.path().extension() == ".png";
    EXPECT_EQ(pictures, 3);
  }  // the program ends unsaved
  const std::optional<Recovered_Copy> copy = f.Only_Copy();
  ASSERT_TRUE(copy);
  doc.Commit_Frame();
  EXPECT_TRUE(Same_Pixels(copy->Strip, doc.Anim_Strip));
  EXPECT_EQ(copy->Info.Section_Start, 1);
}

TEST(Recovery_Keeper_Copy, AFailedPictureWriteLeavesTheLastCopyOffered) {
  Folder f;
  Document doc(8, 2);
  const Raster_Image first = doc.Anim_Strip;
  {
    Recovery_Store store(f.Dir);
    Recovery_Keeper keeper(store);
    // A folder where the second picture goes: its write cannot succeed.
    fs::create_directories(store.Path_Of(store.Run_Name(2, 0)));
    keeper.Tick(doc, 0);
    keeper.Tick(doc, 30000);
    keeper.Wait();
    doc.Anim_Strip.SetPixel(0, 0, 0xFF);
    keeper.Tick(doc, 31000);
    keeper.Tick(doc, 60000);
    keeper.Wait();
    ASSERT_EQ(keeper.Writes(), 2);
    ASSERT_TRUE(keeper.Take_Failure().has_value());
  }  // the program ends unsaved
  const std::optional<Recovered_Copy> copy = f.Only_Copy();
  ASSERT_TRUE(copy);
  EXPECT_TRUE(Same_Pixels(copy->Strip, first));
}

}  // namespace
}  // namespace tolvane
