// The connection's side of the Ribbon: the XML, the IRibbonUI, and each callback handed to the
// group of the window Office names.
#include "host/connect.h"
#include "host/error_trace.h"
#include "mailwindow/mail_window.h"
#include "mailwindow/required.h"
#include "ribbon/custom_ui_xml.h"

namespace voxtrel {
namespace {

// A callback's answer when its group cannot give one: nothing to show.
template <typename Result, typename Body>
Result Answer(std::string_view prefix, Body&& body) {
  Result result{};
  HandleEvent(prefix, [&] { result = body(); });
  return result;
}

}  // namespace

std::string Connect::Ribbon_GetCustomUI(const std::string& RibbonID) {
  return Answer<std::string>("Connect.Ribbon_GetCustomUI ERROR: ",
                             [&] { return ribbon::CustomUiFor(RibbonID, outlookVersion); });
}

void Connect::Ribbon_OnLoad(std::shared_ptr<outlook::IRibbonUI> ribbon) {
  if (ribbon) ribbonUis.push_back(std::move(ribbon));
}

// Office asks again only where it shows the control: every Ribbon it loaded is told.
void Connect::InvalidateRibbonControl(const std::string& id) {
  for (const auto& ribbon : ribbonUis) {
    HandleEvent("Connect.InvalidateControl ERROR: ", [&] { ribbon->InvalidateControl(id); });
  }
}

ribbon::RibbonWindow* Connect::RibbonOf(outlook::WindowIdentity window) {
  if (iMailView && iMailView->Shows(window)) return iMailView->Ribbon();
  for (const OpenInspector& open : openInspectors) {
    if (open.window && open.window->Shows(window)) return open.window->Ribbon();
  }
  return nullptr;
}

std::string Connect::Ribbon_GetLabel(const outlook::RibbonControl& control) {
  return Answer<std::string>("Connect.Ribbon_GetLabel ERROR: ", [&] {
    ribbon::RibbonWindow* group = RibbonOf(control.Context);
    return group ? group->Label(control.Id) : std::string();
  });
}

std::optional<ribbon::Image> Connect::Ribbon_GetImage(const outlook::RibbonControl& control) {
  return Answer<std::optional<ribbon::Image>>("Connect.Ribbon_GetImage ERROR: ", [&] {
    ribbon::RibbonWindow* group = RibbonOf(control.Context);
    return group ? group->FaceOf(control.Id) : std::nullopt;
  });
}

bool Connect::Ribbon_GetVisible(const outlook::RibbonControl& control) {
  return Answer<bool>("Connect.Ribbon_GetVisible ERROR: ", [&] {
    ribbon::RibbonWindow* group = RibbonOf(control.Context);
    return group != nullptr && group->Visible(control.Id);
  });
}

bool Connect::Ribbon_GetEnabled(const outlook::RibbonControl& control) {
  return Answer<bool>("Connect.Ribbon_GetEnabled ERROR: ", [&] {
    ribbon::RibbonWindow* group = RibbonOf(control.Context);
    return group != nullptr && group->Enabled(control.Id);
  });
}

void Connect::Ribbon_OnAction(const outlook::RibbonControl& control) {
  HandleEvent("Connect.Ribbon_OnAction ERROR: ", [&] {
    if (ribbon::RibbonWindow* group = RibbonOf(control.Context)) group->Action(control.Id);
  });
}

std::int32_t Connect::Ribbon_GetItemCount(const outlook::RibbonControl& control) {
  return Answer<std::int32_t>("Connect.Ribbon_GetItemCount ERROR: ", [&] {
    ribbon::RibbonWindow* group = RibbonOf(control.Context);
    return group ? group->ItemCount(control.Id) : 0;
  });
}

std::string Connect::Ribbon_GetItemLabel(const outlook::RibbonControl& control,
                                         std::int32_t index) {
  return Answer<std::string>("Connect.Ribbon_GetItemLabel ERROR: ", [&] {
    ribbon::RibbonWindow* group = RibbonOf(control.Context);
    return group ? group->ItemLabel(control.Id, index) : std::string();
  });
}

std::int32_t Connect::Ribbon_GetSelectedItemIndex(const outlook::RibbonControl& control) {
  return Answer<std::int32_t>("Connect.Ribbon_GetSelectedItemIndex ERROR: ", [&] {
    ribbon::RibbonWindow* group = RibbonOf(control.Context);
    return group ? group->SelectedItemIndex(control.Id) : -1;
  });
}

void Connect::Ribbon_OnChoose(const outlook::RibbonControl& control, const std::string&,
                              std::int32_t selectedIndex) {
  HandleEvent("Connect.Ribbon_OnChoose ERROR: ", [&] {
    if (ribbon::RibbonWindow* group = RibbonOf(control.Context)) {
      group->Choose(control.Id, selectedIndex);
    }
  });
}

// The reading pane's reply is served by the explorer's group as a compose window's.
void Connect::OLExplorer_InlineResponse(const std::shared_ptr<outlook::IItem>& Item) {
  if (!iMailView) return;
  iMailView->oInlineResponse(Required(Item).AsMailItem());
}

void Connect::OLExplorer_InlineResponseClose() {
  if (iMailView) iMailView->InlineResponseClosed();
  // The explorer shows its selection again.
  OLExplorer_SelectionChange();
}

}  // namespace voxtrel
