// The driver's output bins that have a public bin type, held as data and read in row order.
#pragma once

#include <common/constants.h>

namespace qp {

struct OutputBinMappingRow {
    // The driver's option of psk:JobOutputBin.
    const WCHAR* optionNs;
    const WCHAR* optionName;
    // Its bin type, the value of the option's psk:BinType scored property.
    const WCHAR* binTypeNs;
    const WCHAR* binTypeName;
};

inline constexpr OutputBinMappingRow kOutputBinMapping[] = {
    {kPrivateNamespace, W("Center"), kPrivateNamespace, W("Tray")},
    {kPrivateNamespace, W("Finisher"), kPskNamespace, W("Stacker")},
};

}  // namespace qp
