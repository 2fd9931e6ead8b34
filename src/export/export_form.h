#pragma once
#include <string>
#include <vector>

#include "document/export_choices.h"
#include "export/export_frames.h"
#include "platform/form.h"
#include "platform/platform.h"

namespace tolvane {

// What the Export GIF and Export Sheet dialogs share: the frames to take (all
// or the marked section), the scale, the Crop/Mount colour, a line telling
// what the file will hold, Ok and Cancel. The command sets the document's
// numbers before it opens the dialog and reads Accepted and the choices
// after it. The choices live in the main window's Export_Choices, kept in
// the settings file.
class TExport_Form : public TForm {
 public:
  explicit TExport_Form(Platform& p);
  Platform& P;

  Radio_Group Frames_Choice;  // "All frames", "Section a to b"
  Label Scale_Label;
  Spin_Edit Scale;
  Panel Mount_Panel;  // the Crop/Mount colour: click to change
  Label Info;         // what the file will hold
  Check_Box Loop;     // play forever, as the JSON or the GIF says
  Button Ok, Cancel;
  Colour_Dialog ColorDialog1;

  // Set by the command before the dialog opens.
  int Frame_Total = 1, Frame_Size = 32;
  int Section_Start = 0, Section_End = 0;
  int Fps = 10;
  std::vector<int> Frame_Ms;  // the frames' own durations (Editing_State's)
  bool Loop_On = true;        // the Loop button, set by the command
  // The main window's; set by the application.
  Colour* Mount_Colour = nullptr;
  Export_Choices* Choices = nullptr;

  bool Accepted = false;  // set by Ok

  // The document's numbers, set by the command before it opens the dialog.
  void Set_Document(int frame_total, int frame_size, int section_start, int section_end, int fps);
  // The frames chosen.
  Frame_Span Frames() const;
  // The scale typed, brought into 1..8.
  int Scale_Value() const;

  void FormShow() override;
  void Frames_ChoiceClick();
  // A number field's text changed, typed or stepped: the info line follows.
  void Choice_Changed();
  void Mount_PanelClick();
  void OkClick();
  void CancelClick();

 protected:
  // The kept choices into the controls, and back at Ok.
  virtual void Show_Choices(const Export_Choices& c) = 0;
  virtual void Keep_Choices(Export_Choices& c) = 0;
  virtual void Frames_Changed() {}
  virtual std::string Info_Text() const = 0;
  Colour Mount() const { return Mount_Colour ? *Mount_Colour : 0; }
};

// "Export GIF": frames, scale, loop, the transparent colour and whether a
// frame of too many colours is dithered. Loop starts as the Loop button
// stands, each time, in both dialogs.
class TGif_Export_Form : public TExport_Form {
 public:
  explicit TGif_Export_Form(Platform& p);

  Check_Box Transparent, Dither;
  // Set before it opens: the document has a transparent colour, which the
  // GIF takes whatever the box says, so the box shows it checked and fixed.
  bool Document_Transparent = false;

 protected:
  void Show_Choices(const Export_Choices& c) override;
  void Keep_Choices(Export_Choices& c) override;
  std::string Info_Text() const override;
};

// "Export Sheet": frames, columns (1 to the frames chosen; all of them, one
// row, by default), scale, padding and loop.
class TSheet_Export_Form : public TExport_Form {
 public:
  explicit TSheet_Export_Form(Platform& p);

  Label Columns_Label, Padding_Label;
  Spin_Edit Columns, Padding;

  int Columns_Value() const;
  int Padding_Value() const;

 protected:
  void Show_Choices(const Export_Choices& c) override;
  void Keep_Choices(Export_Choices& c) override;
  void Frames_Changed() override;
  std::string Info_Text() const override;
};

}  // namespace tolvane
