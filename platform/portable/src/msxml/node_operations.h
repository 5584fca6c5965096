// The IXMLDOMNode operations, written once over libxml2 nodes for every kind of node object.
#pragma once

#include "node_object.h"

#include <string>

namespace msxml::node_ops {

// Names, types and navigation.
HRESULT GetNodeName(const NodeObject& self, BSTR* name);
HRESULT GetNodeValue(const NodeObject& self, VARIANT* value);
HRESULT PutNodeValue(NodeObject& self, const VARIANT& value);
HRESULT GetNodeType(const NodeObject& self, DOMNodeType* type);
HRESULT GetNodeTypeString(const NodeObject& self, BSTR* text);
HRESULT GetParentNode(const NodeObject& self, IXMLDOMNode** parent);
HRESULT GetChildNodes(NodeObject& self, IXMLDOMNodeList** list);
HRESULT GetFirstChild(const NodeObject& self, IXMLDOMNode** child);
HRESULT GetLastChild(const NodeObject& self, IXMLDOMNode** child);
HRESULT GetPreviousSibling(const NodeObject& self, IXMLDOMNode** sibling);
HRESULT GetNextSibling(const NodeObject& self, IXMLDOMNode** sibling);
HRESULT GetAttributes(NodeObject& self, IXMLDOMNamedNodeMap** map);
HRESULT HasChildNodes(const NodeObject& self, VARIANT_BOOL* has);
HRESULT GetOwnerDocument(const NodeObject& self, IXMLDOMDocument** document);
HRESULT GetNamespaceURI(const NodeObject& self, BSTR* uri);
HRESULT GetPrefix(const NodeObject& self, BSTR* prefix);
HRESULT GetBaseName(const NodeObject& self, BSTR* name);

// Tree editing.
HRESULT InsertBefore(NodeObject& self, IXMLDOMNode* newChild, const VARIANT& refChild, IXMLDOMNode** out);
HRESULT ReplaceChild(NodeObject& self, IXMLDOMNode* newChild, IXMLDOMNode* oldChild, IXMLDOMNode** out);
HRESULT RemoveChild(NodeObject& self, IXMLDOMNode* child, IXMLDOMNode** out);
HRESULT AppendChild(NodeObject& self, IXMLDOMNode* newChild, IXMLDOMNode** out);
HRESULT CloneNode(NodeObject& self, VARIANT_BOOL deep, IXMLDOMNode** clone);

// Text.
HRESULT GetText(const NodeObject& self, BSTR* text);
HRESULT PutText(NodeObject& self, BSTR text);

// Serialization.
HRESULT GetXml(const NodeObject& self, BSTR* xml);

}  // namespace msxml::node_ops
