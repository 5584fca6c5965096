#include "xml_parser.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <portable/test_support.h>

#include <climits>
#include <cstdio>
#include <new>
#include <mutex>
#include <string>
#include <string_view>

namespace msxml {
namespace {

struct ParseState {
    bool prohibitDtd = true;
    unsigned maxDepth = 0;
    unsigned depth = 0;
    bool failed = false;  // a failure of our own (a refused DTD, a limit passed) or a namespace error
    bool haveError = false;
    int code = 0;
    std::string message;
    int line = 0;
    int column = 0;
};

ParseState& StateOf(void* context) {
    return *static_cast<ParseState*>(static_cast<xmlParserCtxtPtr>(context)->_private);
}

// Called from inside libxml2: nothing may throw through it. Without memory for the message
// the failure is still recorded, without its text.
void Record(ParseState& state, int code, std::string_view message, int line, int column) noexcept {
    if (state.haveError) return;
    state.haveError = true;
    state.code = code;
    try {
        state.message = message;
    } catch (const std::bad_alloc&) {
        state.message.clear();
    }
    while (!state.message.empty() && (state.message.back() == '\n' || state.message.back() == '\r')) {
        state.message.pop_back();
    }
    state.line = line;
    state.column = column;
}

// MSXML takes any namespace name, URI or not (Microsoft's own sample documents declare one that
// begins with a space); libxml2 reports those as errors of the namespace checks.
bool IsNamespaceNameCheck(const xmlError& error) {
    return error.domain == XML_FROM_NAMESPACE && (error.code == XML_WAR_NS_URI || error.code == XML_WAR_NS_URI_RELATIVE);
}

// The first error is the one that explains the failure; later ones follow from it. libxml2 goes
// on after a namespace error (an undeclared prefix, an empty namespace bound to a prefix), so
// such an error fails the load here.
void OnError(void* context, xmlErrorPtr error) {
    if (error == nullptr || error->level < XML_ERR_ERROR || IsNamespaceNameCheck(*error)) return;
    ParseState& state = StateOf(context);
    Record(state, error->code, error->message ? error->message : "malformed XML", error->line, error->int2);
    if (error->domain == XML_FROM_NAMESPACE) state.failed = true;
}

void Refuse(xmlParserCtxtPtr parser, int code, std::string_view reason) {
    ParseState& state = StateOf(parser);
    Record(state, code, reason, parser->input ? parser->input->line : 0, parser->input ? parser->input->col : 0);
    state.failed = true;
    parser->wellFormed = 0;
    xmlStopParser(parser);
}

void OnStartElement(void* context, const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri,
                    int namespaceCount, const xmlChar** namespaces, int attributeCount, int defaultedCount,
                    const xmlChar** attributes) {
    ParseState& state = StateOf(context);
    if (++state.depth > state.maxDepth) {
        char reason[80];
        std::snprintf(reason, sizeof reason, "Excessive depth in document: more than %u levels", state.maxDepth);
        Refuse(static_cast<xmlParserCtxtPtr>(context), XML_ERR_INTERNAL_ERROR, reason);
        return;
    }
    xmlSAX2StartElementNs(context, localName, prefix, uri, namespaceCount, namespaces, attributeCount,
                          defaultedCount, attributes);
}

void OnEndElement(void* context, const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri) {
    --StateOf(context).depth;
    xmlSAX2EndElementNs(context, localName, prefix, uri);
}

void OnInternalSubset(void* context, const xmlChar* name, const xmlChar* externalId, const xmlChar* systemId) {
    auto* parser = static_cast<xmlParserCtxtPtr>(context);
    if (!StateOf(context).prohibitDtd) {
        xmlSAX2InternalSubset(context, name, externalId, systemId);
        return;
    }
    Refuse(parser, XML_ERR_USER_STOP, "DTD is prohibited.");
}

// External subsets and entities are never read, whatever the text asks for.
void OnExternalSubset(void*, const xmlChar*, const xmlChar*, const xmlChar*) {}
xmlParserInputPtr OnResolveEntity(void*, const xmlChar*, const xmlChar*) { return nullptr; }

bool StartsWithDeclaration(const std::string& text) {
    std::string_view rest(text);
    if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);
    return rest.size() > 5 && rest.substr(0, 5) == "<?xml" &&
           (rest[5] == ' ' || rest[5] == '\t' || rest[5] == '\r' || rest[5] == '\n');
}

// Line text and UTF-16 position of the error, when the text is UTF-8 (as loadXML's always is).
void LocateInText(const std::string& text, ParseFailure& failure) {
    if (failure.line < 1) return;
    size_t lineStart = 0;
    for (LONG line = 1; line < failure.line; ++line) {
        const size_t newline = text.find('\n', lineStart);
        if (newline == std::string::npos) return;
        lineStart = newline + 1;
    }
    size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string::npos) lineEnd = text.size();
    failure.sourceLine = text.substr(lineStart, lineEnd - lineStart);
    if (!failure.sourceLine.empty() && failure.sourceLine.back() == '\r') failure.sourceLine.pop_back();
    const size_t before = PortableFromUtf8(text.data(), lineStart).size();
    failure.filePosition = static_cast<LONG>(before) + (failure.column > 0 ? failure.column - 1 : 0);
}

bool LooksLikeUtf16(const std::string& text) {
    return text.size() >= 2 && ((text[0] == '\xFF' && text[1] == '\xFE') || (text[0] == '\xFE' && text[1] == '\xFF'));
}

}  // namespace

void EnsureLibxmlInitialized() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

ParseResult ParseXml(const std::string& text, const std::string& url, const ParseSettings& settings) {
    EnsureLibxmlInitialized();
    ParseResult result;
    result.failure.url = url;
    if (text.size() > static_cast<size_t>(INT_MAX)) {
        result.failure.errorCode = static_cast<LONG>(kParseErrorBase + XML_ERR_INTERNAL_ERROR);
        result.failure.reason = "the document is larger than 2 GB";
        return result;
    }
    xmlParserCtxtPtr parser = xmlNewParserCtxt();
    if (parser == nullptr) {
        result.failure.errorCode = static_cast<LONG>(E_OUTOFMEMORY);
        result.failure.reason = "out of memory";
        return result;
    }
    ParseState state;
    state.prohibitDtd = settings.prohibitDtd;
    state.maxDepth = settings.maxElementDepth;
    parser->_private = &state;
    parser->sax->serror = OnError;
    parser->sax->internalSubset = OnInternalSubset;
    parser->sax->externalSubset = OnExternalSubset;
    parser->sax->resolveEntity = OnResolveEntity;
    parser->sax->startElementNs = OnStartElement;
    parser->sax->endElementNs = OnEndElement;

    int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    if (settings.ignoreDeclaredEncoding) options |= XML_PARSE_IGNORE_ENC;
    if (!settings.preserveWhiteSpace) options |= XML_PARSE_NOBLANKS;
    if (settings.prohibitDtd) options |= XML_PARSE_HUGE;
    xmlDocPtr doc = xmlCtxtReadMemory(parser, text.data(), static_cast<int>(text.size()),
                                      url.empty() ? nullptr : url.c_str(), nullptr, options);
    const bool ok = doc != nullptr && parser->wellFormed && !state.failed;
    xmlFreeParserCtxt(parser);
    if (ok) {
        result.doc = doc;
        result.hasDeclaration = StartsWithDeclaration(text);
        return result;
    }
    if (doc) xmlFreeDoc(doc);
    if (!state.haveError) Record(state, XML_ERR_INTERNAL_ERROR, "the document could not be parsed", 0, 0);
    result.failure.errorCode = static_cast<LONG>(kParseErrorBase + static_cast<uint32_t>(state.code));
    result.failure.reason = state.message;
    result.failure.line = state.line;
    result.failure.column = state.column;
    result.failure.filePosition = -1;
    if (!LooksLikeUtf16(text)) LocateInText(text, result.failure);
    return result;
}

}  // namespace msxml
