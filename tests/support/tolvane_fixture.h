#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>

#include "mainwindow/application.h"
#include "support/fake_platform.h"

namespace tolvane::testing {

// A strip whose frames are each one solid colour.
Raster_Image Solid_Strip(std::initializer_list<Colour> frame_colours, int size);
// True when every pixel of frame i of the strip is c.
bool Frame_Is(const Raster_Image& strip, int size, int i, Colour c);
// True when every pixel of the image is c.
bool All_Pixels(const Raster_Image& image, Colour c);

// A fresh program with a scripted user: forms created in order, settings in a
// temporary folder of its own.
class Tolvane_Test : public ::testing::Test {
 protected:
  Tolvane_Test();
  ~Tolvane_Test() override;

  Fake_Platform P;
  std::filesystem::path Dir;  // temporary folder, removed afterwards
  Application App{P};
  TTolvane& T() { return *App.Tolvane; }

  std::string Path(const std::string& name) const { return (Dir / name).string(); }

  // New through the frame size dialog: item 0..3 for 16/32/64/128, or any
  // other size through "Other".
  void New_Anim(int size);
  // Writes the strip as a BMP in Dir and loads it through the open dialog.
  void Load_Strip(const Raster_Image& strip, const std::string& name = "anim.bmp");
  // Loads an existing file through the open dialog.
  void Load_File(const std::string& path);
  // The strip as the user sees it, with the working frame's changes in it.
  Raster_Image Document_Strip();
  // Saves the animation through Save As under Dir and reads the file back.
  Raster_Image Saved_Strip(const std::string& name = "saved.bmp");
};

}  // namespace tolvane::testing
