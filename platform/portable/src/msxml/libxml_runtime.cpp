#include "libxml_runtime.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlmemory.h>
#include <portable/test_support.h>

#include <cstdlib>
#include <cstring>

namespace msxml {
namespace {

// libxml2's allocator: the C library's, asked first whether fault injection fails this one.
// Every wrapper hands its block to or takes it from the same malloc, so a block libxml2 got
// before this allocator was installed is freed correctly all the same.
thread_local uint64_t t_failures = 0;

template <class T>
T* Counted(T* block) {
    if (block == nullptr) ++t_failures;
    return block;
}

void* Allocate(size_t size) {
    return Counted(PortableFaultNextLibxmlAllocationFails() ? nullptr : std::malloc(size));
}

void* Reallocate(void* block, size_t size) {
    return Counted(PortableFaultNextLibxmlAllocationFails() ? nullptr : std::realloc(block, size));
}

void Free(void* block) { std::free(block); }

char* Duplicate(const char* text) {
    return Counted(PortableFaultNextLibxmlAllocationFails() ? nullptr : strdup(text));
}

void Discard(void*, const char*, ...) {}

// When the runtime library is loaded, before any code of the process can ask libxml2 for
// memory through the stand-in and before fault injection can be armed.
struct LibxmlSetup {
    LibxmlSetup() {
        xmlMemSetup(Free, Allocate, Reallocate, Duplicate);
        xmlThrDefSetGenericErrorFunc(nullptr, Discard);
        xmlInitParser();
    }
};
[[maybe_unused]] const LibxmlSetup g_setup;

template <class Node, class FreeFn>
Node* Whole(Node* made, bool whole, FreeFn freeFn) {
    if (made != nullptr && !whole) {
        freeFn(made);
        return nullptr;
    }
    return made;
}

bool Holds(const xmlChar* stored, const xmlChar* wanted) { return stored != nullptr || wanted == nullptr; }

bool HoldsText(const xmlNode* node, const xmlChar* text) {
    return node->content != nullptr || text == nullptr || text[0] == 0;
}

}  // namespace

uint64_t LibxmlAllocationFailures() { return t_failures; }

void EnsureLibxmlInitialized() {
    // libxml2's error channel is per thread: a thread libxml2 saw before it had the default.
    thread_local const bool silenced = [] {
        xmlSetGenericErrorFunc(nullptr, Discard);
        return true;
    }();
    static_cast<void>(silenced);
}

xmlNodePtr NewElement(xmlDocPtr doc, const xmlChar* name) {
    xmlNodePtr made = xmlNewDocNode(doc, nullptr, name, nullptr);
    return Whole(made, made && made->name, xmlFreeNode);
}

xmlAttrPtr NewAttribute(xmlDocPtr doc, const xmlChar* name) {
    xmlAttrPtr made = xmlNewDocProp(doc, name, nullptr);
    return Whole(made, made && made->name, xmlFreeProp);
}

xmlNodePtr NewText(xmlDocPtr doc, const xmlChar* text) {
    xmlNodePtr made = xmlNewDocText(doc, text);
    return Whole(made, made && HoldsText(made, text), xmlFreeNode);
}

xmlNodePtr NewCData(xmlDocPtr doc, const xmlChar* text, int length) {
    xmlNodePtr made = xmlNewCDataBlock(doc, text, length);
    return Whole(made, made && (length == 0 || made->content), xmlFreeNode);
}

xmlNodePtr NewComment(xmlDocPtr doc, const xmlChar* text) {
    xmlNodePtr made = xmlNewDocComment(doc, text);
    return Whole(made, made && HoldsText(made, text), xmlFreeNode);
}

xmlNodePtr NewProcessingInstruction(xmlDocPtr doc, const xmlChar* name, const xmlChar* text) {
    xmlNodePtr made = xmlNewDocPI(doc, name, text);
    return Whole(made, made && made->name && HoldsText(made, text), xmlFreeNode);
}

xmlNsPtr NewNamespace(xmlNodePtr element, const xmlChar* href, const xmlChar* prefix) {
    xmlNsPtr made = xmlNewNs(element, href, prefix);
    if (made == nullptr || (Holds(made->href, href) && Holds(made->prefix, prefix))) return made;
    if (element != nullptr) {
        xmlNsPtr* link = &element->nsDef;
        while (*link != made) link = &(*link)->next;
        *link = made->next;
        made->next = nullptr;
    }
    xmlFreeNs(made);
    return nullptr;
}

xmlDocPtr NewDocument() {
    xmlDocPtr made = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
    return Whole(made, made && made->version, xmlFreeDoc);
}

xmlNodePtr CopyLeaf(xmlNodePtr source, xmlDocPtr doc) {
    xmlNodePtr made = xmlDocCopyNode(source, doc, 1);
    return Whole(made, made && Holds(made->name, source->name) && Holds(made->content, source->content), xmlFreeNode);
}

bool ReplaceContent(xmlNodePtr node, const xmlChar* text) {
    xmlChar* copy = text ? xmlStrdup(text) : nullptr;
    if (text != nullptr && copy == nullptr) return false;
    // The parser may have stored the old text in the document's dictionary, which owns it.
    xmlChar* old = node->content;
    const bool dictionaryOwned = node->doc && node->doc->dict && old && xmlDictOwns(node->doc->dict, old);
    if (old != nullptr && !dictionaryOwned && old != reinterpret_cast<xmlChar*>(&node->properties)) xmlFree(old);
    node->content = copy;
    node->properties = nullptr;
    return true;
}

}  // namespace msxml
