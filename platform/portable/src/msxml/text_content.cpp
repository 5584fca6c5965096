#include "text_content.h"

#include "boundary_strings.h"
#include "libxml_runtime.h"
#include "namespace_reconciler.h"
#include "node_walk.h"

#include <libxml/tree.h>
#include <portable/test_support.h>

namespace msxml {
namespace {

void AppendEntityText(xmlNodePtr reference, std::string& out) {
    xmlChar* text = xmlNodeGetContent(reference);
    if (text) out += Chars(text);
    xmlFree(text);
}

}  // namespace

std::string TextContent(xmlNodePtr node) {
    std::string text;
    switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_DOCUMENT_NODE:
    case XML_ATTRIBUTE_NODE:
        for (xmlNodePtr n = NextInSubtree(node, node); n; n = NextInSubtree(n, node)) {
            if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) {
                if (n->content) text += Chars(n->content);
            } else if (n->type == XML_ENTITY_REF_NODE) {
                AppendEntityText(n, text);
            }
        }
        break;
    case XML_ENTITY_REF_NODE:
        AppendEntityText(node, text);
        break;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
        if (node->content) text = Chars(node->content);
        break;
    default:
        break;
    }
    return text;
}

HRESULT ReplaceChildrenWithText(XmlTree& tree, xmlNodePtr node, const std::string& text) {
    xmlNodePtr replacement = nullptr;
    if (!text.empty()) {
        if (PortableFaultNextAllocationFails()) return E_OUTOFMEMORY;
        replacement = NewText(tree.doc(), XmlChars(text));
        if (replacement == nullptr) return E_OUTOFMEMORY;
    }
    HRESULT hr = S_OK;
    while (xmlNodePtr child = node->children) {
        const bool kept = SubtreeHasObjects(child);
        if (kept && !tree.NoteDetached(child)) {
            if (replacement != nullptr) xmlFreeNode(replacement);
            tree.Changed();
            return E_OUTOFMEMORY;
        }
        xmlUnlinkNode(child);
        if (kept) {
            const HRESULT localized = LocalizeDetached(tree, child);
            if (SUCCEEDED(hr)) hr = localized;
        } else {
            xmlFreeNode(child);
            tree.NodesFreed();
        }
    }
    if (replacement) {
        replacement->parent = node;
        node->children = node->last = replacement;
    }
    tree.Changed();
    return hr;
}

HRESULT VariantToUtf8(const VARIANT& value, std::string& out) {
    if (value.vt == VT_BSTR) {
        out = ArgToUtf8(value.bstrVal);
        return S_OK;
    }
    VARIANT text;
    VariantInit(&text);
    const HRESULT hr = VariantChangeType(&text, &value, 0, VT_BSTR);
    if (FAILED(hr)) return hr;
    out = ArgToUtf8(text.bstrVal);
    VariantClear(&text);
    return S_OK;
}

}  // namespace msxml
