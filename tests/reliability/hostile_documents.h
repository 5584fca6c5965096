// Generators of documents a careless core driver, a damaged stored ticket or an attacker could
// hand the plug-in. Each is UTF-8 text; the shapes are those the passes look for, bent one way.
#pragma once

#include <cstddef>
#include <string>

namespace hostile {

inline constexpr const char* kPsf = "http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework";
inline constexpr const char* kPsk = "http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords";
inline constexpr const char* kXsi = "http://www.w3.org/2001/XMLSchema-instance";
inline constexpr const char* kXsd = "http://www.w3.org/2001/XMLSchema";
inline constexpr const char* kPrivate = "http://schemas.qpqp.example/qv/2021/04/printing/printticket";

// The prefixes a ticket binds at its root. A prefix left empty is not declared at all; `psk`
// and `private` may also be declared only on the first feature (`InnerOnly`), or twice at the
// root (the `Second` prefix, when not empty).
struct Prefixes {
    std::string psf = "psf";
    std::string psk = "psk";
    std::string priv = "ns0000";
    std::string pskSecond;
    std::string privSecond;
    bool pskInnerOnly = false;
    bool privInnerOnly = false;
};

// A PrintTicket in driver form: the private presentation direction, the N-up feature, an output
// bin feature whose first option carries a bin type, and a hole-punch feature, written with
// `prefixes`. `padding` extra features of one option each stand before them.
std::string Ticket(const Prefixes& prefixes = {}, size_t padding = 0);

// The same ticket with `length`-character strings where the plug-in reads or forms names: the
// private prefix, a feature's local name, an option's name, a value's text and an attribute.
std::string LongNames(size_t length);

// A ticket whose presentation-direction feature sits at the bottom of `depth` nested features.
std::string DeepFeatures(size_t depth);
// The most nested features a document takes under MSXML's default MaxElementDepth of 256.
inline constexpr size_t kDeepestUnderDefaultBound = 253;

// A ticket whose output-bin feature has `count` options, the driver's two bins last.
std::string ManyOutputBinOptions(size_t count);

// A ticket whose attributes and texts hold every character XML escapes and characters outside
// the Basic Multilingual Plane (surrogate pairs in UTF-16), in names and values the plug-in
// moves or reads. kEscapedText and kAstralText are the texts as they must read back.
std::string EscapedAndAstral();
inline constexpr const char* kEscapedText = "<&>\"' tab\there \xF0\x9F\x96\xA8";
inline constexpr const char* kAstralPrefix = "k\xF0\x9D\x94\x98";  // k and U+1D518

// A document whose root element declares no namespace at all.
std::string RootWithoutNamespaces();

// A character repeated `length` times.
std::string Repeat(char c, size_t length);

}  // namespace hostile
