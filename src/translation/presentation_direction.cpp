// Moves the driver's presentation-direction feature under the N-up feature as its public
// sub-feature, and back. Only the feature's name changes; its options move with it. A rename
// stays in place when the move that follows it fails.
#include "server/print_ticket_provider.h"

#include "common/constants.h"
#include "schema/schema_document.h"
#include "schema/schema_feature.h"
#include "translation/translation_names.h"

#include <memory>

namespace qp {

using namespace translation_names;

bool PrintTicketProvider::PresentationDirectionToPublic(SchemaDocument& document) {
    std::unique_ptr<SchemaFeature> direction(document.FindFeature(kPrivateNamespace, kJobPresentationDirection));
    if (!direction) return false;
    if (!direction->SetName(kPskNamespace, kPresentationDirection)) return false;

    std::unique_ptr<SchemaFeature> nUp(document.FindFeature(kPskNamespace, kJobNUpAllDocumentsContiguously));
    if (!nUp) return false;
    return nUp->AppendFeature(direction.get());
}

bool PrintTicketProvider::PresentationDirectionToPrivate(SchemaDocument& document) {
    std::unique_ptr<SchemaFeature> nUp(document.FindFeature(kPskNamespace, kJobNUpAllDocumentsContiguously));
    if (!nUp) return false;

    std::unique_ptr<SchemaFeature> direction(nUp->FindFeature(kPskNamespace, kPresentationDirection));
    if (!direction) return false;
    if (!direction->SetName(kPrivateNamespace, kJobPresentationDirection)) return false;
    return document.AppendFeature(direction.get());
}

}  // namespace qp
