// outlook-sim.exe's XML parser: MSXML's DOM through COM, as Office reads an add-in's Ribbon.
#include <windows.h>

#include <msxml2.h>

#include "sim/outlook/custom_ui.h"
#include "sim/outlook/model.h"
#include "win32/com/com_ptr.h"
#include "win32/com/unique_bstr.h"

namespace voxtrel::olsim {
namespace {

using voxtrel::win32::com::ComPtr;
using voxtrel::win32::com::UniqueBstr;

// MSXML 3's DOMDocument, {F5078F32-C551-11D3-89B9-0000F81FE221}: no import library carries it.
constexpr CLSID kDomDocument30 = {
    0xF5078F32, 0xC551, 0x11D3, {0x89, 0xB9, 0x00, 0x00, 0xF8, 0x1F, 0xE2, 0x21}};

std::string Read(HRESULT (STDMETHODCALLTYPE IXMLDOMNode::*property)(BSTR*), IXMLDOMNode& node) {
  UniqueBstr text;
  if (FAILED((node.*property)(text.put()))) return {};
  return text.ToUtf8();
}

XmlElement Convert(IXMLDOMNode& node) {
  XmlElement element;
  element.name = Read(&IXMLDOMNode::get_baseName, node);
  element.ns = Read(&IXMLDOMNode::get_namespaceURI, node);
  ComPtr<IXMLDOMNamedNodeMap> attributes;
  long count = 0;
  if (SUCCEEDED(node.get_attributes(attributes.put())) && attributes &&
      SUCCEEDED(attributes->get_length(&count))) {
    for (long i = 0; i < count; ++i) {
      ComPtr<IXMLDOMNode> attribute;
      if (FAILED(attributes->get_item(i, attribute.put())) || !attribute) continue;
      // Namespace declarations are the parser's, not attributes of the element.
      const std::string name = Read(&IXMLDOMNode::get_nodeName, *attribute.get());
      if (name == "xmlns" || name.starts_with("xmlns:")) continue;
      element.attributes.emplace_back(Read(&IXMLDOMNode::get_baseName, *attribute.get()),
                                      Read(&IXMLDOMNode::get_text, *attribute.get()));
    }
  }
  ComPtr<IXMLDOMNode> child;
  node.get_firstChild(child.put());
  while (child) {
    DOMNodeType type = NODE_INVALID;
    if (SUCCEEDED(child->get_nodeType(&type)) && type == NODE_ELEMENT) {
      element.children.push_back(Convert(*child.get()));
    }
    ComPtr<IXMLDOMNode> next;
    child->get_nextSibling(next.put());
    child = std::move(next);
  }
  return element;
}

}  // namespace

XmlElement ParseXml(const std::string& text) {
  ComPtr<IXMLDOMDocument> document;
  if (FAILED(CoCreateInstance(kDomDocument30, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                              document.put_void()))) {
    throw ActionRefused("MSXML is not available");
  }
  document->put_async(VARIANT_FALSE);
  VARIANT_BOOL loaded = VARIANT_FALSE;
  const UniqueBstr xml = UniqueBstr::FromUtf8(text);
  if (FAILED(document->loadXML(xml.get(), &loaded)) || loaded == VARIANT_FALSE) {
    std::string reason;
    ComPtr<IXMLDOMParseError> error;
    if (SUCCEEDED(document->get_parseError(error.put())) && error) {
      UniqueBstr why;
      if (SUCCEEDED(error->get_reason(why.put()))) reason = why.ToUtf8();
    }
    while (!reason.empty() &&
           (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) {
      reason.pop_back();
    }
    throw ActionRefused("not well-formed XML: " + reason);
  }
  ComPtr<IXMLDOMElement> root;
  if (FAILED(document->get_documentElement(root.put())) || !root) {
    throw ActionRefused("not well-formed XML: no root element");
  }
  return Convert(*root.get());
}

}  // namespace voxtrel::olsim
