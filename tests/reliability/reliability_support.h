// What the reliability suites share: the module loaded through its two exports, a core driver
// session around one provider and one UI plug-in, the three conversions by name, and the
// documents they run on.
#pragma once

#include "support/ledger_check.h"

#include <session/core_driver_session.h>

#include <platform/com_ptr.h>

#include <memory>
#include <string>
#include <vector>

namespace reliability {

// The count of the largest hostile cases (features, nesting levels); the sanitizer builds run a
// tenth of it, which still catches recursion and quadratic walks without their slowdown.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr size_t kHugeCount = 10'000;
#else
inline constexpr size_t kHugeCount = 100'000;
#endif

using Conversion = ProviderConversion;

// The pthost command that runs a conversion.
const char* PthostCommand(Conversion conversion);

// The module at QP_MODULE_PATH, loaded once for the process through LoadedModule.
const LoadedModule& Module();

// The core driver's session over the module at QP_MODULE_PATH, with a core helper that answers
// `selections`; a set-up failure is recorded as a test failure and leaves it not Ready.
class DriverSession {
public:
    explicit DriverSession(const GpdSelections& selections = {{"PunchHole", "3Holes"}});

    bool Ready() const { return session_ != nullptr; }
    IPrintOemPrintTicketProvider* Provider() const { return session_->Provider(); }
    IPrintOemUI2* Plugin() const { return session_->UiPlugin(); }
    CoreHelperStub* Helper() const { return session_->Helper(); }
    DevModeBuffer& DevMode() { return session_->DevMode(); }
    HRESULT Convert(Conversion conversion, IXMLDOMDocument2* document) {
        return session_->Convert(conversion, document);
    }

private:
    std::unique_ptr<CoreDriverSession> session_;
};

// `utf8` loaded into a new stand-in document; null, quietly, when the stand-in refuses it.
qp::ComPtr<IXMLDOMDocument2> TryLoad(const std::string& utf8);
// The same with the document's MaxElementDepth set first (0: no limit); *reason says why a load
// failed.
qp::ComPtr<IXMLDOMDocument2> TryLoad(const std::string& utf8, LONG maxElementDepth, std::string* reason);

// The text of a file in the source tree (path relative to its top); empty when unreadable.
std::string ReadSourceFile(const std::string& relativePath);
// The bundled example documents and the suite's own, as (file name, UTF-8 text); files that are
// not in the tree are skipped.
std::vector<std::pair<std::string, std::string>> ExampleDocuments();
// A PrintTicket holding everything every pass of every conversion looks for.
std::string EveryPassDocument();

// Serializes `document` and parses it again independently; fails the test when the result is
// not well-formed, naming `where`. Returns the serialized text.
std::string ExpectWellFormed(IXMLDOMDocument2* document, const std::string& where);

// Both Print Schema elements the passes never add or remove, counted in `utf8`.
struct ElementCounts {
    int features = 0;
    int options = 0;
    bool operator==(const ElementCounts&) const = default;
};
ElementCounts CountElements(const std::string& utf8);

}  // namespace reliability
