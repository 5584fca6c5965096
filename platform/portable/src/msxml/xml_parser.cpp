#include "xml_parser.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <portable/test_support.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>

namespace msxml {
namespace {

struct ParseState {
    bool prohibitDtd = true;
    unsigned maxDepth = 0;
    unsigned depth = 0;
    bool failed = false;  // a failure of our own (a refused DTD, a limit passed) or a namespace error
    bool haveError = false;
    bool outOfMemory = false;  // reported by the parser or by the tree functions it calls
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
    if (error == nullptr) return;
    ParseState& state = StateOf(context);
    if (error->code == XML_ERR_NO_MEMORY) state.outOfMemory = true;
    if (error->level < XML_ERR_ERROR || IsNamespaceNameCheck(*error)) return;
    Record(state, error->code, error->message ? error->message : "malformed XML", error->line, error->int2);
    if (error->domain == XML_FROM_NAMESPACE) state.failed = true;
}

// Errors raised without the parser's context (the tree functions the parser calls, libxml2's
// string copies) reach the thread's structured handler instead.
void OnErrorOutsideParser(void* data, xmlErrorPtr error) {
    if (error != nullptr && error->code == XML_ERR_NO_MEMORY) static_cast<ParseState*>(data)->outOfMemory = true;
}

// Points the thread's structured error handler at one parse while it runs; a handler of the
// host's own is put back after.
class ErrorsToParse {
public:
    explicit ErrorsToParse(ParseState& state)
        : savedHandler_(xmlStructuredError), savedContext_(xmlStructuredErrorContext) {
        xmlSetStructuredErrorFunc(&state, OnErrorOutsideParser);
    }
    ~ErrorsToParse() { xmlSetStructuredErrorFunc(savedContext_, savedHandler_); }
    ErrorsToParse(const ErrorsToParse&) = delete;
    ErrorsToParse& operator=(const ErrorsToParse&) = delete;

private:
    xmlStructuredErrorFunc savedHandler_;
    void* savedContext_;
};

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
    if (++state.depth > state.maxDepth && state.maxDepth != 0) {
        char reason[120];
        std::snprintf(reason, sizeof reason, "Elements are nested more than %u deep (MaxElementDepth).",
                      state.maxDepth);
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

bool LooksLikeUtf16(std::string_view text) {
    return text.size() >= 2 && ((text[0] == '\xFF' && text[1] == '\xFE') || (text[0] == '\xFE' && text[1] == '\xFF'));
}

// The ASCII characters that open UTF-16 text after its byte-order mark, up to the first other one.
std::string LeadingAsciiOfUtf16(std::string_view text) {
    const bool bigEndian = text[0] == '\xFE';
    std::string ascii;
    for (size_t i = 2; i + 1 < text.size(); i += 2) {
        const char high = text[bigEndian ? i : i + 1];
        const char low = text[bigEndian ? i + 1 : i];
        if (high != 0 || (low & 0x80) != 0) break;
        ascii += low;
    }
    return ascii;
}

// Whether the text opens with an XML declaration: UTF-8 with or without a byte-order mark, or
// UTF-16 with one.
bool StartsWithDeclaration(std::string_view text) {
    if (LooksLikeUtf16(text)) return StartsWithDeclaration(LeadingAsciiOfUtf16(text.substr(0, 14)));
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    return text.size() > 5 && text.substr(0, 5) == "<?xml" &&
           (text[5] == ' ' || text[5] == '\t' || text[5] == '\r' || text[5] == '\n');
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

// Whether a UTF-8 byte begins a character rather than continues one.
bool StartsCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

size_t Utf8Characters(std::string_view bytes) {
    return static_cast<size_t>(std::count_if(bytes.begin(), bytes.end(), StartsCharacter));
}

// The characters of a text of `bytes` bytes that opens with `head`: UTF-16 units after a
// byte-order mark, otherwise `utf8Characters`, the UTF-8 characters it holds.
size_t CharactersOf(std::string_view head, size_t bytes, size_t utf8Characters) {
    return LooksLikeUtf16(head) ? (bytes - 2) / 2 : utf8Characters;
}

size_t CountCharacters(const std::string& text) {
    return CharactersOf(text, text.size(), LooksLikeUtf16(text) ? 0 : Utf8Characters(text));
}

// The line and column (from 1) of the character after the first `count` characters of UTF-8 text.
void PositionAfter(const std::string& text, size_t count, ParseFailure& failure) {
    failure.line = 1;
    failure.column = 1;
    size_t seen = 0;
    for (char c : text) {
        if (!StartsCharacter(c)) continue;
        if (seen++ == count) return;
        if (c == '\n') {
            ++failure.line;
            failure.column = 1;
        } else {
            ++failure.column;
        }
    }
}

// MaxXMLSize: a text longer than the bound fails before it is parsed, at its first character
// past the bound.
bool WithinSizeLimit(const std::string& text, unsigned kilochars, ParseFailure& failure) {
    const size_t limit = size_t{kilochars} * 1024;
    if (kilochars == 0 || CountCharacters(text) <= limit) return true;
    failure.errorCode = static_cast<LONG>(kParseErrorBase + XML_ERR_INTERNAL_ERROR);
    failure.reason = "The document is larger than " + std::to_string(limit) + " characters (MaxXMLSize).";
    failure.filePosition = -1;
    if (!LooksLikeUtf16(text)) {
        PositionAfter(text, limit, failure);
        LocateInText(text, failure);
    }
    return false;
}

struct ParserFree {
    void operator()(xmlParserCtxtPtr parser) const { xmlFreeParserCtxt(parser); }
};
using ParserHolder = std::unique_ptr<xmlParserCtxt, ParserFree>;
struct DocFree {
    void operator()(xmlDocPtr doc) const { xmlFreeDoc(doc); }
};
using DocHolder = std::unique_ptr<xmlDoc, DocFree>;

ParseResult OutOfMemory(ParseResult result) {
    result.outOfMemory = true;
    result.failure = OutOfMemoryFailure();
    return result;
}

// libxml2 takes a NUL character after the root element for the end of the text; the rest of
// the text, markup or not, would be dropped without a word.
bool StoppedBeforeEnd(xmlParserCtxtPtr parser) {
    const xmlParserInputPtr input = parser->input;
    return input != nullptr && input->cur != nullptr && input->end != nullptr && input->cur < input->end;
}

void Attach(xmlParserCtxtPtr parser, ParseState& state) {
    parser->_private = &state;
    parser->sax->serror = OnError;
    parser->sax->internalSubset = OnInternalSubset;
    parser->sax->externalSubset = OnExternalSubset;
    parser->sax->resolveEntity = OnResolveEntity;
    parser->sax->startElementNs = OnStartElement;
    parser->sax->endElementNs = OnEndElement;
}

// NONET: nothing is ever fetched. NOERROR, NOWARNING: errors reach OnError only, never standard
// error. IGNORE_ENC: text converted from UTF-16 is UTF-8 whatever its declaration says.
// NOBLANKS: preserveWhiteSpace off drops whitespace-only text. HUGE: libxml2 refuses more than
// 256 levels by itself and lifts that only with its other size limits; it is asked for only when
// the document raised MaxElementDepth past 256 (or to none) and no DTD can declare entities, and
// OnStartElement keeps the document's own bound.
int ParserOptions(const ParseSettings& settings) {
    int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    if (settings.ignoreDeclaredEncoding) options |= XML_PARSE_IGNORE_ENC;
    if (!settings.preserveWhiteSpace) options |= XML_PARSE_NOBLANKS;
    const bool deeperThanLibxml2 = settings.maxElementDepth == 0 || settings.maxElementDepth > kDefaultMaxElementDepth;
    if (deeperThanLibxml2 && settings.prohibitDtd) options |= XML_PARSE_HUGE;
    return options;
}

// Runs `read(parser, options)`, libxml2's parse of one source, under the settings' checks. The
// failure has libxml2's line and column; the caller places it in the text.
template <class ReadDocument>
ParseResult RunParser(const std::string& url, const ParseSettings& settings, ReadDocument read) {
    EnsureLibxmlInitialized();
    ParseResult result;
    result.failure.url = url;
    const ParserHolder parser(xmlNewParserCtxt());
    if (parser == nullptr) return OutOfMemory(std::move(result));
    ParseState state;
    state.prohibitDtd = settings.prohibitDtd;
    state.maxDepth = settings.maxElementDepth;
    DocHolder doc;
    const uint64_t failuresBefore = LibxmlAllocationFailures();
    {
        const ErrorsToParse errors(state);
        Attach(parser.get(), state);
        doc.reset(read(parser.get(), ParserOptions(settings)));
    }
    // libxml2 stops at memory running out and may call what it read so far well-formed, or
    // report a name it could not store as a malformed one.
    if (state.outOfMemory || parser->errNo == XML_ERR_NO_MEMORY || LibxmlAllocationFailures() != failuresBefore) {
        return OutOfMemory(std::move(result));
    }
    if (doc && parser->wellFormed && !state.failed && StoppedBeforeEnd(parser.get())) {
        Refuse(parser.get(), XML_ERR_INVALID_CHAR, "A NUL character follows the root element; XML does not allow it.");
    }
    if (doc && parser->wellFormed && !state.failed) {
        result.doc = doc.release();
        return result;
    }
    if (!state.haveError) Record(state, XML_ERR_INTERNAL_ERROR, "the document could not be parsed", 0, 0);
    result.failure.errorCode = static_cast<LONG>(kParseErrorBase + static_cast<uint32_t>(state.code));
    result.failure.reason = state.message;
    result.failure.line = state.line;
    result.failure.column = state.column;
    result.failure.filePosition = -1;
    return result;
}

// A file handed to libxml2 as it asks for it: characters counted against MaxXMLSize, the first
// bytes kept to tell whether the text opens with a declaration.
class FileSource {
public:
    FileSource(std::FILE* file, unsigned kilochars) : file_(file), limit_(size_t{kilochars} * 1024) {}

    static int Read(void* context, char* buffer, int length) noexcept {
        return static_cast<FileSource*>(context)->ReadNext(buffer, static_cast<size_t>(length));
    }

    bool failed() const { return failed_; }
    bool tooLarge() const { return tooLarge_; }
    const std::string& head() const { return head_; }

private:
    // "<?xml" and a space after a byte-order mark, in UTF-8 or UTF-16.
    static constexpr size_t kHeadBytes = 14;

    // head_ stays within the string's own storage: nothing here allocates or throws.
    int ReadNext(char* buffer, size_t length) noexcept {
        const size_t got = std::fread(buffer, 1, length, file_);
        if (got == 0) {
            failed_ = std::ferror(file_) != 0;
            return failed_ ? -1 : 0;
        }
        head_.append(buffer, std::min(got, kHeadBytes - head_.size()));
        bytes_ += got;
        if (limit_ != 0) Count(buffer, got);
        return tooLarge_ ? -1 : static_cast<int>(got);
    }

    void Count(const char* bytes, size_t length) {
        utf8Characters_ += Utf8Characters(std::string_view(bytes, length));
        tooLarge_ = CharactersOf(head_, bytes_, utf8Characters_) > limit_;
    }

    std::FILE* file_;
    size_t limit_;
    std::string head_;
    size_t bytes_ = 0;
    size_t utf8Characters_ = 0;
    bool failed_ = false;
    bool tooLarge_ = false;
};

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHolder = std::unique_ptr<std::FILE, FileClose>;

bool ReadWholeFile(const std::string& path, std::string& text) {
    const FileHolder file(std::fopen(path.c_str(), "rb"));
    if (file == nullptr) return false;
    char chunk[65536];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) text.append(chunk, got);
    return std::ferror(file.get()) == 0;
}

ParseResult CannotRead(const std::string& url) {
    ParseResult result;
    result.failure.errorCode = static_cast<LONG>(kParseErrorBase + XML_IO_LOAD_ERROR);
    result.failure.reason = "cannot read the file";
    result.failure.url = url;
    result.failure.filePosition = -1;
    return result;
}

// The failure of a file's parse placed in its text, which is read again for it.
ParseResult DescribeInFile(ParseResult result, const std::string& path, const FileSource& source,
                           const ParseSettings& settings) {
    std::string text;
    if (!ReadWholeFile(path, text)) return CannotRead(result.failure.url);
    if (source.tooLarge()) {
        ParseFailure failure;
        failure.url = result.failure.url;
        result.failure = std::move(failure);
        WithinSizeLimit(text, settings.maxSizeKilochars, result.failure);
    } else if (!LooksLikeUtf16(text)) {
        LocateInText(text, result.failure);
    }
    return result;
}

}  // namespace

ParseFailure OutOfMemoryFailure() {
    ParseFailure failure;
    failure.errorCode = static_cast<LONG>(E_OUTOFMEMORY);
    failure.reason = "out of memory";
    failure.filePosition = -1;
    return failure;
}

ParseResult ParseXml(const std::string& text, const std::string& url, const ParseSettings& settings) {
    ParseResult refused;
    refused.failure.url = url;
    if (text.size() > static_cast<size_t>(INT_MAX)) {
        refused.failure.errorCode = static_cast<LONG>(kParseErrorBase + XML_ERR_INTERNAL_ERROR);
        refused.failure.reason = "the document is larger than 2 GB";
        return refused;
    }
    if (!WithinSizeLimit(text, settings.maxSizeKilochars, refused.failure)) return refused;
    const auto read = [&](xmlParserCtxtPtr parser, int options) {
        return xmlCtxtReadMemory(parser, text.data(), static_cast<int>(text.size()),
                                 url.empty() ? nullptr : url.c_str(), nullptr, options);
    };
    ParseResult result = RunParser(url, settings, read);
    if (result.doc != nullptr) {
        result.hasDeclaration = StartsWithDeclaration(text);
    } else if (!result.outOfMemory && !LooksLikeUtf16(text)) {
        LocateInText(text, result.failure);
    }
    return result;
}

ParseResult ParseXmlFile(const std::string& path, const std::string& url, const ParseSettings& settings) {
    const FileHolder file(std::fopen(path.c_str(), "rb"));
    if (file == nullptr) return CannotRead(url);
    FileSource source(file.get(), settings.maxSizeKilochars);
    const auto read = [&](xmlParserCtxtPtr parser, int options) {
        return xmlCtxtReadIO(parser, FileSource::Read, nullptr, &source, url.empty() ? nullptr : url.c_str(), nullptr,
                             options);
    };
    ParseResult result = RunParser(url, settings, read);
    if (source.failed() || source.tooLarge() || (result.doc == nullptr && !result.outOfMemory)) {
        if (result.doc != nullptr) xmlFreeDoc(std::exchange(result.doc, nullptr));
        return source.failed() ? CannotRead(url) : DescribeInFile(std::move(result), path, source, settings);
    }
    if (result.doc != nullptr) result.hasDeclaration = StartsWithDeclaration(source.head());
    return result;
}

}  // namespace msxml
