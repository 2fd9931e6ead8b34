#include "bmp/bmp.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {

void Tolvane_Test::Load_Strip(const Raster_Image& strip, const std::string& name) {
  Write_Bmp(Path(name), strip);
  Load_File(Path(name));
}

void Tolvane_Test::Load_File(const std::string& path) {
  P.Open_Answers.push_back(path);
  T().Load1Click();
  T().Show_State();
}

Raster_Image Tolvane_Test::Saved_Strip(const std::string& name) {
  P.Save_Answers.push_back(Path(name));
  T().SaveAs1Click();
  EXPECT_TRUE(T().Session.Saved()) << name;
  return Read_Bmp(Path(name));
}

}  // namespace tolvane::testing
