// Writes the number of punch holes that the DEVMODE selects, read through the core driver's
// GPD features "PunchHole" and "Punch", as psk:HoleCount of psk:JobHolePunch's first option.
#include "server/print_ticket_provider.h"

#include "common/constants.h"
#include "schema/schema_document.h"
#include "schema/schema_feature.h"
#include "schema/schema_option.h"
#include "schema/schema_property.h"
#include "schema/schema_value.h"
#include "translation/translation_names.h"

#include <cstring>
#include <memory>

namespace qp {
namespace {

using namespace translation_names;

struct PunchHoleOption {
    const char* name;
    INT holes;
};

constexpr PunchHoleOption kPunchHoleOptions[] = {
    {"None", 0},
    {"2Holes", 2},
    {"3Holes", 3},
    {"4Holes", 4},
};

// The option of a GPD feature that the DEVMODE selects, or null when there is no core driver
// to ask or it does not answer S_OK. The string belongs to the core driver.
PCSTR SelectedOption(IPrintCoreHelper* coreHelper, const DEVMODE* devmode, ULONG devmodeSize, PCSTR feature) {
    if (coreHelper == nullptr) return nullptr;
    PCSTR option = nullptr;
    if (coreHelper->GetOption(devmode, devmodeSize, feature, &option) != S_OK) return nullptr;
    return option;
}

// 0, 2, 3 or 4. An unknown or unanswered "PunchHole" gives no holes; "Punch" set to "NONE"
// switches punching off whatever "PunchHole" says.
INT HoleCount(IPrintCoreHelper* coreHelper, const DEVMODE* devmode, ULONG devmodeSize) {
    INT holes = 0;
    if (PCSTR punchHole = SelectedOption(coreHelper, devmode, devmodeSize, kGpdPunchHole)) {
        for (const PunchHoleOption& known : kPunchHoleOptions) {
            if (std::strcmp(punchHole, known.name) == 0) {
                holes = known.holes;
                break;
            }
        }
    }
    PCSTR punch = SelectedOption(coreHelper, devmode, devmodeSize, kGpdPunch);
    if (punch != nullptr && std::strcmp(punch, kGpdPunchOff) == 0) holes = 0;
    return holes;
}

}  // namespace

bool PrintTicketProvider::HoleCountToPublic(SchemaDocument& document, IPrintCoreHelper* coreHelper, ULONG cbDevmode,
                                            PDEVMODE pDevmode) {
    const INT holes = HoleCount(coreHelper, pDevmode, cbDevmode);

    std::unique_ptr<SchemaFeature> holePunch(document.FindFeature(kPskNamespace, kJobHolePunch));
    if (!holePunch) return false;
    std::unique_ptr<SchemaOption> option(holePunch->GetFirstOption());
    if (!option) return false;
    std::unique_ptr<SchemaProperty> holeCount(option->FindScoredProperty(kPskNamespace, kHoleCount));
    if (!holeCount) holeCount.reset(option->AddScoredProperty(kPskNamespace, kHoleCount));
    if (!holeCount) return false;

    std::unique_ptr<SchemaValue> value(holeCount->AddIntegerValue(holes));
    return value != nullptr;
}

}  // namespace qp
