#pragma once

#include <array>
#include <string>
#include <string_view>

// The add-in's group on Outlook's Ribbon (2007 and later), as the XML Office asks for with
// IRibbonExtensibility.GetCustomUI: one group "Vox Trel" with the bar's seven controls, every
// value of theirs asked for through the callbacks named here.
namespace voxtrel::ribbon {

inline constexpr char kCompose[] = "Microsoft.Outlook.Mail.Compose";
inline constexpr char kRead[] = "Microsoft.Outlook.Mail.Read";
inline constexpr char kExplorer[] = "Microsoft.Outlook.Explorer";

// The controls in the order of the bar's; each is one member of a mail window.
struct ControlName {
  const char* id;         // on the Ribbon
  const char* parameter;  // the bar control's parameter, which names it there
};
inline constexpr std::array<ControlName, 7> kControls = {{{"VoxtrelProduct", "Vox Trel"},
                                                          {"VoxtrelRecord", "Record"},
                                                          {"VoxtrelPlay", "Play"},
                                                          {"VoxtrelPause", "Pause"},
                                                          {"VoxtrelFiles", "Files"},
                                                          {"VoxtrelDelete", "Delete"},
                                                          {"VoxtrelProperties", "Properties"}}};

// Callbacks by name, as Office calls them through the add-in's IDispatch.
inline constexpr char kOnLoad[] = "Ribbon_OnLoad";
inline constexpr char kGetLabel[] = "Ribbon_GetLabel";
inline constexpr char kGetImage[] = "Ribbon_GetImage";
inline constexpr char kGetVisible[] = "Ribbon_GetVisible";
inline constexpr char kGetEnabled[] = "Ribbon_GetEnabled";
inline constexpr char kOnAction[] = "Ribbon_OnAction";
inline constexpr char kGetItemCount[] = "Ribbon_GetItemCount";
inline constexpr char kGetItemLabel[] = "Ribbon_GetItemLabel";
inline constexpr char kGetSelectedItemIndex[] = "Ribbon_GetSelectedItemIndex";
inline constexpr char kOnChoose[] = "Ribbon_OnChoose";
inline constexpr std::array<const char*, 10> kCallbacks = {
    kOnLoad,   kGetLabel,     kGetImage,     kGetVisible,           kGetEnabled,
    kOnAction, kGetItemCount, kGetItemLabel, kGetSelectedItemIndex, kOnChoose};

// Where Outlook shows the Ribbon: inspectors from 2007, the explorer from 2010.
bool ServesInspectors(int outlookMajor);
bool ServesExplorer(int outlookMajor);
// Replies composed in the explorer's reading pane: from 2013.
bool ServesInlineResponses(int outlookMajor);

// The customUI for a Ribbon ID (namespace 2006/01 for Outlook 2007, 2009/07 later); empty for a
// Ribbon that gets no group, or one this version does not show.
std::string CustomUiFor(std::string_view ribbonId, int outlookMajor);

}  // namespace voxtrel::ribbon
