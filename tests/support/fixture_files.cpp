#include "document/bmp.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {

void Tolvane_Test::Load_Strip(const Raster_Image& strip, const std::string& name) {
  Write_Bmp(Path(name), strip);
  Load_File(Path(name));
}

void Tolvane_Test::Load_File(const std::string& path) {
  P.Open_Answers.push_back(path);
  T().Load1Click();
}

}  // namespace tolvane::testing
