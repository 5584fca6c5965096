// The core driver's look at a conversion's input through the DOM, taken before the plug-in edits it:
// whether the root element is the document the command takes, and what the conversion needs of
// the document and does not find. Names are matched as qualified names with the prefixes the
// root element declares, as the plug-in matches them.
#pragma once

#include <session/text_codec.h>

#include <platform/com_ptr.h>

#include <string>
#include <vector>

namespace coredriver {

// What a conversion's passes look for, in the order they run.
enum class InputNeed {
    PresentationDirection,  // the private JobPresentationDirection and psk:JobNUpAllDocumentsContiguously
    OutputBin,              // psk:JobOutputBin
    HoleCount,              // psk:JobHolePunch with an option, and xsi and xsd for the count's type
};

struct InputExpectation {
    const char* rootName;  // the local name of the psf root element the command takes
    const char* noun;      // the document in messages: "ticket", "capabilities document"
    std::vector<InputNeed> needs;
};

// "the root element is psf:PrintCapabilities, not a PrintTicket"; empty when it fits.
std::string RootMismatch(IXMLDOMDocument2* document, const InputExpectation& expected);

// The first need the document does not meet, as a phrase ("the ticket has no psk:JobOutputBin
// feature"); empty when pthost finds them all met. `driverNamespace` is the namespace of the
// driver's private names, as the provider gives it.
std::string FirstUnmetNeed(IXMLDOMDocument2* document, const InputExpectation& expected,
                           const WideString& driverNamespace);

}  // namespace coredriver
