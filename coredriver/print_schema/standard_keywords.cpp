#include <print_schema/standard_keywords.h>

#include <print_schema/schema_mapping.h>

#include <algorithm>
#include <iterator>

namespace print_schema {
namespace {

// GPD feature, public keyword, map on feature / on options honoured, printer-sticky, display name.
// Standard features the core recognizes ignore a map on the feature; Halftone and Memory have
// no public keyword and take one by the map; RESDLL cannot be mapped.
constexpr StandardFeature kFeatures[] = {
    {"Collate", "DocumentCollate", false, false, false, "Collate"},
    {"ColorMode", "PageOutputColor", false, true, false, "Color Printing Mode"},
    {"Duplex", "JobDuplexAllDocumentsContiguously", false, false, false, "Duplex"},
    {"Halftone", nullptr, true, true, false, "Halftoning"},
    {"InputBin", "JobInputBin", false, true, false, "Paper Source"},
    {"MediaType", "PageMediaType", false, true, false, "Media Type"},
    {"Memory", nullptr, true, true, true, "Printer Memory"},
    {"Orientation", "PageOrientation", false, true, false, "Orientation"},
    {"OutputBin", "JobOutputBin", false, true, false, "Output Bin"},
    {"PageProtect", "JobPageProtection", false, true, true, "Page Protection"},
    {"PaperSize", "PageMediaSize", false, true, false, "Paper Size"},
    {"RESDLL", nullptr, false, false, false, "Resource DLL"},
    {"Resolution", "PageResolution", false, true, false, "Resolution"},
    {"Stapling", "JobStapleAllDocuments", false, true, false, "Stapling"},
    {"JobPasscode", "JobPasscode", false, true, false, "Passcode"},
};

constexpr StandardOption kOptions[] = {
    {"Collate", "OFF", "Uncollated", "Off"},
    {"Collate", "ON", "Collated", "On"},
    {"Duplex", "NONE", "OneSided", "None"},
    {"Duplex", "VERTICAL", "TwoSidedLongEdge", "Long Edge"},
    {"Duplex", "HORIZONTAL", "TwoSidedShortEdge", "Short Edge"},
    {"Orientation", "PORTRAIT", "Portrait", "Portrait"},
    {"Orientation", "LANDSCAPE_CC90", "Landscape", "Landscape"},
    {"Orientation", "LANDSCAPE_CC270", "ReverseLandscape", "Rotated Landscape"},
    {"MediaType", "STANDARD", "Plain", "Plain Paper"},
    {"MediaType", "GLOSSY", "PhotographicGlossy", "Glossy Paper"},
    {"MediaType", "TRANSPARENCY", "Transparency", "Transparency"},
    {"InputBin", "FORMSOURCE", "AutoSelect", "Automatically Select"},
    {"InputBin", "AUTO", "Cassette", "Auto"},
    {"InputBin", "CASSETTE", "Cassette", "Cassette"},
    {"InputBin", "ENVFEED", "Cassette", "Envelope Feeder"},
    {"InputBin", "ENVMANUAL", "Cassette", "Envelope Manual Feed"},
    {"InputBin", "MANUAL", "Manual", "Manual Feed"},
    {"InputBin", "MIDDLE", "Manual", "Middle Tray"},
    {"InputBin", "SMALLFMT", "Manual", "Small Format"},
    {"InputBin", "TRACTOR", "Tractor", "Tractor Feed"},
    {"InputBin", "UPPER", "Tractor", "Upper Tray"},
    {"InputBin", "LARGECAPACITY", "High", "Large Capacity"},
    {"InputBin", "LARGEFMT", "High", "Large Format"},
    {"InputBin", "LOWER", "High", "Lower Tray"},
    {"JobPasscode", "OFF", "Off", "Off"},
    {"JobPasscode", "ON", "On", "On"},
    {"PageProtect", "OFF", nullptr, "Off"},
    {"PageProtect", "ON", nullptr, "On"},
    // Paper sizes take their keywords from kMediaSizes; these rows give display names only.
    {"PaperSize", "LETTER", nullptr, "Letter"},
    {"PaperSize", "LEGAL", nullptr, "Legal"},
    {"PaperSize", "A4", nullptr, "A4"},
    {"PaperSize", "A3", nullptr, "A3"},
    {"PaperSize", "A5", nullptr, "A5"},
    {"PaperSize", "EXECUTIVE", nullptr, "Executive"},
    {"PaperSize", "ENV_10", nullptr, "Envelope #10"},
    {"PaperSize", "ENV_DL", nullptr, "Envelope DL"},
    {"PaperSize", "CUSTOMSIZE", nullptr, "Custom Size"},
};

// Paper sizes that have a public keyword. Rows the two published tables leave unsettled (several
// GPD names on one keyword, none at all, or a keyword without a size) are absent: those stay private.
constexpr StandardMediaSize kMediaSizes[] = {
    {"10X11", "NorthAmerica10x11", 254000, 279400},
    {"10X14", "NorthAmerica10x14", 254000, 355600},
    {"11X17", "NorthAmerica11x17", 279400, 431800},
    {"9X11", "NorthAmerica9x11", 228600, 279400},
    {"A2", "ISOA2", 420000, 594000},
    {"A3", "ISOA3", 297000, 420000},
    {"A3_EXTRA", "ISOA3Extra", 322000, 445000},
    {"A4", "ISOA4", 210000, 297000},
    {"A4_EXTRA", "ISOA4Extra", 235500, 322300},
    {"A4_PLUS", "OtherMetricA4Plus", 210000, 330000},
    {"A5", "ISOA5", 148000, 210000},
    {"A5_EXTRA", "ISOA5Extra", 174000, 235000},
    {"A6", "ISOA6", 105000, 148000},
    {"A6_ROTATED", "ISOA6Rotated", 148000, 105000},
    {"A_PLUS", "NorthAmericaSuperA", 227000, 356000},
    {"B4", "JISB4", 257000, 364000},
    {"B4_JIS_ROTATED", "JISB4Rotated", 364000, 257000},
    {"B5", "JISB5", 182000, 257000},
    {"B5_EXTRA", "ISOB5Extra", 201000, 276000},
    {"B6_JIS", "JISB6", 128000, 182000},
    {"B6_JIS_ROTATED", "JISB6Rotated", 182000, 128000},
    {"B_PLUS", "NorthAmericaSuperB", 305000, 487000},
    {"CSHEET", "NorthAmericaCSheet", 431800, 558800},
    {"CUSTOMSIZE", "CustomMediaSize", 0, 0},
    {"DBL_JAPANESE_POSTCARD", "JapanDoubleHagakiPostcard", 200000, 148000},
    {"DBL_JAPANESE_POSTCARD_ROTATED", "JapanDoubleHagakiPostcardRotated", 148000, 200000},
    {"DSHEET", "NorthAmericaDSheet", 558800, 863600},
    {"ENV_10", "NorthAmericaNumber10Envelope", 104775, 241300},
    {"ENV_11", "NorthAmericaNumber11Envelope", 114300, 263525},
    {"ENV_12", "NorthAmericaNumber12Envelope", 120650, 279400},
    {"ENV_14", "NorthAmericaNumber14Envelope", 127000, 292100},
    {"ENV_9", "NorthAmericaNumber9Envelope", 98425, 225425},
    {"ENV_B4", "ISOB4Envelope", 250000, 353000},
    {"ENV_B5", "ISOB5Envelope", 176000, 250000},
    {"ENV_C3", "ISOC3Envelope", 324000, 458000},
    {"ENV_C4", "ISOC4Envelope", 229000, 324000},
    {"ENV_C5", "ISOC5Envelope", 162000, 229000},
    {"ENV_C6", "ISOC6Envelope", 114000, 162000},
    {"ENV_DL", "ISODLEnvelope", 110000, 220000},
    {"ENV_INVITE", "OtherMetricInviteEnvelope", 220000, 220000},
    {"ENV_ITALY", "OtherMetricItalianEnvelope", 110000, 230000},
    {"ENV_MONARCH", "NorthAmericaMonarchEnvelope", 98425, 177800},
    {"ENV_PERSONAL", "NorthAmericaPersonalEnvelope", 92075, 165100},
    {"ESHEET", "NorthAmericaESheet", 863600, 1117600},
    {"EXECUTIVE", "NorthAmericaExecutive", 184150, 266700},
    {"FANFOLD_LGL_GERMAN", "NorthAmericaGermanLegalFanfold", 215900, 330200},
    {"FANFOLD_STD_GERMAN", "NorthAmericaGermanStandardFanfold", 215900, 304800},
    {"FOLIO", "OtherMetricFolio", 215900, 330200},
    {"ISO_B4", "ISOB4", 250000, 353000},
    {"JAPANESE_POSTCARD", "JapanHagakiPostcard", 100000, 148000},
    {"JAPANESE_POSTCARD_ROTATED", "JapanHagakiPostcardRotated", 148000, 100000},
    {"JENV_CHOU3", "JapanChou3Envelope", 120000, 235000},
    {"JENV_CHOU3_ROTATED", "JapanChou3EnvelopeRotated", 235000, 120000},
    {"JENV_CHOU4", "JapanChou4Envelope", 90000, 205000},
    {"JENV_CHOU4_ROTATED", "JapanChou4EnvelopeRotated", 205000, 90000},
    {"JENV_KAKU2", "JapanKaku2Envelope", 240000, 332000},
    {"JENV_KAKU2_ROTATED", "JapanKaku2EnvelopeRotated", 332000, 240000},
    {"JENV_KAKU3", "JapanKaku3Envelope", 216000, 277000},
    {"JENV_KAKU3_ROTATED", "JapanKaku3EnvelopeRotated", 277000, 216000},
    {"JENV_YOU4", "JapanYou4Envelope", 105000, 235000},
    {"JENV_YOU4_ROTATED", "JapanYou4EnvelopeRotated", 235000, 105000},
    {"LEGAL", "NorthAmericaLegal", 215900, 355600},
    {"LEGAL_EXTRA", "NorthAmericaLegalExtra", 241300, 381000},
    {"LETTER", "NorthAmericaLetter", 215900, 279400},
    {"LETTER_EXTRA", "NorthAmericaLetterExtra", 241300, 304800},
    {"LETTER_PLUS", "NorthAmericaLetterPlus", 215900, 322326},
    {"NOTE", "NorthAmericaNote", 215900, 279400},
    {"P16K", "PRC16K", 146000, 215000},
    {"P16K_ROTATED", "PRC16KRotated", 215000, 146000},
    {"P32K", "PRC32K", 97000, 151000},
    {"P32KBIG", "PRC32KBig", 97000, 151000},
    {"P32K_ROTATED", "PRC32KRotated", 151000, 97000},
    {"PENV_1", "PRC1Envelope", 102000, 165000},
    {"PENV_10", "PRC10Envelope", 324000, 458000},
    {"PENV_10_ROTATED", "PRC10EnvelopeRotated", 458000, 324000},
    {"PENV_1_ROTATED", "PRC1EnvelopeRotated", 165000, 102000},
    {"PENV_2", "PRC2Envelope", 102000, 176000},
    {"PENV_2_ROTATED", "PRC2EnvelopeRotated", 176000, 102000},
    {"PENV_3", "PRC3Envelope", 125000, 176000},
    {"PENV_3_ROTATED", "PRC3EnvelopeRotated", 176000, 125000},
    {"PENV_4", "PRC4Envelope", 110000, 208000},
    {"PENV_4_ROTATED", "PRC4EnvelopeRotated", 208000, 110000},
    {"PENV_5", "PRC5Envelope", 110000, 220000},
    {"PENV_5_ROTATED", "PRC5EnvelopeRotated", 220000, 110000},
    {"PENV_6", "PRC6Envelope", 120000, 230000},
    {"PENV_6_ROTATED", "PRC6EnvelopeRotated", 230000, 120000},
    {"PENV_7", "PRC7Envelope", 160000, 230000},
    {"PENV_7_ROTATED", "PRC7EnvelopeRotated", 230000, 160000},
    {"PENV_8", "PRC8Envelope", 120000, 309000},
    {"PENV_8_ROTATED", "PRC8EnvelopeRotated", 309000, 120000},
    {"PENV_9", "PRC9Envelope", 229000, 324000},
    {"PENV_9_ROTATED", "PRC9EnvelopeRotated", 324000, 229000},
    {"QUARTO", "NorthAmericaQuarto", 215000, 275000},
    {"STATEMENT", "NorthAmericaStatement", 139700, 215900},
    {"TABLOID", "NorthAmericaTabloid", 279400, 431800},
    {"TABLOID_EXTRA", "NorthAmericaTabloidExtra", 296926, 457200},
};

constexpr const char* kV11FeatureKeywords[] = {"JobPasscode"};

}  // namespace

const StandardFeature* FindStandardFeature(std::string_view gpdFeature) {
    const auto row = std::find_if(std::begin(kFeatures), std::end(kFeatures),
                                  [&](const StandardFeature& f) { return gpdFeature == f.gpdName; });
    return row == std::end(kFeatures) ? nullptr : row;
}

const StandardOption* FindStandardOption(std::string_view gpdFeature, std::string_view gpdOption) {
    const auto row = std::find_if(std::begin(kOptions), std::end(kOptions), [&](const StandardOption& o) {
        return gpdFeature == o.gpdFeature && gpdOption == o.gpdOption;
    });
    return row == std::end(kOptions) ? nullptr : row;
}

const StandardMediaSize* FindStandardMediaSize(std::string_view gpdOption) {
    const auto row = std::find_if(std::begin(kMediaSizes), std::end(kMediaSizes),
                                  [&](const StandardMediaSize& s) { return gpdOption == s.gpdOption; });
    return row == std::end(kMediaSizes) ? nullptr : row;
}

const char* FeatureKeywordNamespace(std::string_view keyword) {
    const bool v11 = std::find(std::begin(kV11FeatureKeywords), std::end(kV11FeatureKeywords), keyword) !=
                     std::end(kV11FeatureKeywords);
    return v11 ? kKeywordsV11Namespace : kKeywordsNamespace;
}

}  // namespace print_schema
