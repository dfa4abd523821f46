#include "sim/outlook/dump.h"

#include <cstdio>
#include <ostream>
#include <sstream>

namespace voxtrel::olsim {
namespace {

std::string ItemName(const Model& model, Id id) {
  for (const Item& item : model.Items()) {
    if (item.id == id) return item.name;
  }
  return "?";
}

std::string FolderName(const Model& model, Id id) {
  for (const Folder& folder : model.Folders()) {
    if (folder.id == id) return folder.name;
  }
  return "?";
}

std::string PositionWord(std::int32_t position) {
  static const char* const words[] = {"left",     "top",   "right",  "bottom",
                                      "floating", "popup", "menubar"};
  return position >= 0 && position <= 6 ? words[position] : std::to_string(position);
}

const char* FormatWord(BodyFormat format) {
  switch (format) {
    case BodyFormat::kHtml:
      return "html";
    case BodyFormat::kRtf:
      return "rtf";
    case BodyFormat::kPlain:
      break;
  }
  return "plain";
}

const char* Shown(bool visible) {
  return visible ? "visible" : "hidden";
}

void DumpControl(std::ostream& out, const Window& window, const std::vector<Bar>& bars,
                 const Bar& bar, const Control& control) {
  const bool button = control.kind == ControlKind::kButton;
  out << "    " << (button ? "button " : "combo ") << QuoteText(control.caption) << ' '
      << Shown(control.visible) << " style " << control.style << " tooltip "
      << QuoteText(control.tooltip);
  if (button) {
    out << " face " << (control.face.empty() ? "none" : control.face);
  } else {
    out << " entries";
    if (control.entries.empty()) out << " none";
    for (const std::string& entry : control.entries) out << ' ' << QuoteText(entry);
    out << " index " << control.listIndex;
  }
  out << " width " << Model::WidthOf(control) << " top " << Model::TopOf(window, bars, bar)
      << " tag " << QuoteText(control.tag) << '\n';
}

void DumpBars(std::ostream& out, const Model& model, const Window& window) {
  const std::vector<Bar>& bars = model.BarsShownBy(window);
  for (const Bar& bar : bars) {
    out << "  bar " << QuoteText(bar.name) << ' ' << Shown(bar.visible) << ' '
        << PositionWord(bar.position) << (bar.temporary ? " temporary" : "") << '\n';
    for (const Control& control : bar.controls) DumpControl(out, window, bars, bar, control);
  }
}

// The add-in's group as Office shows it: the values it last asked for.
void DumpRibbon(std::ostream& out, const Window& window) {
  if (!window.open) return;
  for (const RibbonShown& control : window.ribbon) {
    out << "  ribbon " << control.id << ' ' << QuoteText(control.label) << ' '
        << Shown(control.visible) << (control.enabled ? " enabled" : " disabled") << " image "
        << control.image;
    if (control.kind == "dropDown") {
      out << " entries";
      if (control.entries.empty()) out << " none";
      for (const std::string& entry : control.entries) out << ' ' << QuoteText(entry);
      out << " index " << control.selected + 1;
    }
    out << '\n';
  }
}

void DumpWindow(std::ostream& out, const Model& model, const Window& window) {
  if (window.IsExplorer()) {
    out << "explorer " << QuoteText(FolderName(model, window.folder) + " - Microsoft Outlook")
        << " folder " << QuoteText(FolderName(model, window.folder)) << " selection";
    if (window.selection.empty()) out << " none";
    for (const Id item : window.selection) out << ' ' << ItemName(model, item);
  } else {
    out << "inspector " << window.number << ' ' << ItemName(model, window.item)
        << (window.wordMail ? " word" : "");
  }
  out << (window.open ? " open" : " closed") << (model.ActiveWindow() == window.id ? " active" : "")
      << '\n';
  DumpBars(out, model, window);
  DumpRibbon(out, window);
}

void DumpItem(std::ostream& out, const Item& item) {
  if (item.kind != ItemKind::kMail) {
    out << DescribeKind(item.kind) << ' ' << item.name << '\n';
    return;
  }
  out << "mail " << item.name << (item.sent ? " sent" : " unsent") << " subject "
      << QuoteText(item.subject) << " billing " << QuoteText(item.billing) << " attachments";
  if (item.attachments.empty()) out << " none";
  const char* separator = " ";
  for (const Attachment& attachment : item.attachments) {
    out << separator << QuoteText(attachment.fileName) << ' ' << attachment.bytes.size();
    separator = ", ";
  }
  out << " format " << FormatWord(item.format) << (item.changed ? " changed" : "");
  out << "\n  body " << QuoteText(item.body) << "\n  html " << QuoteText(item.htmlBody) << '\n';
}

void DumpClipboard(std::ostream& out, const Model& model) {
  const Model::ClipboardState clipboard = model.Clipboard();
  out << "clipboard formats";
  if (clipboard.formats.empty()) out << " none";
  for (const ClipboardFormatView& format : clipboard.formats) {
    out << ' ' << QuoteText(format.name) << ' ' << format.digest;
  }
  out << " text " << (clipboard.text ? QuoteText(*clipboard.text) : "none") << '\n';
}

}  // namespace

std::string QuoteText(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    switch (c) {
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\r':
        quoted += "\\r";
        break;
      case '\t':
        quoted += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[5];
          std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(c));
          quoted += escaped;
        } else {
          quoted += c;
        }
    }
  }
  return quoted + "\"";
}

std::string Dump(const Model& model) {
  std::ostringstream out;
  const auto& windows = model.Windows();
  if (windows.empty() || !windows.front().IsExplorer()) out << "explorer none\n";
  for (const Window& window : windows) DumpWindow(out, model, window);
  for (const Item& item : model.Items()) DumpItem(out, item);
  DumpClipboard(out, model);
  return out.str();
}

void PrintTraceLog(std::ostream& out, const std::string& path, const std::string& text) {
  out << "trace " << path << '\n';
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "\r\n") == 0) {
      out << line << '\n';
      line.clear();
      ++i;
    } else {
      line += text[i] == '\r' ? std::string("\\r") : std::string(1, text[i]);
    }
  }
  if (!line.empty()) out << line << '\n';
}

}  // namespace voxtrel::olsim
