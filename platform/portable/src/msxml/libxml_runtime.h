// libxml2 as the stand-in runs it: its allocations counted by the runtime's fault injection,
// its messages never written to the process's streams, and the objects it makes checked for
// the strings it could not copy.
#pragma once

#include <libxml/tree.h>

#include <cstdint>

namespace msxml {

// Makes the calling thread's libxml2 silent; the allocator and the parser's initialisation
// are set up once, when the runtime library is loaded.
void EnsureLibxmlInitialized();

// Allocations libxml2 was refused on this thread so far. libxml2 does not report every one (a
// failed dictionary entry can surface as a malformed name): a call during which this count grew
// may have dropped part of its work.
uint64_t LibxmlAllocationFailures();

// libxml2 hands out a node or a namespace whose name, value or text is null when the copy of
// that string could not be allocated. These make such a half-made object an allocation failure:
// they free it and return null.
xmlNodePtr NewElement(xmlDocPtr doc, const xmlChar* name);
xmlAttrPtr NewAttribute(xmlDocPtr doc, const xmlChar* name);
xmlNodePtr NewText(xmlDocPtr doc, const xmlChar* text);
xmlNodePtr NewCData(xmlDocPtr doc, const xmlChar* text, int length);
xmlNodePtr NewComment(xmlDocPtr doc, const xmlChar* text);
xmlNodePtr NewProcessingInstruction(xmlDocPtr doc, const xmlChar* name, const xmlChar* text);
// A declaration on `element` (null: a loose one), as xmlNewNs makes it.
xmlNsPtr NewNamespace(xmlNodePtr element, const xmlChar* href, const xmlChar* prefix);
xmlDocPtr NewDocument();
// A copy of a leaf node (text, CDATA, comment, processing instruction, entity reference).
xmlNodePtr CopyLeaf(xmlNodePtr source, xmlDocPtr doc);

// Replaces the content of a leaf node; false, with the node unchanged, when the copy of `text`
// cannot be allocated.
bool ReplaceContent(xmlNodePtr node, const xmlChar* text);

}  // namespace msxml
