#include "ribbon/custom_ui_xml.h"

namespace voxtrel::ribbon {
namespace {

constexpr char kNamespace2006[] = "http://schemas.microsoft.com/office/2006/01/customui";
constexpr char kNamespace2009[] = "http://schemas.microsoft.com/office/2009/07/customui";

// The message's own tab, or the explorer's Home tab.
const char* TabFor(std::string_view ribbonId) {
  if (ribbonId == kCompose) return "TabNewMailMessage";
  if (ribbonId == kRead) return "TabReadMessage";
  return "TabMail";
}

std::string Callbacks() {
  return std::string(" getVisible=\"") + kGetVisible + "\" getEnabled=\"" + kGetEnabled + "\"";
}

std::string Button(const char* id, const char* extra = "") {
  return std::string("          <button id=\"") + id + "\" getLabel=\"" + kGetLabel +
         "\" getImage=\"" + kGetImage + "\"" + Callbacks() + " onAction=\"" + kOnAction + "\"" +
         extra + "/>\n";
}

std::string Files() {
  return std::string("          <dropDown id=\"VoxtrelFiles\" label=\"Files\"") + Callbacks() +
         " getItemCount=\"" + kGetItemCount + "\" getItemLabel=\"" + kGetItemLabel +
         "\" getSelectedItemIndex=\"" + kGetSelectedItemIndex + "\" onAction=\"" + kOnChoose +
         "\" sizeString=\"Voxtrel voice message.mp3\"/>\n";
}

}  // namespace

bool ServesInspectors(int outlookMajor) {
  return outlookMajor >= 12;
}

bool ServesExplorer(int outlookMajor) {
  return outlookMajor >= 14;
}

bool ServesInlineResponses(int outlookMajor) {
  return outlookMajor >= 15;
}

std::string CustomUiFor(std::string_view ribbonId, int outlookMajor) {
  const bool inspector = ribbonId == kCompose || ribbonId == kRead;
  if (inspector ? !ServesInspectors(outlookMajor)
                : ribbonId != kExplorer || !ServesExplorer(outlookMajor)) {
    return {};
  }
  const char* ns = outlookMajor >= 14 ? kNamespace2009 : kNamespace2006;
  std::string xml = std::string("<customUI xmlns=\"") + ns + "\" onLoad=\"" + kOnLoad + "\">\n";
  xml += "  <ribbon>\n    <tabs>\n      <tab idMso=\"";
  xml += TabFor(ribbonId);
  xml += "\">\n        <group id=\"VoxtrelGroup\" label=\"Vox Trel\">\n";
  xml += Button("VoxtrelProduct");
  xml += Button("VoxtrelRecord");
  xml += Button("VoxtrelPause");
  xml += Button("VoxtrelPlay");
  xml += Files();
  xml += Button("VoxtrelDelete");
  xml += Button("VoxtrelProperties", " screentip=\"Voxtrel Properties\"");
  xml += "        </group>\n      </tab>\n    </tabs>\n  </ribbon>\n</customUI>\n";
  return xml;
}

}  // namespace voxtrel::ribbon
