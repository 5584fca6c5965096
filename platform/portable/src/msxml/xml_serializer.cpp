#include "xml_serializer.h"

#include "boundary_strings.h"
#include "namespace_reconciler.h"

#include <libxml/xmlsave.h>

#include <new>

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
    explicit BorrowedDeclarations(xmlNodePtr element) : element_(element) {
        if (element->type != XML_ELEMENT_NODE) return;
        for (const auto& [prefix, href] : UndeclaredNamespaces(element)) {
            xmlNsPtr ns = xmlNewNs(nullptr, href, prefix);
            if (ns == nullptr) throw std::bad_alloc();
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

private:
    xmlNodePtr element_;
    xmlNsPtr borrowed_ = nullptr;
    xmlNsPtr last_ = nullptr;
};

struct BufferHolder {
    xmlBufferPtr buffer = xmlBufferCreate();
    ~BufferHolder() {
        if (buffer) xmlBufferFree(buffer);
    }
};

}  // namespace

HRESULT SerializeNode(const XmlTree& tree, xmlNodePtr node, std::string& out) {
    try {
        out.clear();
        BufferHolder holder;
        if (holder.buffer == nullptr) return E_OUTOFMEMORY;
        xmlSaveCtxtPtr save = xmlSaveToBuffer(holder.buffer, "UTF-8", XML_SAVE_NO_DECL);
        if (save == nullptr) return E_OUTOFMEMORY;
        if (node->type == XML_DOCUMENT_NODE) {
            if (tree.hasDeclaration()) out = Declaration(reinterpret_cast<xmlDocPtr>(node));
            xmlSaveDoc(save, reinterpret_cast<xmlDocPtr>(node));
        } else {
            BorrowedDeclarations declarations(node);
            xmlSaveTree(save, node);
            xmlSaveFlush(save);
        }
        if (xmlSaveClose(save) < 0) return E_FAIL;
        std::string_view written(Chars(xmlBufferContent(holder.buffer)), xmlBufferLength(holder.buffer));
        // An attribute is written with the space that separates it from its element.
        if (node->type == XML_ATTRIBUTE_NODE && !written.empty() && written.front() == ' ') written.remove_prefix(1);
        out += written;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace msxml
