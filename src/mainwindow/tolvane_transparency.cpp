#include <filesystem>

#include "document/picture_file.h"
#include "mainwindow/tolvane.h"
#include "mainwindow/transparency.h"

namespace tolvane {

std::string Partly_Transparent_Text(std::int64_t count) {
  return std::to_string(count) + (count == 1 ? " pixel was" : " pixels were") +
         " partly transparent. They are now solid, blended over the transparent colour.";
}

}  // namespace tolvane

namespace tolvane {

bool TTolvane::Go_On_Without_Transparency(const std::string& path) {
  if (!Transparent_Colour || Is_Png_Name(path) || !Ask_Bmp_Transparency) return true;
  const int answer = P.Show_Message_Box(
      "A BMP file keeps no transparency: the transparent pixels of " +
          std::filesystem::path(path).filename().string() +
          " will be saved solid. Save anyway?\n\nYes saves. No saves and does not ask again. "
          "Cancel keeps the document unsaved.",
      Msg_Kind::Confirmation, mb_Yes | mb_No | mb_Cancel);
  if (answer == id_No) Ask_Bmp_Transparency = false;
  return answer == id_Yes || answer == id_No;
}

}  // namespace tolvane

namespace tolvane {

void TTolvane::ShowTransparency1Click() {
  Aids.Transparency = !Aids.Transparency;
  Redraw_Zoom();
}

void TTolvane::TransparentColour1Click() {
  if (!Document_Open()) return;
  Stop_Playback();
  Drop_Selection();
  Step_Scope step(*this, Transparent_Colour ? "Remove Transparent Colour" : "Transparent Colour");
  if (Transparent_Colour)
    Transparent_Colour.reset();
  else
    Transparent_Colour = Selected_Colour1 & Colour_Mask;
  Anim_Modified = true;
  Redraw_Zoom();
}

void TTolvane::Show_Transparent_Colour() {
  if (Swatch_Transparent == Transparent_Colour) return;
  Swatch_Transparent = Transparent_Colour;
  Paint_Selected1();
  Paint_Selected2();
}

}  // namespace tolvane
