#include "sim/outlook/custom_ui.h"

#include <algorithm>
#include <map>
#include <set>

#include "sim/outlook/dump.h"
#include "sim/outlook/model.h"

namespace voxtrel::olsim {
namespace {

// What every control of a group may say about itself.
const std::vector<std::string> kControlAttributes = {"id",
                                                     "idQ",
                                                     "tag",
                                                     "label",
                                                     "getLabel",
                                                     "image",
                                                     "imageMso",
                                                     "getImage",
                                                     "visible",
                                                     "getVisible",
                                                     "enabled",
                                                     "getEnabled",
                                                     "screentip",
                                                     "getScreentip",
                                                     "supertip",
                                                     "getSupertip",
                                                     "keytip",
                                                     "getKeytip",
                                                     "showLabel",
                                                     "getShowLabel",
                                                     "showImage",
                                                     "getShowImage",
                                                     "insertAfterMso",
                                                     "insertBeforeMso",
                                                     "insertAfterQ",
                                                     "insertBeforeQ"};

struct ElementRule {
  std::vector<std::string> attributes;
  std::vector<std::string> children;
};

std::vector<std::string> With(std::vector<std::string> base,
                              std::initializer_list<const char*> more) {
  base.insert(base.end(), more.begin(), more.end());
  return base;
}

// The part of Office's customUI schema an Outlook add-in's group uses.
const std::map<std::string, ElementRule>& Rules() {
  static const std::map<std::string, ElementRule> rules = {
      {"customUI", {{"onLoad", "loadImage"}, {"ribbon"}}},
      {"ribbon", {{"startFromScratch"}, {"tabs"}}},
      {"tabs", {{}, {"tab"}}},
      {"tab",
       {{"id", "idMso", "idQ", "tag", "label", "getLabel", "visible", "getVisible", "keytip",
         "getKeytip", "insertAfterMso", "insertBeforeMso"},
        {"group"}}},
      {"group",
       {{"id", "idMso", "idQ", "tag", "label", "getLabel", "image", "imageMso", "getImage",
         "visible", "getVisible", "screentip", "getScreentip", "supertip", "getSupertip", "keytip",
         "getKeytip", "insertAfterMso", "insertBeforeMso"},
        {"button", "toggleButton", "dropDown", "separator"}}},
      {"button", {With(kControlAttributes, {"size", "getSize", "onAction", "description"}), {}}},
      {"toggleButton",
       {With(kControlAttributes, {"size", "getSize", "onAction", "getPressed", "description"}),
        {}}},
      {"dropDown",
       {With(kControlAttributes,
             {"onAction", "getItemCount", "getItemLabel", "getItemID", "getItemImage",
              "getItemScreentip", "getItemSupertip", "getSelectedItemID", "getSelectedItemIndex",
              "showItemLabel", "showItemImage", "sizeString"}),
        {"item"}}},
      {"item", {{"id", "label", "image", "imageMso", "screentip", "supertip"}, {}}},
      {"separator",
       {{"id", "idQ", "visible", "getVisible", "insertAfterMso", "insertBeforeMso"}, {}}},
  };
  return rules;
}

// Callbacks are the attributes Office calls the add-in by: onX and getX, and loadImage.
bool IsCallback(const std::string& attribute) {
  return attribute.starts_with("on") || attribute.starts_with("get") || attribute == "loadImage";
}

class Reader {
 public:
  Reader(std::string ns, const std::function<bool(const std::string&)>& answers)
      : ns_(std::move(ns)), answers_(answers) {}

  void Check(const XmlElement& element, const std::string& parent) {
    if (element.ns != ns_) {
      throw ActionRefused("element " + QuoteText(element.name) +
                          " is not in the customUI namespace");
    }
    const auto rule = Rules().find(element.name);
    if (rule == Rules().end()) throw ActionRefused("unknown element " + QuoteText(element.name));
    if (!parent.empty()) {
      const auto& allowed = Rules().at(parent).children;
      if (std::ranges::find(allowed, element.name) == allowed.end()) {
        throw ActionRefused("element " + QuoteText(element.name) + " may not be in " +
                            QuoteText(parent));
      }
    }
    for (const auto& [name, value] : element.attributes) {
      if (std::ranges::find(rule->second.attributes, name) == rule->second.attributes.end()) {
        throw ActionRefused("unknown attribute " + QuoteText(name) + " of " +
                            QuoteText(element.name));
      }
      if (name == "id" && !ids_.insert(value).second) {
        throw ActionRefused("the id " + QuoteText(value) + " is used twice");
      }
      if (IsCallback(name) && !answers_(value)) {
        throw ActionRefused("the add-in does not answer the callback " + QuoteText(value) + " (" +
                            name + " of " + QuoteText(element.name) + ")");
      }
    }
    for (const XmlElement& child : element.children) Check(child, element.name);
  }

 private:
  std::string ns_;
  const std::function<bool(const std::string&)>& answers_;
  std::set<std::string> ids_;
};

std::string AttributeOf(const XmlElement& element, const std::string& name) {
  for (const auto& [attribute, value] : element.attributes) {
    if (attribute == name) return value;
  }
  return {};
}

}  // namespace

std::string RibbonControlDef::Attribute(const std::string& name) const {
  for (const auto& [attribute, value] : attributes) {
    if (attribute == name) return value;
  }
  return {};
}

CustomUi ReadCustomUi(const XmlElement& root, int officeMajor,
                      const std::function<bool(const std::string&)>& answers) {
  const bool known = root.ns == kCustomUi2006 || (officeMajor >= 14 && root.ns == kCustomUi2009);
  if (root.name != "customUI" || !known) {
    throw ActionRefused("the root is not customUI in a namespace Office " +
                        std::to_string(officeMajor) + " knows");
  }
  Reader(root.ns, answers).Check(root, "");
  CustomUi ui;
  ui.ns = root.ns;
  ui.onLoad = AttributeOf(root, "onLoad");
  for (const XmlElement& ribbon : root.children) {
    for (const XmlElement& tabs : ribbon.children) {
      for (const XmlElement& tab : tabs.children) {
        ui.tab =
            AttributeOf(tab, "idMso").empty() ? AttributeOf(tab, "id") : AttributeOf(tab, "idMso");
        for (const XmlElement& group : tab.children) {
          RibbonGroupDef def{AttributeOf(group, "id"), AttributeOf(group, "label"), {}};
          for (const XmlElement& control : group.children) {
            def.controls.push_back({control.name, AttributeOf(control, "id"), control.attributes});
          }
          ui.groups.push_back(std::move(def));
        }
      }
    }
  }
  return ui;
}

}  // namespace voxtrel::olsim
