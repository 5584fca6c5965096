// Safe parsing: no DTD unless allowed, never an external entity or subset, no network, a bound
// on element depth, bounded entity expansion, and a described failure for malformed text.
//
// Without a DTD no entity can be declared, so libxml2's size limits for huge documents may be
// lifted: very deep documents and very long names then load (libxml2 parses nesting without
// recursion), and the depth is bounded by our own count instead. With a DTD allowed, libxml2's
// standard limits stay in force, including its guard against entity amplification and its
// depth bound of 256.
#pragma once

#include <platform/platform.h>

#include <libxml/tree.h>

#include <string>

namespace msxml {

// Initialises libxml2 once per process, whatever thread comes first.
void EnsureLibxmlInitialized();

// The default bound on element depth.
inline constexpr unsigned kDefaultMaxElementDepth = 1'000'000;

struct ParseSettings {
    bool prohibitDtd = true;
    unsigned maxElementDepth = kDefaultMaxElementDepth;
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
    ParseFailure failure;
};

// Parses `text` (any encoding libxml2 detects, UTF-8 by default). `url` names the source in
// errors and may be empty.
ParseResult ParseXml(const std::string& text, const std::string& url, const ParseSettings& settings);

// The stand-in's parse error codes: an XML-error facility base plus libxml2's error number.
inline constexpr uint32_t kParseErrorBase = 0xC00CE000u;

}  // namespace msxml
