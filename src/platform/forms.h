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

class IForms {
 public:
  virtual ~IForms() = default;
  virtual std::unique_ptr<IForm> Load(const FormDesign& design) = 0;
};

}  // namespace voxtrel::platform
