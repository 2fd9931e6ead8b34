// The BMP writer: the exact bytes of the header, padding and row order,
// round trips, and the save that replaces a file only when it succeeds.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <stdexcept>

#include <chrono>
#include <csignal>
#include <cstdlib>

#include <cerrno>
#include <functional>
#include <thread>

#include "bmp/bmp.h"
#include "image/image_error.h"
#include "support/bmp_test_helpers.h"
#include "support/simd_levels.h"

namespace tolvane {
namespace {

using namespace bmp_testing;
namespace fs = std::filesystem;

std::uint32_t Le(const Bytes& b, std::size_t at, int n) {
  std::uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v << 8 | b[at + i];
  return v;
}

std::vector<std::string> Names_In(const fs::path& dir) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

long Plain_Write(int fd, const void* data, std::size_t size) {
  return long(::write(fd, data, size));
}

TEST(BmpWrite, HeaderOfAThreeFrameStripOf32) {
  Temp_Dir dir;
  const Raster_Image strip = Test_Picture(96, 32);
  Write_Bmp(dir / "strip.bmp", strip);
  const Bytes b = Read_File(dir / "strip.bmp");
  ASSERT_EQ(b.size(), 14u + 40 + 288 * 32);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(Le(b, 2, 4), 14u + 40 + 288 * 32);  // file size
  EXPECT_EQ(Le(b, 6, 4), 0u);                   // reserved
  EXPECT_EQ(Le(b, 10, 4), 54u);                 // pixel offset
  EXPECT_EQ(Le(b, 14, 4), 40u);                 // info header size
  EXPECT_EQ(Le(b, 18, 4), 96u);
  EXPECT_EQ(Le(b, 22, 4), 32u);  // positive: bottom-up
  EXPECT_EQ(Le(b, 26, 2), 1u);   // planes
  EXPECT_EQ(Le(b, 28, 2), 24u);  // bits per pixel
  EXPECT_EQ(Le(b, 30, 4), 0u);   // no compression
  EXPECT_EQ(Le(b, 34, 4), 288u * 32);
  for (std::size_t at = 38; at < 54; at += 4) EXPECT_EQ(Le(b, at, 4), 0u) << at;
  // The first row stored is the bottom row, blue, green, red.
  const Colour bottom_left = strip.At(0, 31);
  EXPECT_EQ(b[54], Blue_Of(bottom_left));
  EXPECT_EQ(b[55], Green_Of(bottom_left));
  EXPECT_EQ(b[56], Red_Of(bottom_left));
  const Colour top_right = strip.At(95, 0);
  EXPECT_EQ(b[b.size() - 3], Blue_Of(top_right));
  EXPECT_EQ(b[b.size() - 1], Red_Of(top_right));
}

TEST(BmpWrite, RowsArePaddedWithZeroBytes) {
  Temp_Dir dir;
  for (int w : {1, 2, 3, 5}) {
    Raster_Image img(w, 2, 0xFFFFFF);
    Write_Bmp(dir / "p.bmp", img);
    const Bytes b = Read_File(dir / "p.bmp");
    const std::size_t row = (std::size_t(w) * 3 + 3) / 4 * 4;
    ASSERT_EQ(b.size(), 54 + 2 * row) << w;
    EXPECT_EQ(Le(b, 34, 4), 2 * row);
    for (int y = 0; y < 2; ++y)
      for (std::size_t i = 0; i < row; ++i)
        EXPECT_EQ(b[54 + y * row + i], i < std::size_t(w) * 3 ? 0xFF : 0x00) << w << " " << i;
  }
}

using BmpWriteRows = testing::At_Each_Simd_Level<>;
TOLVANE_AT_EACH_SIMD_LEVEL(BmpWriteRows);

TEST_P(BmpWriteRows, RoundTripsOddWidthsAndManyRowBlocks) {
  Temp_Dir dir;
  // Widths 1, 2, 3, 5 need 3, 2, 3, 1 padding bytes; 700 x 400 spans
  // several write blocks; 16384 x 2 is one wide row per block; 1001 x 613
  // is large enough to be made on a second thread, its last block short.
  const std::pair<int, int> sizes[] = {{1, 1}, {2, 3},     {3, 2},     {5, 5},
                                       {7, 1}, {700, 400}, {16384, 2}, {1001, 613}};
  for (auto [w, h] : sizes) {
    Raster_Image img = Test_Picture(w, h, unsigned(w * 31 + h));
    img.SetPixel(0, 0, 0x123456);
    Write_Bmp(dir / "rt.bmp", img);
    EXPECT_EQ(Difference(Read_Bmp(dir / "rt.bmp"), img), "") << w << "x" << h;
  }
}

// The wide rows against the plain path, byte for byte, with the colours'
// high bytes set.
TEST_P(BmpWriteRows, RowsMatchThePlainPathAtEveryWidth) {
  Temp_Dir dir;
  auto encode = [&](const Raster_Image& img) {
    Bytes out;
    Write_Bmp(dir / "w.bmp", img, [&](int, const void* d, std::size_t n) {
      out.insert(out.end(), static_cast<const std::uint8_t*>(d),
                 static_cast<const std::uint8_t*>(d) + n);
      return long(n);
    });
    return out;
  };
  for (int w : testing::Row_Widths()) {
    Raster_Image img = Test_Picture(w, 3, unsigned(w));
    for (int i = 0; i < 3 * w; ++i) img.Data()[i] |= Colour(i) << 24;
    ASSERT_EQ(encode(img), testing::At_Plain([&] { return encode(img); })) << w;
  }
}

TEST(BmpWrite, HighByteOfAColourValueIsNotWritten) {
  Temp_Dir dir;
  Raster_Image img(5, 1);
  for (int x = 0; x < 5; ++x) img.Row(0)[x] = 0xAB000000u | Rgb(x, 2 * x, 3 * x);
  Write_Bmp(dir / "hb.bmp", img);
  const Raster_Image back = Read_Bmp(dir / "hb.bmp");
  for (int x = 0; x < 5; ++x) EXPECT_EQ(back.At(x, 0), Rgb(x, 2 * x, 3 * x));
}

TEST(BmpWrite, WritesInBlocksNotPixels) {
  Temp_Dir dir;
  int calls = 0;
  const Raster_Image img = Test_Picture(1000, 500);  // 1.5 MB of pixels
  Write_Bmp(dir / "blocks.bmp", img, [&](int fd, const void* d, std::size_t n) {
    ++calls;
    return Plain_Write(fd, d, n);
  });
  EXPECT_LE(calls, 12);
  EXPECT_EQ(Difference(Read_Bmp(dir / "blocks.bmp"), img), "");
}

TEST(BmpWriteAtomic, MissingFolderGivesCannotCreate) {
  Temp_Dir dir;
  const std::string path = dir / "no/such/folder/anim.bmp";
  try {
    Write_Bmp(path, Test_Picture(4, 4));
    ADD_FAILURE();
  } catch (const Toolkit_Error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + path);
  }
  EXPECT_TRUE(Names_In(dir.Path()).empty());
}

TEST(BmpWriteAtomic, TargetThatIsAFolderGivesCannotCreateAndLeavesNoTemporary) {
  Temp_Dir dir;
  fs::create_directory(dir.Path() / "taken.bmp");
  try {
    Write_Bmp(dir / "taken.bmp", Test_Picture(4, 4));
    ADD_FAILURE();
  } catch (const Toolkit_Error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + (dir / "taken.bmp"));
  }
  EXPECT_EQ(Names_In(dir.Path()), std::vector<std::string>{"taken.bmp"});
}

TEST(BmpWriteAtomic, WriteFailingPartWayKeepsTheOldFile) {
  Temp_Dir dir;
  const std::string path = dir / "anim.bmp";
  Write_Bmp(path, Test_Picture(64, 32, 1));
  const Bytes old = Read_File(path);
  // The disk fills after the first block, and at the very first write.
  for (int good_calls : {1, 0}) {
    int calls = 0;
    try {
      Write_Bmp(path, Test_Picture(2000, 300, 2), [&](int fd, const void* d, std::size_t n) {
        if (calls++ >= good_calls) {
          errno = ENOSPC;
          return -1L;
        }
        return Plain_Write(fd, d, n);
      });
      ADD_FAILURE() << "saved";
    } catch (const Toolkit_Error& e) {
      EXPECT_STREQ(e.what(), "Stream write error");
    }
    EXPECT_EQ(calls, good_calls + 1);
    EXPECT_EQ(Read_File(path), old);
    EXPECT_EQ(Names_In(dir.Path()), std::vector<std::string>{"anim.bmp"});
  }
  // A write function that throws ends the save with its error, not a hang.
  int calls = 0;
  EXPECT_THROW(Write_Bmp(path, Test_Picture(2000, 300, 2),
                         [&](int fd, const void* d, std::size_t n) {
                           if (++calls > 2) throw std::runtime_error("gone");
                           return Plain_Write(fd, d, n);
                         }),
               std::runtime_error);
  EXPECT_EQ(Read_File(path), old);
  // A write that stops making progress is a failure too, not a hang.
  try {
    Write_Bmp(path, Test_Picture(8, 8), [](int, const void*, std::size_t) { return 0L; });
    ADD_FAILURE();
  } catch (const Toolkit_Error& e) {
    EXPECT_STREQ(e.what(), "Stream write error");
  }
  EXPECT_EQ(Read_File(path), old);
}

TEST(BmpWriteAtomic, ShortWritesAreContinued) {
  Temp_Dir dir;
  const Raster_Image img = Test_Picture(33, 17);
  Write_Bmp(dir / "s.bmp", img, [](int fd, const void* d, std::size_t n) {
    return Plain_Write(fd, d, std::min<std::size_t>(n, 7));
  });
  EXPECT_EQ(Difference(Read_Bmp(dir / "s.bmp"), img), "");
}

// A write function that keeps the bytes (an encoder into memory) gets the
// whole file, and the file on disk is neither replaced nor emptied; no file
// is made beside it meanwhile.
TEST(BmpWriteAtomic, BytesKeptInMemoryLeaveTheTargetAlone) {
  Temp_Dir dir;
  const std::string path = dir / "anim.bmp";
  Write_Bmp(path, Test_Picture(4, 4, 1));
  const Bytes old = Read_File(path);
  const Raster_Image img = Test_Picture(370, 500, 2);  // several blocks
  Bytes kept;
  Write_Bmp(path, img, [&](int, const void* d, std::size_t n) {
    EXPECT_EQ(Names_In(dir.Path()), std::vector<std::string>{"anim.bmp"});
    kept.insert(kept.end(), static_cast<const std::uint8_t*>(d),
                static_cast<const std::uint8_t*>(d) + n);
    return long(n);
  });
  EXPECT_EQ(Difference(Decode_Bmp(kept.data(), kept.size()), img), "");
  EXPECT_EQ(Read_File(path), old);
  EXPECT_EQ(Names_In(dir.Path()), std::vector<std::string>{"anim.bmp"});
}

TEST(BmpWriteAtomic, ReplacingKeepsPermissionsAndSymbolicLinks) {
  Temp_Dir dir;
  const std::string real = dir / "real.bmp", link = dir / "link.bmp";
  Write_Bmp(real, Test_Picture(4, 4, 1));
  ::chmod(real.c_str(), 0640);
  fs::create_symlink(real, link);
  const Raster_Image img = Test_Picture(6, 6, 2);
  Write_Bmp(link, img);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Difference(Read_Bmp(real), img), "");
  struct stat st;
  ASSERT_EQ(::stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(Names_In(dir.Path()), (std::vector<std::string>{"link.bmp", "real.bmp"}));
}

TEST(BmpWriteAtomic, NewFileGetsTheUsualPermissions) {
  Temp_Dir dir;
  const mode_t mask = ::umask(022);
  Write_Bmp(dir / "new.bmp", Test_Picture(2, 2));
  ::umask(mask);
  struct stat st;
  ASSERT_EQ(::stat((dir / "new.bmp").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}

// Not every target can be replaced by renaming: other names of a hard-linked
// file must see the new pictures, and a device must be written, not replaced.
TEST(BmpWriteAtomic, HardLinksSeeTheNewFileAndDevicesAreWrittenNotReplaced) {
  Temp_Dir dir;
  const std::string a = dir / "a.bmp", b = dir / "b.bmp";
  Write_Bmp(a, Test_Picture(4, 4, 1));
  fs::create_hard_link(a, b);
  const Raster_Image img = Test_Picture(8, 4, 2);
  Write_Bmp(a, img);
  EXPECT_EQ(Difference(Read_Bmp(b), img), "");
  EXPECT_EQ(fs::hard_link_count(a), 2u);
  EXPECT_EQ(Names_In(dir.Path()), (std::vector<std::string>{"a.bmp", "b.bmp"}));

  if (!fs::is_character_file("/dev/full")) GTEST_SKIP() << "no /dev/full";
  try {
    Write_Bmp("/dev/full", img);
    ADD_FAILURE() << "a full device took the file";
  } catch (const Toolkit_Error& e) {
    EXPECT_STREQ(e.what(), "Stream write error");
  }
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

// A save killed at any moment leaves the old file or the new one, never a
// mixture or nothing; the next save clears what the killed one left behind.
TEST(BmpWriteAtomic, KilledSaveLeavesTheOldOrTheNewFile) {
  Temp_Dir dir;
  const std::string path = dir / "anim.bmp";
  const Raster_Image old_img = Test_Picture(256, 64, 1), new_img = Test_Picture(4096, 512, 2);
  Write_Bmp(path, old_img);
  const Bytes old_bytes = Read_File(path);
  Write_Bmp(dir / "new.bmp", new_img);
  const Bytes new_bytes = Read_File(dir / "new.bmp");
  fs::remove(dir / "new.bmp");

  // Kill moments spread over twice what one save takes on this machine.
  const auto start = std::chrono::steady_clock::now();
  Write_Bmp(dir / "timing.bmp", new_img);
  const long save_us = long(std::chrono::duration_cast<std::chrono::microseconds>(
                                std::chrono::steady_clock::now() - start)
                                .count());
  fs::remove(dir / "timing.bmp");

  std::srand(1234);
  int olds = 0, news = 0;
  for (int trial = 0; trial < 100; ++trial) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      Write_Bmp(path, new_img);
      _exit(0);
    }
    ::usleep(useconds_t(std::rand() % (2 * save_us + 1)));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    const Bytes now = Read_File(path);
    ASSERT_TRUE(now == old_bytes || now == new_bytes) << "trial " << trial;
    (now == old_bytes ? olds : news)++;
    Write_Bmp(path, old_img);
    EXPECT_EQ(Names_In(dir.Path()), std::vector<std::string>{"anim.bmp"}) << "trial " << trial;
  }
  // Both outcomes happened, so the kills did land during saves.
  EXPECT_GT(olds, 0);
  EXPECT_GT(news, 0);
}

// A file-size limit makes the write fail, not the program end.
TEST(BmpWriteAtomic, FileSizeLimitGivesStreamWriteErrorAndKeepsTheOldFile) {
  Temp_Dir dir;
  const std::string path = dir / "anim.bmp";
  Write_Bmp(path, Test_Picture(16, 16, 1));
  const Bytes old = Read_File(path);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);  // as the program does
    const rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    try {
      Write_Bmp(path, Test_Picture(200, 200, 2));
    } catch (const Toolkit_Error& e) {
      _exit(std::string(e.what()) == "Stream write error" ? 0 : 1);
    }
    _exit(2);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: other message, 2: no error";
  EXPECT_EQ(Read_File(path), old);
  EXPECT_EQ(Names_In(dir.Path()), std::vector<std::string>{"anim.bmp"});
}

// The pixel bytes as the plain rule gives them: bottom-up rows of B, G, R,
// each padded with zeros to four bytes.
Bytes Plain_Pixels(const Raster_Image& img) {
  Bytes out;
  for (int y = img.Height() - 1; y >= 0; --y) {
    for (int x = 0; x < img.Width(); ++x)
      for (const Colour c : {Blue_Of(img.At(x, y)), Green_Of(img.At(x, y)), Red_Of(img.At(x, y))})
        out.push_back(std::uint8_t(c));
    out.resize((out.size() + 3) & ~std::size_t{3});
  }
  return out;
}

// Saves into memory and returns the pixel bytes; pace(n) runs before the
// sink takes its nth block, and may hold it up, refuse it or throw.
Bytes Encode(const Raster_Image& img, const std::function<bool(int)>& pace) {
  Temp_Dir dir;
  Bytes out;
  int calls = 0;
  Write_Bmp(dir / "big.bmp", img, [&](int, const void* d, std::size_t n) -> long {
    if (!pace(calls++)) return -1;
    out.insert(out.end(), static_cast<const std::uint8_t*>(d),
               static_cast<const std::uint8_t*>(d) + n);
    return long(n);
  });
  return Bytes(out.begin() + 54, out.end());
}

// Pictures of a megabyte and more are made on two threads. Whatever the
// sink's pace, the rows come out whole and in order; a failed save ends
// only itself (each case runs after the one before); and two saves at once
// are both whole.
TEST(BmpWriteLarge, RowsInOrderAtEveryPaceAfterFailuresAndTwoAtOnce) {
  const Raster_Image img = Test_Picture(2001, 700, 3), other = Test_Picture(1500, 900, 4);
  const auto at_once = [](int) { return true; };
  const std::function<bool(int)> paces[] = {
      at_once,
      [](int n) { return n > 0 || ::usleep(5000) == 0; },      // late first block
      [](int n) { return n < 3; },                             // refused
      [](int n) { return n % 2 == 0 || ::usleep(400) == 0; },  // every other block late
      [](int n) { return n < 2 || (throw std::runtime_error("full"), false); },  // throws
  };
  for (std::size_t i = 0; i < std::size(paces); ++i) {
    const bool fails = i == 2 || i == 4;
    try {
      EXPECT_EQ(Encode(img, paces[i]), Plain_Pixels(img)) << i;
      EXPECT_FALSE(fails) << i;
    } catch (const std::exception& e) {
      EXPECT_TRUE(fails) << i << ": " << e.what();
    }
  }
  Bytes other_bytes;
  std::thread second([&] { other_bytes = Encode(other, at_once); });
  EXPECT_EQ(Encode(img, at_once), Plain_Pixels(img));
  second.join();
  EXPECT_EQ(other_bytes, Plain_Pixels(other));
}

}  // namespace
}  // namespace tolvane
