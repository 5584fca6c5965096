#include "xml_serializer.h"

#include "boundary_strings.h"
#include "namespace_reconciler.h"

#include <libxml/xmlsave.h>

#include <utility>
#include <vector>

namespace msxml {
namespace {

std::string Declaration(xmlDocPtr doc) {
    std::string text = "<?xml version=\"";
    text += doc->version ? Chars(doc->version) : "1.0";
    text += '"';
    if (doc->standalone == 1) text += " standalone=\"yes\"";
    if (doc->standalone == 0) text += " standalone=\"no\"";
    text += "?>\n";
    return text;
}

// Declarations the subtree needs from outside, put on `element` for the time of one write.
class BorrowedDeclarations {
public:
    using Needed = std::vector<std::pair<const xmlChar*, const xmlChar*>>;

    BorrowedDeclarations(xmlNodePtr element, const Needed& needed) noexcept : element_(element) {
        for (const auto& [prefix, href] : needed) {
            xmlNsPtr ns = xmlNewNs(nullptr, href, prefix);
            if (ns == nullptr) {
                complete_ = false;
                break;
            }
            ns->next = borrowed_;
            borrowed_ = ns;
        }
        if (borrowed_ == nullptr) return;
        last_ = borrowed_;
        while (last_->next) last_ = last_->next;
        last_->next = element->nsDef;
        element->nsDef = borrowed_;
    }
    ~BorrowedDeclarations() {
        if (borrowed_ == nullptr) return;
        element_->nsDef = last_->next;
        last_->next = nullptr;
        xmlFreeNsList(borrowed_);
    }
    BorrowedDeclarations(const BorrowedDeclarations&) = delete;
    BorrowedDeclarations& operator=(const BorrowedDeclarations&) = delete;

    bool complete() const { return complete_; }

private:
    xmlNodePtr element_;
    xmlNsPtr borrowed_ = nullptr;
    xmlNsPtr last_ = nullptr;
    bool complete_ = true;
};

// Writes `node` into `buffer`; false when libxml2 runs out of memory.
bool Write(xmlNodePtr node, xmlBufferPtr buffer) {
    xmlSaveCtxtPtr save = xmlSaveToBuffer(buffer, "UTF-8", XML_SAVE_NO_DECL);
    if (save == nullptr) return false;
    if (node->type == XML_DOCUMENT_NODE) {
        xmlSaveDoc(save, reinterpret_cast<xmlDocPtr>(node));
    } else {
        xmlSaveTree(save, node);
    }
    return xmlSaveClose(save) >= 0;
}

struct BufferHolder {
    xmlBufferPtr buffer = xmlBufferCreate();
    ~BufferHolder() {
        if (buffer) xmlBufferFree(buffer);
    }
};

}  // namespace

HRESULT SerializeNode(const XmlTree& tree, xmlNodePtr node, std::string& out) {
    out.clear();
    BorrowedDeclarations::Needed needed;
    if (node->type == XML_ELEMENT_NODE) needed = UndeclaredNamespaces(node);
    if (node->type == XML_DOCUMENT_NODE && tree.hasDeclaration()) out = Declaration(reinterpret_cast<xmlDocPtr>(node));
    BufferHolder holder;
    if (holder.buffer == nullptr) return E_OUTOFMEMORY;
    {
        BorrowedDeclarations declarations(node, needed);
        if (!declarations.complete() || !Write(node, holder.buffer)) return E_OUTOFMEMORY;
    }
    std::string_view written(Chars(xmlBufferContent(holder.buffer)), xmlBufferLength(holder.buffer));
    // An attribute is written with the space that separates it from its element.
    if (node->type == XML_ATTRIBUTE_NODE && !written.empty() && written.front() == ' ') written.remove_prefix(1);
    out += written;
    return S_OK;
}

}  // namespace msxml
