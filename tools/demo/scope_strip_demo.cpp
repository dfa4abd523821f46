// scope_strip_demo [MILLISECONDS]: shows the scope strip with level bars and the progress
// window for a while (default 5000 ms), for a screenshot taken by hand. Not a test.
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "win32/platform/win32_platform.h"

namespace {

using voxtrel::platform::FormDesign;

FormDesign ScopeDesign() {
  FormDesign design;
  design.caption = "Scope";
  design.clientWidth = 155;
  design.clientHeight = 24;
  design.labels.push_back({"lblTime", {124, 7, 28, 13}, "00:00"});
  design.pictures.push_back({"scopeBox", {-52, -60, 171, 86}, 2});
  return design;
}

FormDesign ProgressDesign() {
  FormDesign design;
  design.caption = "Voxtrel";
  design.clientWidth = 155;
  design.clientHeight = 24;
  design.labels.push_back({"lblStat", {8, 5, 81, 17}, "Creating MP3..."});
  return design;
}

void DrawLevels(voxtrel::platform::IDrawingSurface& box) {
  box.Cls();
  const double bottom = box.ScaleHeight();
  for (int x = 51; x <= 180; x += 3) {
    const double level = 4.0 + ((x * 37) % 23);
    box.SetForeColor(0x00FFC0C0);
    box.FillBox(x, bottom - level, x + 1, bottom);
    box.SetForeColor(0x00FF0000);
    box.DrawLine(x, bottom - level, x + 1, bottom - level);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const long milliseconds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 5000;
  voxtrel::win32::Win32Platform platform;
  const auto& services = platform.services();
  const auto scope = services.forms.Load(ScopeDesign());
  const auto progress = services.forms.Load(ProgressDesign());
  DrawLevels(scope->Picture("scopeBox"));
  scope->SetLabelCaption("lblTime", "00:07");
  scope->PlaceTopmost(40, 40);
  scope->Show();
  progress->PlaceTopmost(40, 110);
  progress->Show();
  scope->Refresh();
  progress->Refresh();
  std::printf("shown\n");
  std::fflush(stdout);
  const std::uint64_t end = services.events.TickCount() + static_cast<std::uint64_t>(milliseconds);
  while (services.events.TickCount() < end) {
    services.events.WaitForEvents(50);
    services.events.DoEvents();
  }
  std::printf("VOXTREL-TEST-END 0\n");
  return 0;
}
