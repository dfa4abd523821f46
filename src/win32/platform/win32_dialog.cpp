#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "win32/base/gdi_handles.h"
#include "win32/base/module.h"
#include "win32/base/text.h"
#include "win32/platform/win32_forms.h"

namespace voxtrel::win32 {
namespace {

constexpr wchar_t kDialogClass[] = L"VoxtrelDialog";
// A fixed frame and a caption with the icon and the close box only.
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kDialogExStyle = 0;
constexpr int kFirstControlId = 100;
// What Esc sends to the dialog from whichever control has the focus.
constexpr WPARAM kEscape = IDCANCEL;

using UniqueIcon = UniqueAny<HICON, &DestroyIcon>;

enum class Kind { kImage, kLabel, kCheckBox, kButton };

struct Control {
  std::string name;
  Kind kind;
  bool cancel = false;
  UniqueWindow window;
};

HFONT MakeFont(const platform::FontDesign& font) {
  const WindowDc screen(nullptr);
  const int height =
      -static_cast<int>(std::lround(font.points * GetDeviceCaps(screen.get(), LOGPIXELSY) / 72.0));
  return CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, Utf8ToWide(font.face).c_str());
}

// A control that passes Esc to its dialog, which has no dialog manager in Outlook's loop.
// Subclassed through comctl32, whose procedure type fixes the calling convention: no cast.
LRESULT CALLBACK EscapeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                            DWORD_PTR) noexcept {
  if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
    // The dialog may be gone when this returns: nothing of the control is touched after it.
    SendMessageW(GetParent(window), WM_COMMAND, MAKEWPARAM(kEscape, BN_CLICKED), 0);
    return 0;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, &EscapeProc, id);
  return DefSubclassProc(window, message, wParam, lParam);
}

void PassEscape(HWND control) {
  SetWindowSubclass(control, &EscapeProc, 0, 0);
}

class Dialog final : public platform::IDialog {
 public:
  Dialog(const platform::DialogDesign& design, platform::IDialogEvents& events);
  ~Dialog() override;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  void Show() override;
  std::uintptr_t hWnd() override { return reinterpret_cast<std::uintptr_t>(window_.get()); }
  void SetIcon(int resource) override;
  std::string LabelCaption(std::string_view label) override;
  void SetLabelCaption(std::string_view label, std::string_view caption) override;
  void SetCheckBoxVisible(std::string_view box, bool visible) override;
  int CheckBoxValue(std::string_view box) override;
  void SetCheckBoxValue(std::string_view box, int value) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept;
  void CreateWindowFor(const platform::DialogDesign& design);
  HWND AddControl(std::string name, Kind kind, const wchar_t* windowClass, const std::string& text,
                  DWORD style, const platform::Rect& bounds);
  Control& Find(std::string_view name, Kind kind);
  void FitLabel(HWND label);
  // True when the handler ran: it may have unloaded the dialog, so nothing may follow.
  bool Command(WPARAM wParam);

  platform::IDialogEvents& events_;
  UniqueFont font_;
  std::vector<UniqueFont> labelFonts_;
  std::vector<UniqueBitmap> bitmaps_;
  UniqueIcon smallIcon_;
  UniqueIcon bigIcon_;
  std::vector<Control> controls_;
  UniqueWindow window_;
};

const wchar_t* DialogClass(WNDPROC procedure) {
  return RegisterWindowClass({.name = kDialogClass,
                              .procedure = procedure,
                              .background = GetSysColorBrush(COLOR_BTNFACE),
                              .cursor = LoadCursorW(nullptr, IDC_ARROW)});
}

Dialog::Dialog(const platform::DialogDesign& design, platform::IDialogEvents& events)
    : events_(events), font_(MakeFont({"MS Sans Serif", 8, false})) {
  CreateWindowFor(design);
  for (const auto& image : design.images) {
    const HWND picture =
        AddControl(image.name, Kind::kImage, L"STATIC", "", SS_BITMAP | WS_VISIBLE, image.bounds);
    bitmaps_.emplace_back(static_cast<HBITMAP>(LoadImageW(
        ThisModule(), MAKEINTRESOURCEW(image.resource), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    if (bitmaps_.back()) {
      SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP,
                   reinterpret_cast<LPARAM>(bitmaps_.back().get()));
    }
  }
  for (const auto& styled : design.labels) {
    const HWND label = AddControl(styled.label.name, Kind::kLabel, L"STATIC", styled.label.caption,
                                  SS_LEFT | SS_NOPREFIX | WS_VISIBLE, styled.label.bounds);
    labelFonts_.emplace_back(MakeFont(styled.font));
    if (labelFonts_.back()) {
      SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(labelFonts_.back().get()), FALSE);
    }
    FitLabel(label);
  }
  for (const auto& box : design.checkBoxes) {
    AddControl(box.name, Kind::kCheckBox, L"BUTTON", box.caption,
               BS_3STATE | BS_MULTILINE | WS_TABSTOP | (box.visible ? WS_VISIBLE : 0), box.bounds);
  }
  for (const auto& button : design.buttons) {
    AddControl(button.name, Kind::kButton, L"BUTTON", button.caption,
               BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE, button.bounds);
    controls_.back().cancel = button.cancel;
  }
}

Dialog::~Dialog() {
  // Messages sent while the window goes must not reach a half-destroyed object.
  if (window_) SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
  window_.reset();
}

void Dialog::CreateWindowFor(const platform::DialogDesign& design) {
  RECT frame{0, 0, design.clientWidth, design.clientHeight};
  AdjustWindowRectEx(&frame, kDialogStyle, FALSE, kDialogExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  window_.reset(CreateWindowExW(kDialogExStyle, DialogClass(&Dialog::WindowProc),
                                Utf8ToWide(design.caption).c_str(), kDialogStyle,
                                work.left + (work.right - work.left - width) / 2,
                                work.top + (work.bottom - work.top - height) / 2, width, height,
                                nullptr, nullptr, ThisModule(), this));
  if (!window_) throw std::runtime_error("cannot create the dialog " + design.caption);
}

HWND Dialog::AddControl(std::string name, Kind kind, const wchar_t* windowClass,
                        const std::string& text, DWORD style, const platform::Rect& bounds) {
  const int id = kFirstControlId + static_cast<int>(controls_.size());
  UniqueWindow control(
      CreateWindowExW(0, windowClass, Utf8ToWide(text).c_str(), WS_CHILD | style, bounds.left,
                      bounds.top, bounds.width, bounds.height, window_.get(),
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ThisModule(), nullptr));
  if (!control) throw std::runtime_error("cannot create the control " + name);
  SendMessageW(control.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  if (kind == Kind::kCheckBox || kind == Kind::kButton) PassEscape(control.get());
  const HWND handle = control.get();
  controls_.push_back({std::move(name), kind, false, std::move(control)});
  return handle;
}

// Labels grow to their text, as the classic AutoSize does.
void Dialog::FitLabel(HWND label) {
  const std::wstring text = [&] {
    std::wstring buffer(static_cast<std::size_t>(GetWindowTextLengthW(label)) + 1, L'\0');
    buffer.resize(static_cast<std::size_t>(
        GetWindowTextW(label, buffer.data(), static_cast<int>(buffer.size()))));
    return buffer;
  }();
  const WindowDc dc(label);
  const auto font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
  const ScopedSelection selection(dc.get(), font);
  SIZE size{};
  GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
  RECT bounds{};
  GetWindowRect(label, &bounds);
  const int width = std::max<int>(bounds.right - bounds.left, size.cx);
  const int height = std::max<int>(bounds.bottom - bounds.top, size.cy);
  SetWindowPos(label, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Control& Dialog::Find(std::string_view name, Kind kind) {
  const auto found = std::find_if(controls_.begin(), controls_.end(), [&](const Control& each) {
    return each.kind == kind && each.name == name;
  });
  if (found == controls_.end()) throw std::out_of_range("no control " + std::string(name));
  return *found;
}

void Dialog::Show() {
  ShowWindow(window_.get(), SW_SHOW);
  BringWindowToTop(window_.get());
  SetForegroundWindow(window_.get());
}

void Dialog::SetIcon(int resource) {
  const auto load = [&](int size) {
    return static_cast<HICON>(
        LoadImageW(ThisModule(), MAKEINTRESOURCEW(resource), IMAGE_ICON, size, size, 0));
  };
  smallIcon_.reset(load(GetSystemMetrics(SM_CXSMICON)));
  bigIcon_.reset(load(GetSystemMetrics(SM_CXICON)));
  SendMessageW(window_.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
  SendMessageW(window_.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
}

std::string Dialog::LabelCaption(std::string_view label) {
  const HWND window = Find(label, Kind::kLabel).window.get();
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return WideToUtf8(text);
}

void Dialog::SetLabelCaption(std::string_view label, std::string_view caption) {
  const HWND window = Find(label, Kind::kLabel).window.get();
  SetWindowTextW(window, Utf8ToWide(caption).c_str());
  FitLabel(window);
}

void Dialog::SetCheckBoxVisible(std::string_view box, bool visible) {
  ShowWindow(Find(box, Kind::kCheckBox).window.get(), visible ? SW_SHOWNA : SW_HIDE);
}

int Dialog::CheckBoxValue(std::string_view box) {
  return static_cast<int>(SendMessageW(Find(box, Kind::kCheckBox).window.get(), BM_GETCHECK, 0, 0));
}

void Dialog::SetCheckBoxValue(std::string_view box, int value) {
  Control& control = Find(box, Kind::kCheckBox);
  if (CheckBoxValue(box) == value) return;
  SendMessageW(control.window.get(), BM_SETCHECK, static_cast<WPARAM>(value), 0);
  events_.Click(control.name);
}

bool Dialog::Command(WPARAM wParam) {
  if (HIWORD(wParam) != BN_CLICKED) return false;
  const int id = LOWORD(wParam);
  Control* control = nullptr;
  if (id == kEscape) {
    const auto cancel = std::find_if(controls_.begin(), controls_.end(),
                                     [](const Control& each) { return each.cancel; });
    if (cancel != controls_.end()) control = &*cancel;
  } else if (id >= kFirstControlId && id < kFirstControlId + static_cast<int>(controls_.size())) {
    control = &controls_[static_cast<std::size_t>(id - kFirstControlId)];
  }
  if (control == nullptr) return false;
  if (control->kind == Kind::kCheckBox) {
    // A click ticks a clear or grey box and clears a ticked one.
    const HWND box = control->window.get();
    const bool ticked = SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
    SendMessageW(box, BM_SETCHECK, ticked ? BST_UNCHECKED : BST_CHECKED, 0);
  } else if (control->kind != Kind::kButton) {
    return false;
  }
  events_.Click(control->name);
  return true;
}

LRESULT CALLBACK Dialog::WindowProc(HWND window, UINT message, WPARAM wParam,
                                    LPARAM lParam) noexcept {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (dialog == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  try {
    switch (message) {
      case WM_COMMAND:
        if (dialog->Command(wParam)) return 0;
        break;
      case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
          dialog->Command(MAKEWPARAM(kEscape, BN_CLICKED));
          return 0;
        }
        break;
      case WM_CLOSE:
        // The close box: the dialog decides; it may unload itself here.
        dialog->events_.CloseBox();
        return 0;
      default:
        break;
    }
  } catch (...) {
    // Nothing may cross the window procedure; the form's handlers keep their own errors.
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

std::unique_ptr<platform::IDialog> Win32Forms::LoadDialog(const platform::DialogDesign& design,
                                                          platform::IDialogEvents& events) {
  return std::make_unique<Dialog>(design, events);
}

}  // namespace voxtrel::win32
