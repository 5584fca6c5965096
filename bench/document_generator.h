// Generates PrintTickets and PrintCapabilities of a chosen size, shaped as the core driver hands
// them over: every declaration on the root element, private features and options named in the
// driver's namespace under the prefix "ns0000", and the four features the plug-in edits placed as
// one block before, among or after the filler features.
#pragma once

#include <string>

namespace qpbench {

enum class DocumentKind {
    PrintTicket,        // one selected option per feature
    PrintCapabilities,  // several options per feature, each with a display name
};

// Where the block of the four features the plug-in edits sits among the filler features.
enum class Placement { First, Middle, Last };

// Driver: as ConvertDevModeToPrintTicket and CompletePrintCapabilities receive it (the private
// JobPresentationDirection beside the N-up feature, output bins named by the driver).
// Public: as ConvertPrintTicketToDevMode receives it (psk:PresentationDirection inside the N-up
// feature, the first output bin named by its psk:BinType).
enum class Form { Driver, Public };

struct DocumentShape {
    DocumentKind kind = DocumentKind::PrintTicket;
    int fillerFeatures = 10;
    Placement placement = Placement::Last;
    Form form = Form::Driver;
};

// Options of each filler feature in PrintCapabilities.
inline constexpr int kCapabilitiesOptionsPerFeature = 4;

// The document as UTF-8 text, without an XML declaration.
std::string GenerateDocument(const DocumentShape& shape);

// Short names for tables and benchmark names: "ticket", "public-ticket", "capabilities";
// "first", "middle", "last".
const char* KindName(DocumentKind kind, Form form);
const char* PlacementName(Placement placement);

}  // namespace qpbench
