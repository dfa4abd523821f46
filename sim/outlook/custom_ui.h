#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

// The Ribbon XML an add-in hands Office (customUI), read as Office reads it: a real XML parser
// (each face has its own: libxml2 natively, MSXML in outlook-sim.exe), then Office's rules.
namespace voxtrel::olsim {

struct XmlElement {
  std::string ns;  // the namespace URI, resolved by the parser
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;  // in document order
  std::vector<XmlElement> children;                             // elements only
};

// Parses the text; throws ActionRefused with the parser's own message when it is not
// well-formed XML. Implemented by each face.
XmlElement ParseXml(const std::string& text);

// A control of the add-in's group, with its attributes as written.
struct RibbonControlDef {
  std::string kind;  // "button", "dropDown", ...
  std::string id;
  std::vector<std::pair<std::string, std::string>> attributes;
  // The attribute's value; empty when absent.
  std::string Attribute(const std::string& name) const;
};

struct RibbonGroupDef {
  std::string id, label;
  std::vector<RibbonControlDef> controls;
};

struct CustomUi {
  std::string ns;
  std::string onLoad;  // the callback that receives the IRibbonUI; empty for none
  std::string tab;     // the idMso (or id) of the tab the groups go on
  std::vector<RibbonGroupDef> groups;
};

inline constexpr char kCustomUi2006[] = "http://schemas.microsoft.com/office/2006/01/customui";
inline constexpr char kCustomUi2009[] = "http://schemas.microsoft.com/office/2009/07/customui";

// Office's reading of customUI for a version (12 for Outlook 2007, 14 and later): its
// namespace (2007 knows only the 2006 one; 2010 and later both), no element or attribute it
// does not know, no id twice, and every callback named answered by the add-in (`answers`, as
// its IDispatch's GetIDsOfNames). Throws ActionRefused with Office's reason.
CustomUi ReadCustomUi(const XmlElement& root, int officeMajor,
                      const std::function<bool(const std::string&)>& answers);

}  // namespace voxtrel::olsim
