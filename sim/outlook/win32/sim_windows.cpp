#include "sim/outlook/win32/sim_windows.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <vector>

#include "sim/outlook/layout.h"
#include "sim/outlook/win32/png_file.h"
#include "win32/base/gdi_handles.h"
#include "win32/base/text.h"

namespace voxtrel::olsim::win32 {
namespace {

using voxtrel::win32::PaintScope;
using voxtrel::win32::ScopedSelection;
using voxtrel::win32::UniqueBitmap;
using voxtrel::win32::UniqueBrush;
using voxtrel::win32::UniqueMemoryDc;
using voxtrel::win32::Utf8ToWide;
using voxtrel::win32::WindowDc;

constexpr wchar_t kClass[] = L"VoxtrelSimOutlook";
constexpr UINT_PTR kClockId = 1;
constexpr UINT kClockMs = 200;
constexpr int kCaptionAndMenu = layout::kCaptionAndMenu;
constexpr int kRow = layout::kBarRow;
constexpr int kControlHeight = 22;
constexpr int kFirstControl = 10;  // after the bar's gripper
constexpr int kIconWidth = layout::kIconWidth;
// No system menu: without Wine's Marlett font its boxes would show as letters.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME;
constexpr SIZE kExplorerSize{880, 620};
constexpr SIZE kInspectorSize{720, 540};

// Office 2003's blue scheme.
constexpr COLORREF kFrame = RGB(0xC4, 0xDA, 0xFA);
constexpr COLORREF kMenu = RGB(0xE3, 0xEF, 0xFF);
constexpr COLORREF kBar = RGB(0xD6, 0xE6, 0xFC);
constexpr COLORREF kBarEdge = RGB(0x7F, 0x9D, 0xB9);
constexpr COLORREF kText = RGB(0, 0, 0);
constexpr COLORREF kGreyText = RGB(0x6D, 0x83, 0x9E);
constexpr COLORREF kPaper = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kSelected = RGB(0xFF, 0xE6, 0xA0);

void Fill(HDC dc, RECT rect, COLORREF colour) {
  const UniqueBrush brush(CreateSolidBrush(colour));
  FillRect(dc, &rect, brush.get());
}

void Frame(HDC dc, RECT rect, COLORREF colour) {
  const UniqueBrush brush(CreateSolidBrush(colour));
  FrameRect(dc, &rect, brush.get());
}

void Text(HDC dc, const std::string& text, RECT rect, COLORREF colour,
          UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS) {
  SetTextColor(dc, colour);
  std::wstring wide = Utf8ToWide(text);
  DrawTextW(dc, wide.data(), static_cast<int>(wide.size()), &rect, format);
}

// The face over the bar's colour where it is clear.
void DrawFace(HDC dc, const FacePixels& face, int x, int y, COLORREF background) {
  if (face.pixels.empty()) return;
  const std::uint32_t behind =
      (GetRValue(background) << 16) | (GetGValue(background) << 8) | GetBValue(background);
  std::vector<std::uint32_t> shown(face.pixels);
  std::replace(shown.begin(), shown.end(), FacePixels::kClearPixel, behind);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = face.width;
  info.bmiHeader.biHeight = -face.height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(face.width), static_cast<DWORD>(face.height), 0, 0,
                    0, static_cast<UINT>(face.height), shown.data(), &info, DIB_RGB_COLORS);
}

void DrawDropArrow(HDC dc, RECT box) {
  const int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2 - 1;
  for (int i = 0; i < 3; ++i) Fill(dc, {cx - 3 + i, cy + i, cx + 4 - i, cy + i + 1}, kText);
}

void DrawButton(HDC dc, const Control& c, int x, int top, int width) {
  const bool showsIcon = c.style != 2;
  const bool showsCaption = c.style == 2 || c.style == 3 || (c.style == 0 && c.face.empty());
  if (showsIcon) DrawFace(dc, c.facePixels, x + 3, top + (kControlHeight - 16) / 2, kBar);
  if (showsCaption) {
    const int left = x + (showsIcon ? kIconWidth - 3 : 0) + 4;
    Text(dc, c.caption, {left, top, x + width, top + kControlHeight}, kText);
  }
}

void DrawComboBox(HDC dc, const Control& c, int x, int top, int width) {
  RECT box{x + width - 88, top + 1, x + width - 2, top + kControlHeight - 1};
  if (c.style == 1) Text(dc, c.caption, {x + 4, top, box.left, top + kControlHeight}, kText);
  Fill(dc, box, kPaper);
  Frame(dc, box, kBarEdge);
  const RECT arrow{box.right - 13, box.top + 1, box.right - 1, box.bottom - 1};
  Fill(dc, arrow, kBar);
  DrawDropArrow(dc, arrow);
  const bool chosen = c.listIndex >= 1 && static_cast<std::size_t>(c.listIndex) <= c.entries.size();
  if (chosen) {
    Text(dc, c.entries[static_cast<std::size_t>(c.listIndex - 1)],
         {box.left + 2, box.top, arrow.left, box.bottom}, kText,
         DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
}

void DrawBar(HDC dc, const Bar& bar, int top, int right) {
  Fill(dc, {2, top, right - 2, top + kRow - 1}, kBar);
  Frame(dc, {2, top, right - 2, top + kRow - 1}, kBarEdge);
  for (int y = top + 5; y < top + kRow - 5; y += 4) Fill(dc, {5, y, 7, y + 2}, kBarEdge);
  int x = kFirstControl;
  bool any = false;
  for (const Control& control : bar.controls) {
    if (!control.visible) continue;
    const int width = Model::WidthOf(control);
    const int controlTop = top + 2;
    if (control.kind == ControlKind::kButton)
      DrawButton(dc, control, x, controlTop, width);
    else
      DrawComboBox(dc, control, x, controlTop, width);
    x += width;
    any = true;
  }
  if (!any) Text(dc, bar.name, {x + 4, top, right - 4, top + kRow}, kGreyText);
}

// The Ribbon's strip with the add-in's group, as Office draws it from its last answers: a face
// and a label a control, the dropDown as a box, the group's name below.
constexpr int kRibbonHeight = 78;

int DrawRibbon(HDC dc, const Window& shown, int top, int right) {
  if (shown.ribbon.empty()) return top;
  Fill(dc, {2, top, right - 2, top + kRibbonHeight}, kMenu);
  Frame(dc, {2, top, right - 2, top + kRibbonHeight}, kBarEdge);
  int x = 10;
  const int row = top + 8;
  for (const RibbonShown& control : shown.ribbon) {
    if (!control.visible) continue;
    if (control.kind == "dropDown") {
      Text(dc, control.label, {x, row, x + 36, row + kControlHeight}, kText);
      const RECT box{x + 38, row + 1, x + 170, row + kControlHeight - 1};
      Fill(dc, box, kPaper);
      Frame(dc, box, kBarEdge);
      const RECT arrow{box.right - 13, box.top + 1, box.right - 1, box.bottom - 1};
      DrawDropArrow(dc, arrow);
      const bool chosen = control.selected >= 0 &&
                          static_cast<std::size_t>(control.selected) < control.entries.size();
      if (chosen) {
        Text(dc, control.entries[static_cast<std::size_t>(control.selected)],
             {box.left + 2, box.top, arrow.left, box.bottom}, kText);
      }
      x += 176;
      continue;
    }
    const int width = 24 + 7 * static_cast<int>(control.label.size());
    DrawFace(dc, control.pixels, x + 2, row + (kControlHeight - 16) / 2, kMenu);
    Text(dc, control.label, {x + 22, row, x + width, row + kControlHeight},
         control.enabled ? kText : kGreyText);
    x += width + 6;
  }
  Text(dc, "Vox Trel", {10, top + kRibbonHeight - 22, x, top + kRibbonHeight - 4}, kGreyText,
       DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
  Frame(dc, {6, top + 4, x, top + kRibbonHeight - 4}, kBarEdge);
  return top + kRibbonHeight + 2;
}

void DrawMenu(HDC dc, int height, int right) {
  if (height <= 0) return;
  Fill(dc, {0, 0, right, height}, kMenu);
  Text(dc, "File   Edit   View   Insert   Format   Tools   Actions   Help", {8, 0, right, height},
       kText);
}

void DrawExplorerContent(HDC dc, Model& model, const Window& shown, RECT area) {
  const Folder& folder = model.FolderById(shown.folder);
  Text(dc, folder.name, {area.left + 6, area.top, area.right, area.top + 24}, kText);
  int y = area.top + 26;
  for (const Id id : folder.items) {
    const Item& item = model.ItemById(id);
    const bool selected =
        std::find(shown.selection.begin(), shown.selection.end(), id) != shown.selection.end();
    if (selected) Fill(dc, {area.left + 2, y, area.right - 2, y + 20}, kSelected);
    const std::string line =
        item.kind == ItemKind::kMail ? item.subject : DescribeKind(item.kind) + " " + item.name;
    Text(dc, line.empty() ? "(no subject)" : line, {area.left + 8, y, area.right - 4, y + 20},
         kText);
    y += 20;
  }
}

std::string AttachmentsLine(const Item& item) {
  std::string line;
  for (const Attachment& attachment : item.attachments) {
    if (!line.empty()) line += ";  ";
    line += attachment.fileName + " (" + std::to_string(attachment.bytes.size()) + " bytes)";
  }
  return line;
}

void DrawInspectorContent(HDC dc, const Item& item, RECT area) {
  int y = area.top + 4;
  const auto field = [&](const char* name, const std::string& value) {
    Text(dc, name, {area.left + 6, y, area.left + 86, y + 22}, kText);
    const RECT box{area.left + 90, y + 1, area.right - 6, y + 21};
    Fill(dc, box, kPaper);
    Frame(dc, box, kBarEdge);
    Text(dc, value, {box.left + 4, box.top, box.right - 4, box.bottom}, kText);
    y += 26;
  };
  field("To...", "");
  field("Subject:", item.subject);
  if (!item.attachments.empty()) field("Attach...", AttachmentsLine(item));
  const RECT body{area.left + 2, y + 2, area.right - 2, area.bottom - 2};
  Fill(dc, body, kPaper);
  Frame(dc, body, kBarEdge);
  Text(dc, item.body, {body.left + 6, body.top + 4, body.right - 6, body.bottom - 4}, kText,
       DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
}

BOOL CALLBACK PaintNow(HWND window, LPARAM) {
  if (IsWindowVisible(window))
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  return TRUE;
}

void RegisterClassOnce(WNDPROC proc) {
  static const bool registered = [proc] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClass;
    return RegisterClassExW(&windowClass) != 0;
  }();
  (void)registered;
}

// The whole screen, as three bytes a pixel from the top.
std::vector<std::uint8_t> ScreenPixels(int width, int height) {
  const WindowDc screen(nullptr);
  const UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const UniqueBitmap bitmap(
      CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!memory || !bitmap || bits == nullptr) throw ActionRefused("cannot read the screen");
  {
    const ScopedSelection selected(memory.get(), bitmap.get());
    if (!BitBlt(memory.get(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY | CAPTUREBLT))
      throw ActionRefused("cannot read the screen");
  }
  GdiFlush();
  const auto* bgrx = static_cast<const std::uint8_t*>(bits);
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::vector<std::uint8_t> rgb(count * 3);
  for (std::size_t i = 0; i < count; ++i) {
    rgb[3 * i] = bgrx[4 * i + 2];
    rgb[3 * i + 1] = bgrx[4 * i + 1];
    rgb[3 * i + 2] = bgrx[4 * i];
  }
  return rgb;
}

}  // namespace

SimWindows::SimWindows(std::shared_ptr<Model> model)
    : model_(std::move(model)),
      font_(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_SWISS, L"Tahoma")) {
  RegisterClassOnce(&Proc);
  clock_.reset(CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleW(nullptr), this));
  if (clock_) SetTimer(clock_.get(), kClockId, kClockMs, nullptr);
}

SimWindows::~SimWindows() {
  if (clock_) KillTimer(clock_.get(), kClockId);
}

void SimWindows::Sync() {
  if (syncing_) return;
  syncing_ = true;
  const struct Done {
    bool& syncing;
    ~Done() { syncing = false; }
  } done{syncing_};
  // Closed windows go first: Wine gives the activation of a destroyed window to another.
  std::erase_if(windows_, [this](const auto& entry) {
    const auto& all = model_->Windows();
    return std::none_of(all.begin(), all.end(), [&entry](const Window& shown) {
      return shown.open && shown.id == entry.first;
    });
  });
  bool created = false;
  for (const Window& shown : model_->Windows()) {
    if (!shown.open) continue;
    auto& window = windows_[shown.id];
    if (!window) {
      window.reset(CreateWindowExW(WS_EX_NOACTIVATE, kClass, L"", kStyle, 0, 0, 0, 0, nullptr,
                                   nullptr, GetModuleHandleW(nullptr), this));
      if (!window) continue;
      Place(window.get(), shown);
      ShowWindow(window.get(), SW_SHOWNOACTIVATE);
      created = true;
    }
    const std::wstring caption = Utf8ToWide(CaptionOf(shown));
    wchar_t now[256] = {};
    GetWindowTextW(window.get(), now, 256);
    if (caption != now) SetWindowTextW(window.get(), caption.c_str());
    InvalidateRect(window.get(), nullptr, FALSE);
  }
  ShowActive(created);
}

// The model's active window in front with an active caption, without taking the keyboard's
// focus from a window of the add-in.
void SimWindows::ShowActive(bool created) {
  const Id active = model_->ActiveWindow();
  if (active == raised_ && !created) return;
  for (const auto& [id, window] : windows_) {
    if (window) SendMessageW(window.get(), WM_NCACTIVATE, id == active, 0);
  }
  if (windows_.count(active) == 0 || !windows_[active]) return;
  SetWindowPos(windows_[active].get(), HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  raised_ = active;
}

void SimWindows::Place(HWND window, const Window& shown) {
  const int left = model_->Left(shown.id);
  const SIZE size = shown.IsExplorer() ? kExplorerSize : kInspectorSize;
  SetWindowPos(window, nullptr, left, left, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string SimWindows::CaptionOf(const Window& shown) {
  if (shown.IsExplorer()) return model_->Caption(shown.id);
  const Item& item = model_->ItemById(shown.item);
  std::string kind = item.kind == ItemKind::kMail ? "Message" : DescribeKind(item.kind);
  kind[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(kind[0])));
  return (item.subject.empty() ? std::string("Untitled") : item.subject) + " - " + kind;
}

void SimWindows::Paint(HWND window) {
  const PaintScope paint(window);
  const auto found = std::find_if(windows_.begin(), windows_.end(), [window](const auto& entry) {
    return entry.second.get() == window;
  });
  if (found == windows_.end()) return;
  const Window& shown = model_->WindowById(found->first);
  RECT client;
  GetClientRect(window, &client);
  RECT outer;
  GetWindowRect(window, &outer);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  // Rows are placed from the window's top, which the caption above the client area covers.
  const int offset = origin.y - outer.top;
  const HDC dc = paint.dc();
  const ScopedSelection font(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);
  Fill(dc, client, kFrame);
  DrawMenu(dc, kCaptionAndMenu - offset, client.right);
  int top = kCaptionAndMenu - offset;
  for (const Bar& bar : model_->BarsShownBy(shown)) {
    if (!bar.visible) continue;
    DrawBar(dc, bar, top, client.right);
    top += kRow;
  }
  top = DrawRibbon(dc, shown, top, client.right);
  const RECT area{client.left + 4, top + 4, client.right - 4, client.bottom - 4};
  if (shown.IsExplorer() && shown.inlineResponse != 0) {
    // The reading pane holds the reply being composed.
    const RECT list{area.left, area.top, area.left + (area.right - area.left) * 2 / 5, area.bottom};
    DrawExplorerContent(dc, *model_, shown, list);
    DrawInspectorContent(dc, model_->ItemById(shown.inlineResponse),
                         {list.right + 6, area.top, area.right, area.bottom});
  } else if (shown.IsExplorer())
    DrawExplorerContent(dc, *model_, shown, area);
  else
    DrawInspectorContent(dc, model_->ItemById(shown.item), area);
}

void SimWindows::Screenshot(const std::string& path) {
  Sync();
  EnumThreadWindows(GetCurrentThreadId(), &PaintNow, 0);
  // Wine hands what was painted to the display when the thread would wait.
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  const std::string png = EncodePng(width, height, ScreenPixels(width, height));
  std::ofstream file(std::filesystem::path(Utf8ToWide(path)), std::ios::binary);
  if (!file.write(png.data(), static_cast<std::streamsize>(png.size())))
    throw ActionRefused("cannot write " + path);
}

LRESULT CALLBACK SimWindows::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<SimWindows*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  try {
    switch (message) {
      case WM_TIMER:
        if (self != nullptr && wparam == kClockId) self->Sync();
        return 0;
      case WM_PAINT:
        if (self == nullptr) break;
        self->Paint(window);
        return 0;
      case WM_ERASEBKGND:
        return 1;
      case WM_MOUSEACTIVATE:  // the keyboard's focus stays where the session put it
        return MA_NOACTIVATE;
      case WM_CLOSE:  // closing is the model's: a session's close or quit
        return 0;
      default:
        break;
    }
  } catch (const std::exception&) {
    // A window the model no longer knows: drawn no more, the next Sync removes it.
    ValidateRect(window, nullptr);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace voxtrel::olsim::win32
