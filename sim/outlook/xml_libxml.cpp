// The native face's XML parser: libxml2, namespaces resolved as Office's MSXML resolves them.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <memory>

#include "sim/outlook/custom_ui.h"
#include "sim/outlook/model.h"

namespace voxtrel::olsim {
namespace {

struct ContextDeleter {
  void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};

struct DocumentDeleter {
  void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};

// xmlFree is a variable holding the allocator's free function.
struct TextDeleter {
  void operator()(xmlChar* text) const { xmlFree(text); }
};

std::string Text(const xmlChar* text) {
  return text == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(text));
}

XmlElement Convert(const xmlNode& node) {
  XmlElement element;
  element.name = Text(node.name);
  element.ns = node.ns != nullptr ? Text(node.ns->href) : std::string();
  for (const xmlAttr* attribute = node.properties; attribute != nullptr;
       attribute = attribute->next) {
    const std::unique_ptr<xmlChar, TextDeleter> value(
        xmlNodeListGetString(node.doc, attribute->children, 1));
    element.attributes.emplace_back(Text(attribute->name), Text(value.get()));
  }
  for (const xmlNode* child = node.children; child != nullptr; child = child->next) {
    if (child->type == XML_ELEMENT_NODE) element.children.push_back(Convert(*child));
  }
  return element;
}

}  // namespace

XmlElement ParseXml(const std::string& text) {
  const std::unique_ptr<xmlParserCtxt, ContextDeleter> context(xmlNewParserCtxt());
  if (!context) throw ActionRefused("not well-formed XML: the parser cannot start");
  std::unique_ptr<xmlDoc, DocumentDeleter> document(
      xmlCtxtReadMemory(context.get(), text.data(), static_cast<int>(text.size()), "customUI.xml",
                        nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  // libxml2 reads on past a prefix never declared, where MSXML (Office's parser) stops.
  if (document && !context->nsWellFormed) document.reset();
  if (!document) {
    const char* said = context->lastError.message;
    std::string message = said != nullptr ? said : "";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
      message.pop_back();
    // An empty text stops libxml2 before it says anything.
    if (message.empty()) message = "no document";
    throw ActionRefused("not well-formed XML: " + message);
  }
  const xmlNode* root = xmlDocGetRootElement(document.get());
  if (root == nullptr) throw ActionRefused("not well-formed XML: no root element");
  return Convert(*root);
}

}  // namespace voxtrel::olsim
