#pragma once
#include <optional>
#include <string>
#include <vector>

#include "image/raster_image.h"
#include "import/retrieval.h"
#include "platform/form.h"
#include "platform/platform.h"

namespace tolvane {

class TLoading_Window;

// A captioned frame around other controls.
struct Group_Box : Control {
  std::string Caption;
};

// The picture window of the retrieval dialog: the whole picture at actual
// size. Not modal; its view follows Visible.
// Whether the retrieval dialog decodes path as a PCX picture: its extension,
// in upper case, contains "PCX".
bool Is_Pcx_Name(const std::string& path);

class TImport_View : public TForm {
 public:
  TImport_View() { Name = "Import_View"; }
  Image_Control Image1;
};

// "Frame Retrieval...": cuts an animation out of an arbitrary picture. The
// caller sets Import_File_Name, opens it modally and reads Retrieval_Done,
// then Retrieved_Strip and Output_Frame_Size.
class TFrame_Extract : public TForm {
 public:
  explicit TFrame_Extract(Platform& p);
  Platform& P;

  Group_Box GroupBox1, GroupBox2, GroupBox3;
  Spin_Edit Frame_W, Frame_H, dest_fs, top_border, Left_Border;
  Label Label1, Label2, Label3, Label4;
  Radio_Group Adjust_Type;
  Panel Set_Mount;
  Radio_Group Lines;
  Label Label5, Label6;
  Panel Panel2;  // holds Frame, Crop_Marker and Crop; their bounds are relative to it
  Image_Control Frame;
  Bevel Crop_Marker;
  Control Crop;
  Speed_Button SpeedButton1, First, Prev, Next, Last;
  Bevel Bevel1;
  Image_Control Final_Preview;
  Label Frame_Count, Label7;
  Bevel Bevel3;
  Button Ok, Cancel;
  Panel Panel3;  // progress panel of the run; children relative to it
  Label Label8, Label9;
  Progress_Bar ProgBar;
  Colour_Dialog ColorDialog1;

  // Set by the application.
  Colour* Mount_Colour = nullptr;
  TImport_View* Import_View = nullptr;
  TLoading_Window* Loading_Window = nullptr;

  // Hand-over and working state.
  std::string Import_File_Name;
  Raster_Image Source_Picture, Input_Cell, Retrieved_Strip;
  // A GIF's transparent colour, which its retrieved frames keep.
  std::optional<Colour> Source_Transparent, Retrieved_Transparent;
  // A GIF's delays in ms, one per frame; the retrieved frames keep them
  // while the cells are the GIF's frames, one each.
  std::vector<int> Source_Delays, Retrieved_Durations;
  int Output_Frame_Size = 32;
  int Cells_Per_Row = 1, Cell_Rows = 1, Cell_Total = 0;
  int View_Cell = 0;
  bool Retrieval_Done = false;
  bool Crop_Dragging = false;
  int Drag_X = 0, Drag_Y = 0;

  void FormShow() override;
  void Close() override;  // also closes Import_View

  void Recount_Cells();
  void Cut_Cell(int i, int j);
  void Convert_Cell(Raster_Image& target, int type);
  void Refresh_Previews();

  void Frame_WChange();  // Frame_W, Frame_H, top_border, Left_Border
  void dest_fsChange();
  void Adjust_TypeClick();
  void LinesClick();
  void FirstClick();
  void PrevClick();
  void NextClick();
  void LastClick();
  void CropMouseDown(Mouse_Button button, unsigned shift, int x, int y);
  void CropMouseMove(unsigned shift, int x, int y);
  void CropMouseUp(Mouse_Button button, unsigned shift, int x, int y);
  void SpeedButton1Click();
  void Set_MountClick();
  void OkClick();
  void CancelClick();

  // Number fields. The views call these: Field_Edited after the user typed
  // (Text already holds the new text), Field_Exit when the field loses the
  // focus, Field_Set for the up/down buttons and the program's own changes.
  // Each runs the field's change handler when its text changed.
  void Field_Edited(Spin_Edit& field);
  void Field_Exit(Spin_Edit& field);
  void Field_Set(Spin_Edit& field, int value);
  // A field's value, brought into its range.
  static int Field_Value(const Spin_Edit& field);

  // The grid and the conversion as the fields give them now.
  Cell_Grid Grid() const;
  Conversion Current_Conversion() const;

 private:
  bool Any_Field_Empty() const;
  void Commit_Fields();
  void Hide_Crop();
};

}  // namespace tolvane
