// The Ribbon XML the add-in hands Office, read as Office reads it: the parser of each face
// (libxml2 natively, MSXML under Wine) and Office's rules over it. Both faces must accept the
// add-in's own customUI and refuse what Office refuses, for the same reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ribbon/custom_ui_xml.h"
#include "sim/outlook/custom_ui.h"
#include "sim/outlook/model.h"

namespace voxtrel::olsim {
namespace {

constexpr char kNs2006[] = "http://schemas.microsoft.com/office/2006/01/customui";
constexpr char kNs2009[] = "http://schemas.microsoft.com/office/2009/07/customui";

bool AnswersEverything(const std::string&) {
  return true;
}

// What the reader says when it refuses the text; empty when it accepts it.
std::string Refusal(const std::string& xml, int officeMajor,
                    const std::function<bool(const std::string&)>& answers = AnswersEverything) {
  try {
    ReadCustomUi(ParseXml(xml), officeMajor, answers);
  } catch (const ActionRefused& refused) {
    return refused.what();
  }
  return {};
}

// A group on the mail tab holding `controls`, in the namespace given.
std::string Group(const std::string& controls, const std::string& ns = kNs2009) {
  return "<customUI xmlns=\"" + ns +
         "\"><ribbon><tabs><tab idMso=\"TabMail\"><group id=\"G\" label=\"Group\">" + controls +
         "</group></tab></tabs></ribbon></customUI>";
}

struct OwnCase {
  const char* ribbonId;
  int major;
  const char* ns;
  const char* tab;
};

TEST(CustomUiContract, TheAddInsOwnCustomUiIsAcceptedAsWrittenOnEveryVersionThatShowsIt) {
  const std::vector<OwnCase> cases = {
      {ribbon::kCompose, 12, kNs2006, "TabNewMailMessage"},
      {ribbon::kRead, 12, kNs2006, "TabReadMessage"},
      {ribbon::kCompose, 14, kNs2009, "TabNewMailMessage"},
      {ribbon::kRead, 14, kNs2009, "TabReadMessage"},
      {ribbon::kExplorer, 14, kNs2009, "TabMail"},
      {ribbon::kCompose, 16, kNs2009, "TabNewMailMessage"},
      {ribbon::kRead, 16, kNs2009, "TabReadMessage"},
      {ribbon::kExplorer, 16, kNs2009, "TabMail"},
  };
  const std::set<std::string> allCallbacks(ribbon::kCallbacks.begin(), ribbon::kCallbacks.end());
  for (const OwnCase& c : cases) {
    SCOPED_TRACE(std::string(c.ribbonId) + " on " + std::to_string(c.major));
    const std::string xml = ribbon::CustomUiFor(c.ribbonId, c.major);
    ASSERT_FALSE(xml.empty());
    std::set<std::string> asked;
    const CustomUi ui = ReadCustomUi(ParseXml(xml), c.major, [&](const std::string& name) {
      asked.insert(name);
      return true;
    });
    // Every callback the add-in offers is named, and Office asks its IDispatch for each.
    EXPECT_EQ(asked, allCallbacks);
    EXPECT_EQ(ui.ns, c.ns);
    EXPECT_EQ(ui.onLoad, ribbon::kOnLoad);
    EXPECT_EQ(ui.tab, c.tab);
    ASSERT_EQ(ui.groups.size(), 1u);
    EXPECT_EQ(ui.groups[0].id, "VoxtrelGroup");
    EXPECT_EQ(ui.groups[0].label, "Vox Trel");
    std::vector<std::string> ids, expected;
    for (const RibbonControlDef& control : ui.groups[0].controls) {
      ids.push_back(control.id);
      EXPECT_EQ(control.kind, control.id == "VoxtrelFiles" ? "dropDown" : "button");
      EXPECT_EQ(control.Attribute("id"), control.id);
    }
    for (const ribbon::ControlName& control : ribbon::kControls) expected.push_back(control.id);
    std::ranges::sort(ids);
    std::ranges::sort(expected);
    EXPECT_EQ(ids, expected);
    const auto& controls = ui.groups[0].controls;
    const auto properties = std::ranges::find(controls, "VoxtrelProperties", &RibbonControlDef::id);
    ASSERT_NE(properties, controls.end());
    EXPECT_EQ(properties->Attribute("screentip"), "Voxtrel Properties");
    EXPECT_EQ(properties->Attribute("onAction"), ribbon::kOnAction);
    const auto files = std::ranges::find(controls, "VoxtrelFiles", &RibbonControlDef::id);
    ASSERT_NE(files, controls.end());
    EXPECT_EQ(files->Attribute("onAction"), ribbon::kOnChoose);
    EXPECT_EQ(files->Attribute("getItemLabel"), ribbon::kGetItemLabel);
  }
}

TEST(CustomUiContract, WhatTheParserDecodesReachesTheReaderAsWritten) {
  // A declaration, a prefix of the writer's choosing, entities, spaces and UTF-8 in values.
  const std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<!-- the group -->\n"
      "<mso:customUI xmlns:mso=\"" +
      std::string(kNs2009) +
      "\">\n"
      "  <mso:ribbon><mso:tabs><mso:tab id=\"MyTab\" label=\"Mine\">\n"
      "    <mso:group id=\"G\" label=\"Voice &amp; mail\">\n"
      "      <mso:button id=\"B\" label=\" two  spaces \" screentip=\"Gr\xC3\xBC\xC3\x9F"
      "e &#x263A;\"/>\n"
      "      <mso:dropDown id=\"D\" label='&lt;list&gt;'><mso:item id=\"I\" label=\"one\"/>"
      "</mso:dropDown>\n"
      "    </mso:group>\n"
      "  </mso:tab></mso:tabs></mso:ribbon>\n"
      "</mso:customUI>\n";
  const CustomUi ui = ReadCustomUi(ParseXml(xml), 16, AnswersEverything);
  EXPECT_EQ(ui.ns, kNs2009);
  EXPECT_EQ(ui.tab, "MyTab");
  EXPECT_EQ(ui.onLoad, "");
  ASSERT_EQ(ui.groups.size(), 1u);
  EXPECT_EQ(ui.groups[0].label, "Voice & mail");
  ASSERT_EQ(ui.groups[0].controls.size(), 2u);
  const RibbonControlDef& button = ui.groups[0].controls[0];
  EXPECT_EQ(button.kind, "button");
  EXPECT_EQ(button.Attribute("label"), " two  spaces ");
  EXPECT_EQ(button.Attribute("screentip"),
            "Gr\xC3\xBC\xC3\x9F"
            "e \xE2\x98\xBA");
  EXPECT_EQ(button.Attribute("missing"), "");
  // In document order, the namespace declarations not among them.
  const std::vector<std::pair<std::string, std::string>> attributes = {
      {"id", "B"}, {"label", " two  spaces "}, {"screentip", button.Attribute("screentip")}};
  EXPECT_EQ(button.attributes, attributes);
  EXPECT_EQ(ui.groups[0].controls[1].kind, "dropDown");
  EXPECT_EQ(ui.groups[0].controls[1].Attribute("label"), "<list>");
  // Office 2010 and later still read the 2007 namespace.
  EXPECT_EQ(Refusal(Group("<button id=\"B\"/>", kNs2006), 14), "");
  EXPECT_EQ(Refusal(Group("<button id=\"B\"/>", kNs2006), 12), "");
}

struct RefusedCase {
  const char* what;
  std::string xml;
  int major;
  const char* reason;  // the start of the reader's reason; empty where the parsers differ
};

TEST(CustomUiContract, WhatOfficeRefusesIsRefusedWithTheReason) {
  const std::string own12 = ribbon::CustomUiFor(ribbon::kCompose, 12);
  std::string twenty09on12 = own12;
  twenty09on12.replace(twenty09on12.find(kNs2006), std::string(kNs2006).size(), kNs2009);
  const std::vector<RefusedCase> cases = {
      {"nothing at all", "", 14, "not well-formed XML: "},
      {"an element left open", "<customUI xmlns=\"" + std::string(kNs2009) + "\"><ribbon>", 14,
       "not well-formed XML: "},
      {"tags crossed", Group("<button id=\"B\"></group></button>"), 14, "not well-formed XML: "},
      {"two roots", Group("") + Group(""), 14, "not well-formed XML: "},
      {"an attribute twice", Group("<button id=\"B\" id=\"C\"/>"), 14, "not well-formed XML: "},
      {"an attribute not quoted", Group("<button id=B/>"), 14, "not well-formed XML: "},
      {"an undeclared entity", Group("<button id=\"B\" label=\"&nbsp;\"/>"), 14,
       "not well-formed XML: "},
      // Windows' MSXML and libxml2 stop at a prefix never declared; Wine's MSXML drops the
      // prefix, and the element is then in no namespace. Refused either way.
      {"an undeclared prefix", Group("<x:button id=\"B\"/>"), 14, ""},
      {"the 2009 namespace on Office 2007", twenty09on12, 12,
       "the root is not customUI in a namespace Office 12 knows"},
      {"no namespace", "<customUI><ribbon/></customUI>", 14,
       "the root is not customUI in a namespace Office 14 knows"},
      {"another root", "<ribbon xmlns=\"" + std::string(kNs2009) + "\"/>", 16,
       "the root is not customUI in a namespace Office 16 knows"},
      {"a control in another namespace", Group("<x:button xmlns:x=\"urn:other\" id=\"B\"/>"), 14,
       "element \"button\" is not in the customUI namespace"},
      {"an unknown element", Group("<knob id=\"K\"/>"), 14, "unknown element \"knob\""},
      {"an element out of place",
       "<customUI xmlns=\"" + std::string(kNs2009) + "\"><ribbon><button id=\"B\"/></ribbon>" +
           "</customUI>",
       14, "element \"button\" may not be in \"ribbon\""},
      {"an unknown attribute", Group("<button id=\"B\" colour=\"red\"/>"), 14,
       "unknown attribute \"colour\" of \"button\""},
      {"a dropDown's attribute on a button", Group("<button id=\"B\" getItemCount=\"X\"/>"), 14,
       "unknown attribute \"getItemCount\" of \"button\""},
      {"an id twice", Group("<button id=\"B\"/><dropDown id=\"B\"/>"), 14,
       "the id \"B\" is used twice"},
      {"a control with the group's id", Group("<button id=\"G\"/>"), 16,
       "the id \"G\" is used twice"},
  };
  for (const RefusedCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string reason = Refusal(c.xml, c.major);
    EXPECT_FALSE(reason.empty());
    EXPECT_TRUE(reason.starts_with(c.reason)) << reason;
    // The parser's own words follow, whichever parser it is.
    if (std::string(c.reason).ends_with(": ")) {
      EXPECT_GT(reason.size(), std::strlen(c.reason));
    }
  }
}

TEST(CustomUiContract, EveryCallbackTheAddInDoesNotAnswerRefusesItsCustomUi) {
  for (const int major : {12, 14, 16}) {
    const std::string xml = ribbon::CustomUiFor(ribbon::kCompose, major);
    for (const char* missing : ribbon::kCallbacks) {
      SCOPED_TRACE(std::string(missing) + " on " + std::to_string(major));
      const std::string reason =
          Refusal(xml, major, [&](const std::string& name) { return name != missing; });
      EXPECT_TRUE(reason.starts_with("the add-in does not answer the callback \"" +
                                     std::string(missing) + "\""))
          << reason;
    }
  }
  // Names are asked as written: an add-in answering only other spellings answers nothing.
  EXPECT_TRUE(Refusal(Group("<button id=\"B\" onAction=\"Click\"/>"), 14,
                      [](const std::string& name) { return name == "click"; })
                  .starts_with("the add-in does not answer the callback \"Click\" (onAction of "
                               "\"button\")"));
  EXPECT_EQ(Refusal(Group("<button id=\"B\" onAction=\"Click\"/>"), 14,
                    [](const std::string& name) { return name == "Click"; }),
            "");
}

}  // namespace
}  // namespace voxtrel::olsim
