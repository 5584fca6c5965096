// Safe parsing with MSXML 6's limits: no DTD unless allowed, never an external entity or subset,
// no network, a bound on element depth (256 unless the document says otherwise) and on the
// size of the text, and a described failure for malformed text.
#pragma once

#include <platform/platform.h>

#include "libxml_runtime.h"

#include <libxml/tree.h>

#include <string>

namespace msxml {

// MSXML 6's defaults: MaxElementDepth 256, MaxXMLSize 0 (no limit).
inline constexpr unsigned kDefaultMaxElementDepth = 256;

struct ParseSettings {
    bool prohibitDtd = true;
    unsigned maxElementDepth = kDefaultMaxElementDepth;  // 0: no limit
    unsigned maxSizeKilochars = 0;                       // in blocks of 1,024 characters; 0: no limit
    bool preserveWhiteSpace = true;
    // Text that came in as UTF-16 and was converted: any encoding its declaration names is moot.
    bool ignoreDeclaredEncoding = false;
};

// What went wrong, as far as libxml2 tells: line and column count from 1, the file position
// is in UTF-16 code units from the start of the text, -1 where not known.
struct ParseFailure {
    LONG errorCode = 0;
    std::string reason;
    std::string url;
    std::string sourceLine;
    LONG line = 0;
    LONG column = 0;
    LONG filePosition = 0;
};

struct ParseResult {
    xmlDocPtr doc = nullptr;  // null on failure
    bool hasDeclaration = false;
    bool outOfMemory = false;  // the failure is memory running out, not the text
    ParseFailure failure;
};

// The failure of a parse that ran out of memory.
ParseFailure OutOfMemoryFailure();

// Parses `text` (any encoding libxml2 detects, UTF-8 by default). `url` names the source in
// errors and may be empty.
ParseResult ParseXml(const std::string& text, const std::string& url, const ParseSettings& settings);

// Parses the file at `path` as libxml2 reads it, a block at a time, as MSXML's load does: the
// whole text is read again only to describe a failure. `url` names the source.
ParseResult ParseXmlFile(const std::string& path, const std::string& url, const ParseSettings& settings);

// The stand-in's parse error codes: an XML-error facility base plus libxml2's error number.
inline constexpr uint32_t kParseErrorBase = 0xC00CE000u;

}  // namespace msxml
