// Gives the driver's output bins of OutputBinMapping a public psk:BinType, and gives a ticket
// that names its bin by one of those types the driver's option name back.
#include "server/print_ticket_provider.h"

#include "common/constants.h"
#include "schema/schema_document.h"
#include "schema/schema_feature.h"
#include "schema/schema_option.h"
#include "schema/schema_property.h"
#include "schema/schema_value.h"
#include "translation/output_bin_mapping.h"
#include "translation/translation_names.h"

#include <memory>

namespace qp {
namespace {

using namespace translation_names;

// Bin-type texts are compared in buffers of this many characters, terminator included.
constexpr ULONG kBinTypeChars = 256;

// Appends psk:BinType with the row's bin type to the row's option, when the feature has it.
// A scored property whose value cannot be added stays without one.
void AnnotateBin(SchemaFeature& outputBin, const OutputBinMappingRow& row) {
    std::unique_ptr<SchemaOption> option(outputBin.FindOption(row.optionNs, row.optionName));
    if (!option) return;
    std::unique_ptr<SchemaProperty> binType(option->AddScoredProperty(kPskNamespace, kBinType));
    if (!binType) return;
    delete binType->AddQNameValue(row.binTypeNs, row.binTypeName);
}

// Renames the option after the first row whose bin type, as the document writes its QName,
// is exactly `binTypeText`, and drops the option's psk:BinType.
bool RenameByBinType(SchemaDocument& document, SchemaOption& option, const WCHAR* binTypeText) {
    for (const OutputBinMappingRow& row : kOutputBinMapping) {
        WCHAR rowBinType[kBinTypeChars];
        ULONG chars = kBinTypeChars;
        if (!document.FormatQName(row.binTypeNs, row.binTypeName, rowBinType, &chars)) return false;
        if (!WStrEqual(binTypeText, rowBinType)) continue;

        if (!option.SetName(row.optionNs, row.optionName)) return false;
        return option.RemoveScoredProperty(kPskNamespace, kBinType);
    }
    return false;
}

}  // namespace

bool PrintTicketProvider::OutputBinTypesToPublic(SchemaDocument& document) {
    std::unique_ptr<SchemaFeature> outputBin(document.FindFeature(kPskNamespace, kJobOutputBin));
    if (!outputBin) return false;
    for (const OutputBinMappingRow& row : kOutputBinMapping) AnnotateBin(*outputBin, row);
    return true;
}

bool PrintTicketProvider::OutputBinTypeToPrivate(SchemaDocument& document) {
    std::unique_ptr<SchemaFeature> outputBin(document.FindFeature(kPskNamespace, kJobOutputBin));
    if (!outputBin) return false;
    std::unique_ptr<SchemaOption> option(outputBin->GetFirstOption());
    if (!option) return false;
    std::unique_ptr<SchemaProperty> binType(option->FindScoredProperty(kPskNamespace, kBinType));
    if (!binType) return false;
    std::unique_ptr<SchemaValue> value(binType->GetFirstValue());
    if (!value) return false;

    WCHAR binTypeText[kBinTypeChars];
    ULONG chars = kBinTypeChars;
    if (!value->GetText(binTypeText, &chars)) return false;
    return RenameByBinType(document, *option, binTypeText);
}

}  // namespace qp
