#include "win32/platform/win32_forms.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "win32/base/gdi_handles.h"
#include "win32/base/module.h"
#include "win32/base/text.h"

namespace voxtrel::win32 {
namespace {

constexpr wchar_t kFormClass[] = L"VoxtrelForm";
constexpr wchar_t kPictureClass[] = L"VoxtrelPictureBox";
// A small-caption tool window: no taskbar button, and no system menu, so no close box.
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_TOOLWINDOW;
constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kPictureStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;

LRESULT CALLBACK FormWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_CLOSE) {
    // The form lives until its owner unloads it: closing (Alt+F4) only hides it.
    ShowWindow(window, SW_HIDE);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

const wchar_t* FormClass() {
  return RegisterWindowClass({.name = kFormClass,
                              .procedure = &FormWindowProc,
                              .background = GetSysColorBrush(COLOR_BTNFACE),
                              .cursor = LoadCursorW(nullptr, IDC_ARROW)});
}

bool SameName(std::string_view a, std::string_view b) {
  const auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&](char x, char y) { return lower(x) == lower(y); });
}

// Colour values with the high bit set name a system colour, as the classic properties allow.
COLORREF ToColorRef(std::uint32_t color) {
  if ((color & 0x80000000u) != 0) return GetSysColor(static_cast<int>(color & 0xFFu));
  return color & 0x00FFFFFFu;
}

int ToPixel(double value) {
  // Far outside any picture, yet safe for GDI's coordinates.
  constexpr double kLimit = 1 << 24;
  if (std::isnan(value)) return 0;
  return static_cast<int>(std::lround(std::clamp(value, -kLimit, kLimit)));
}

UniqueBitmap CreateSurfaceBitmap(int width, int height) {
  const WindowDc screen(nullptr);
  return UniqueBitmap(CreateCompatibleBitmap(screen.get(), width, height));
}

// The classic 3-D border: a sunken edge, and button face for any width beyond its 2 pixels.
void PaintBorder(HDC dc, RECT rect, int border) {
  if (border <= 0) return;
  if (border == 1) {
    FrameRect(dc, &rect, GetSysColorBrush(COLOR_WINDOWFRAME));
    return;
  }
  DrawEdge(dc, &rect, EDGE_SUNKEN, BF_RECT);
  for (int ring = 2; ring < border; ++ring) {
    const RECT inner{rect.left + ring, rect.top + ring, rect.right - ring, rect.bottom - ring};
    FrameRect(dc, &inner, GetSysColorBrush(COLOR_BTNFACE));
  }
}

// A picture box: the drawing lives in a memory bitmap of the inner size, so it survives
// repaints, hiding and covering until Cls.
class PictureBox final : public platform::IDrawingSurface {
 public:
  PictureBox(HWND form, const platform::PictureDesign& design);
  PictureBox(const PictureBox&) = delete;
  PictureBox& operator=(const PictureBox&) = delete;

  const std::string& name() const { return name_; }

  double ScaleHeight() override { return static_cast<double>(innerHeight_); }
  void Cls() override;
  void SetForeColor(std::uint32_t color) override { foreColor_ = ToColorRef(color); }
  void FillBox(double x1, double y1, double x2, double y2) override;
  void DrawLine(double x1, double y1, double x2, double y2) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept;
  static const wchar_t* Class();
  void Clear();
  void Render(HDC target) const;
  void Invalidate() const;

  std::string name_;
  int border_;
  int width_;
  int height_;
  int innerWidth_;
  int innerHeight_;
  COLORREF foreColor_;
  UniqueMemoryDc dc_;
  UniqueBitmap bitmap_;
  ScopedSelection selection_;
  UniqueWindow window_;  // last, so it goes first: it paints from the bitmap
};

PictureBox::PictureBox(HWND form, const platform::PictureDesign& design)
    : name_(design.name),
      border_(std::max(design.border, 0)),
      width_(std::max(design.bounds.width, 0)),
      height_(std::max(design.bounds.height, 0)),
      innerWidth_(std::max(width_ - 2 * border_, 0)),
      innerHeight_(std::max(height_ - 2 * border_, 0)),
      foreColor_(GetSysColor(COLOR_BTNTEXT)),
      dc_(CreateCompatibleDC(nullptr)),
      bitmap_(CreateSurfaceBitmap(std::max(innerWidth_, 1), std::max(innerHeight_, 1))),
      selection_(dc_.get(), bitmap_.get()) {
  if (!dc_ || !bitmap_) throw std::runtime_error("cannot create the drawing surface of " + name_);
  Clear();
  window_.reset(CreateWindowExW(0, Class(), L"", kPictureStyle, design.bounds.left,
                                design.bounds.top, width_, height_, form, nullptr, ThisModule(),
                                this));
  if (!window_) throw std::runtime_error("cannot create the picture box " + name_);
}

const wchar_t* PictureBox::Class() {
  return RegisterWindowClass({.name = kPictureClass,
                              .procedure = &PictureBox::WindowProc,
                              .cursor = LoadCursorW(nullptr, IDC_ARROW)});
}

void PictureBox::Cls() {
  Clear();
  Invalidate();
}

void PictureBox::FillBox(double x1, double y1, double x2, double y2) {
  const int ax = ToPixel(x1);
  const int ay = ToPixel(y1);
  const int bx = ToPixel(x2);
  const int by = ToPixel(y2);
  // Both corners belong to the box, as with the classic Line ... BF.
  const RECT box{std::min(ax, bx), std::min(ay, by), std::max(ax, bx) + 1, std::max(ay, by) + 1};
  const UniqueBrush brush(CreateSolidBrush(foreColor_));
  FillRect(dc_.get(), &box, brush.get());
  Invalidate();
}

void PictureBox::DrawLine(double x1, double y1, double x2, double y2) {
  const int ax = ToPixel(x1);
  const int ay = ToPixel(y1);
  const int bx = ToPixel(x2);
  const int by = ToPixel(y2);
  const UniquePen pen(CreatePen(PS_SOLID, 1, foreColor_));
  const ScopedSelection selection(dc_.get(), pen.get());
  MoveToEx(dc_.get(), ax, ay, nullptr);
  LineTo(dc_.get(), bx, by);
  // LineTo leaves out the end point; the classic Line draws it.
  SetPixelV(dc_.get(), bx, by, foreColor_);
  Invalidate();
}

void PictureBox::Clear() {
  const RECT all{0, 0, innerWidth_, innerHeight_};
  FillRect(dc_.get(), &all, GetSysColorBrush(COLOR_BTNFACE));
}

void PictureBox::Render(HDC target) const {
  PaintBorder(target, RECT{0, 0, width_, height_}, border_);
  BitBlt(target, border_, border_, innerWidth_, innerHeight_, dc_.get(), 0, 0, SRCCOPY);
}

void PictureBox::Invalidate() const {
  // Shown at the next paint, as drawing with AutoRedraw is; a null window would mean all.
  if (window_) InvalidateRect(window_.get(), nullptr, FALSE);
}

LRESULT CALLBACK PictureBox::WindowProc(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) noexcept {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  const auto* picture =
      reinterpret_cast<const PictureBox*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (picture != nullptr) {
    switch (message) {
      case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers every pixel
      case WM_PAINT: {
        const PaintScope paint(window);
        picture->Render(paint.dc());
        return 0;
      }
      case WM_PRINTCLIENT:
        picture->Render(reinterpret_cast<HDC>(wParam));
        return 0;
      case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
      default:
        break;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Windows' frame may differ from AdjustWindowRectEx's (themes), so the client area is
// measured and the window corrected until it has the designed size.
void FitClientArea(HWND window, int width, int height) {
  RECT client{};
  GetClientRect(window, &client);
  const int extraWidth = width - (client.right - client.left);
  const int extraHeight = height - (client.bottom - client.top);
  if (extraWidth == 0 && extraHeight == 0) return;
  RECT frame{};
  GetWindowRect(window, &frame);
  SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + extraWidth,
               frame.bottom - frame.top + extraHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UniqueWindow CreateFormWindow(const platform::FormDesign& design) {
  const int clientWidth = std::max(design.clientWidth, 0);
  const int clientHeight = std::max(design.clientHeight, 0);
  RECT frame{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&frame, kFormStyle, FALSE, kFormExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  // Centred on the primary work area until the caller places it.
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int x = work.left + (work.right - work.left - width) / 2;
  const int y = work.top + (work.bottom - work.top - height) / 2;
  UniqueWindow window(CreateWindowExW(kFormExStyle, FormClass(), Utf8ToWide(design.caption).c_str(),
                                      kFormStyle, x, y, width, height, nullptr, nullptr,
                                      ThisModule(), nullptr));
  if (!window) throw std::runtime_error("cannot create the form " + design.caption);
  FitClientArea(window.get(), clientWidth, clientHeight);
  return window;
}

// The classic forms' default font, MS Sans Serif 8 pt, which the designed label sizes assume.
UniqueFont CreateFormFont() {
  const WindowDc screen(nullptr);
  const int height = -MulDiv(8, GetDeviceCaps(screen.get(), LOGPIXELSY), 72);
  return UniqueFont(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif"));
}

UniqueWindow CreateLabel(HWND form, const platform::LabelDesign& design, HFONT font) {
  UniqueWindow label(CreateWindowExW(0, L"STATIC", Utf8ToWide(design.caption).c_str(), kLabelStyle,
                                     design.bounds.left, design.bounds.top, design.bounds.width,
                                     design.bounds.height, form, nullptr, ThisModule(), nullptr));
  if (!label) throw std::runtime_error("cannot create the label " + design.name);
  SendMessageW(label.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return label;
}

class Form final : public platform::IForm {
 public:
  explicit Form(const platform::FormDesign& design);

  void Show() override { ShowWindow(window_.get(), SW_SHOWNA); }
  void Hide() override { ShowWindow(window_.get(), SW_HIDE); }
  bool Visible() override { return IsWindowVisible(window_.get()) != FALSE; }
  void PlaceTopmost(int x, int y) override {
    SetWindowPos(window_.get(), HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  }
  void SetLabelCaption(std::string_view label, std::string_view caption) override;
  platform::IDrawingSurface& Picture(std::string_view name) override;
  void Refresh() override {
    RedrawWindow(window_.get(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }

 private:
  struct Label {
    std::string name;
    UniqueWindow window;
  };

  // Children before their font and the form: members go in reverse order.
  UniqueWindow window_;
  UniqueFont font_;
  std::vector<Label> labels_;
  std::vector<std::unique_ptr<PictureBox>> pictures_;
};

Form::Form(const platform::FormDesign& design)
    : window_(CreateFormWindow(design)), font_(CreateFormFont()) {
  const HFONT font = font_ ? font_.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (const auto& label : design.labels) {
    labels_.push_back({label.name, CreateLabel(window_.get(), label, font)});
  }
  for (const auto& picture : design.pictures) {
    pictures_.push_back(std::make_unique<PictureBox>(window_.get(), picture));
  }
}

void Form::SetLabelCaption(std::string_view label, std::string_view caption) {
  const auto found = std::find_if(labels_.begin(), labels_.end(),
                                  [&](const Label& each) { return SameName(each.name, label); });
  if (found == labels_.end()) throw std::out_of_range("no label " + std::string(label));
  SetWindowTextW(found->window.get(), Utf8ToWide(caption).c_str());
}

platform::IDrawingSurface& Form::Picture(std::string_view name) {
  const auto found = std::find_if(pictures_.begin(), pictures_.end(),
                                  [&](const auto& each) { return SameName(each->name(), name); });
  if (found == pictures_.end()) throw std::out_of_range("no picture " + std::string(name));
  return **found;
}

}  // namespace

std::unique_ptr<platform::IForm> Win32Forms::Load(const platform::FormDesign& design) {
  return std::make_unique<Form>(design);
}

}  // namespace voxtrel::win32
