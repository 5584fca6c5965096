// What the reliability suites share: the module loaded through its two exports, a core driver
// session around one provider and one UI plug-in, the three conversions by name, and the
// documents they run on.
#pragma once

#include "support/ledger_check.h"

#include <platform/com_ptr.h>
#include <host/core_helper_stub.h>
#include <host/devmode_buffer.h>
#include <host/loaded_module.h>

#include <map>
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

enum class Conversion { DevModeToPrintTicket, PrintTicketToDevMode, CompletePrintCapabilities };
inline constexpr Conversion kAllConversions[] = {Conversion::DevModeToPrintTicket, Conversion::PrintTicketToDevMode,
                                                 Conversion::CompletePrintCapabilities};

// The provider method's name, as test output and pthost name it.
const char* MethodName(Conversion conversion);
// The pthost command that runs it.
const char* PthostCommand(Conversion conversion);

// The module at QP_MODULE_PATH, loaded once for the process through LoadedModule.
const LoadedModule& Module();

// GPD selections a core helper answers, feature to option.
using GpdSelections = std::map<std::string, std::string>;

// A core driver as the plug-in sees it: a class factory, a Print Ticket provider that has been
// offered version 1, bound and given a core helper, a UI plug-in that made the DEVMODE.
class DriverSession {
public:
    explicit DriverSession(const GpdSelections& selections = {{"PunchHole", "3Holes"}});
    DriverSession(const DriverSession&) = delete;
    DriverSession& operator=(const DriverSession&) = delete;

    // False (with a test failure already recorded) when any set-up step did not succeed.
    bool Ready() const { return ready_; }

    IClassFactory* Factory() const { return factory_.get(); }
    IPrintOemPrintTicketProvider* Provider() const { return provider_.get(); }
    IPrintOemUI2* Plugin() const { return plugin_.get(); }
    CoreHelperStub* Helper() const { return helper_.get(); }
    DevModeBuffer& DevMode() { return devmode_; }

    // Runs one conversion on `document` as the core driver would.
    HRESULT Convert(Conversion conversion, IXMLDOMDocument2* document);

private:
    void Start();

    bool ready_ = false;
    ComPtr<CoreHelperStub> helper_;
    ComPtr<IClassFactory> factory_;
    ComPtr<IPrintOemPrintTicketProvider> provider_;
    ComPtr<IPrintOemUI2> plugin_;
    DevModeBuffer devmode_;
};

// `utf8` loaded into a new stand-in document; null, quietly, when the stand-in refuses it.
ComPtr<IXMLDOMDocument2> TryLoad(const std::string& utf8);
// The same with the document's MaxElementDepth set first (0: no limit); *reason says why a load
// failed.
ComPtr<IXMLDOMDocument2> TryLoad(const std::string& utf8, LONG maxElementDepth, std::string* reason);

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
