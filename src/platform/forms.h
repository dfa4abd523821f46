#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace voxtrel::platform {

// Pixels; controls are placed in the form's client area and may lie partly outside it.
struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct LabelDesign {
  std::string name;
  Rect bounds;
  std::string caption;
};

// A picture box with a border of `border` pixels on each side; it is drawn on in its own
// pixel coordinates, origin at the inner top-left corner.
struct PictureDesign {
  std::string name;
  Rect bounds;
  int border = 2;
};

struct FormDesign {
  std::string caption;
  int clientWidth = 0;
  int clientHeight = 0;
  std::vector<LabelDesign> labels;
  std::vector<PictureDesign> pictures;
};

// The drawing methods of a picture box, in its pixel scale. Drawing persists until Cls.
class IDrawingSurface {
 public:
  virtual ~IDrawingSurface() = default;
  // The inner height in scale units (pixels).
  virtual double ScaleHeight() = 0;
  virtual void Cls() = 0;
  // A Windows colour value: 0x00BBGGRR.
  virtual void SetForeColor(std::uint32_t color) = 0;
  // A box filled in the foreground colour with corners (x1, y1) and (x2, y2).
  virtual void FillBox(double x1, double y1, double x2, double y2) = 0;
  virtual void DrawLine(double x1, double y1, double x2, double y2) = 0;
};

// A loaded form: a window that exists until the object is destroyed (unloaded). It starts
// hidden.
class IForm {
 public:
  virtual ~IForm() = default;
  virtual void Show() = 0;  // not modal
  virtual void Hide() = 0;
  virtual bool Visible() = 0;
  // Topmost at (x, y) screen pixels, size unchanged (SetWindowPos, HWND_TOPMOST, SWP_NOSIZE).
  virtual void PlaceTopmost(int x, int y) = 0;
  virtual void SetLabelCaption(std::string_view label, std::string_view caption) = 0;
  virtual IDrawingSurface& Picture(std::string_view name) = 0;
  // Repaints the window at once.
  virtual void Refresh() = 0;
};

// A dialog: a window with a close box, a picture, a label in a font of its own, check boxes
// and buttons; the user's clicks come back as events.
struct FontDesign {
  std::string face;
  double points = 8;
  bool bold = false;
};

struct StyledLabelDesign {
  LabelDesign label;
  FontDesign font;
};

// A bitmap resource of the add-in's module, shown at its own size.
struct ImageDesign {
  std::string name;
  Rect bounds;
  int resource = 0;
};

// Check boxes have the states 0 (clear), 1 (ticked) and 2 (grey); their caption wraps.
struct CheckBoxDesign {
  std::string name;
  Rect bounds;
  std::string caption;
  bool visible = true;
};

// The cancel button is the one Esc presses.
struct ButtonDesign {
  std::string name;
  Rect bounds;
  std::string caption;
  bool cancel = false;
};

struct DialogDesign {
  std::string caption;
  int clientWidth = 0;
  int clientHeight = 0;
  std::vector<ImageDesign> images;
  std::vector<StyledLabelDesign> labels;
  std::vector<CheckBoxDesign> checkBoxes;
  std::vector<ButtonDesign> buttons;
};

class IDialogEvents {
 public:
  virtual ~IDialogEvents() = default;
  // A check box's state changed (by the user or by SetValue) or a button was pressed.
  virtual void Click(std::string_view control) = 0;
  // The window's close box.
  virtual void CloseBox() = 0;
};

// A loaded dialog: its window exists, hidden, until the object is destroyed (unloaded). Events
// may destroy it from inside their handler.
class IDialog {
 public:
  virtual ~IDialog() = default;
  // Shows it modeless and brings it to the front.
  virtual void Show() = 0;
  // The window's handle (an HWND on Windows), for calls that take an owner window.
  virtual std::uintptr_t hWnd() = 0;
  // The window icon from an icon resource of the add-in's module.
  virtual void SetIcon(int resource) = 0;
  virtual std::string LabelCaption(std::string_view label) = 0;
  virtual void SetLabelCaption(std::string_view label, std::string_view caption) = 0;
  virtual void SetCheckBoxVisible(std::string_view box, bool visible) = 0;
  virtual int CheckBoxValue(std::string_view box) = 0;
  // Raises the box's Click when the state changes, as the classic check box does.
  virtual void SetCheckBoxValue(std::string_view box, int value) = 0;
};

class IForms {
 public:
  virtual ~IForms() = default;
  virtual std::unique_ptr<IForm> Load(const FormDesign& design) = 0;
  // `events` outlives the dialog.
  virtual std::unique_ptr<IDialog> LoadDialog(const DialogDesign& design,
                                              IDialogEvents& events) = 0;
};

}  // namespace voxtrel::platform
