// Every allocation failure of every entry point that allocates. A clean run counts the
// allocations (task memory, BSTRs, VARIANT conversions, non-throwing new, stand-in nodes and
// every block libxml2 asks for); then for each N the Nth one fails, and the entry point must
// return S_OK or the failure its path defines, leak nothing, and leave the document well-formed
// with every feature and option: unchanged or as a failed pass leaves it on a failure, whole
// on success.
#include "reliability_support.h"
#include "support/xml_assert.h"

#include <common/constants.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <set>

using qp::Bstr;
using qp::Variant;

using qp::ComPtr;

namespace reliability {
namespace {

// One run of one entry point: made fresh for every failure point, so that each run starts from
// the same state. Construction and destruction are outside the swept region.
class SweepCase {
public:
    virtual ~SweepCase() = default;
    // Calls the entry point under test, and nothing else.
    virtual HRESULT Run() = 0;
    // Checks what the run left, with `where` naming the failure point; returns a digest of the
    // outcome that a failed allocation may legitimately change (empty when there is none).
    virtual std::string Check(HRESULT hr, const std::string& where) = 0;
    // The digest of the state before the run.
    virtual std::string Before() { return {}; }
    // Whether S_OK may come with less done than the clean run did: a conversion answers S_OK
    // whatever its passes find, a pass that failed included.
    virtual bool SuccessMayFallShort() const { return false; }
};

using CaseMaker = std::function<std::unique_ptr<SweepCase>()>;

struct SweepFigures {
    uint64_t points = 0;
    uint64_t libxmlPoints = 0;     // of them, blocks libxml2 asked for
    uint64_t failedUnchanged = 0;  // a failure result, the state as before the run
    uint64_t failedPartial = 0;    // a failure result, the state as a failed pass or load leaves it
    uint64_t succeededWhole = 0;   // S_OK, the state as the clean run left it
    uint64_t succeededShort = 0;   // S_OK over a failed pass (SuccessMayFallShort)

    void Print(const std::string& name) const {
        std::cout << "swept " << points << " failure points (" << libxmlPoints << " in libxml2) in " << name
                  << ": failure-unchanged " << failedUnchanged << ", failure-partial-as-rules-allow "
                  << failedPartial << ", success-intact " << succeededWhole;
        if (succeededShort) std::cout << ", success-over-a-failed-pass " << succeededShort;
        std::cout << std::endl;
    }
};

class AllocationSweep : public LedgerTest {
protected:
    // Sweeps every allocation of `make`'s case; `allowed` are the results a run with a failed
    // allocation may give.
    SweepFigures Sweep(const std::string& name, const CaseMaker& make, const std::set<HRESULT>& allowed,
                       bool cleanMustSucceed = true) {
        SweepFigures figures;
        const PortableLedger before = PortableLedgerRead();
        std::string cleanDigest;
        {
            auto clean = make();
            PortableFaultResetCount();
            const HRESULT hr = clean->Run();
            figures.points = PortableFaultAllocationCount();
            figures.libxmlPoints = PortableFaultLibxmlAllocationCount();
            if (cleanMustSucceed) {
                EXPECT_EQ(hr, S_OK) << name << " fails without any allocation failure";
            } else {
                EXPECT_TRUE(hr == S_OK || allowed.count(hr)) << name << " returned 0x" << std::hex << hr;
            }
            cleanDigest = clean->Check(hr, name + " (clean run)");
        }
        EXPECT_LEDGER_BALANCED(before) << " by the clean run of " << name;
        EXPECT_GT(figures.points, 0u) << name << " allocates nothing";

        for (uint64_t n = 1; n <= figures.points; ++n) {
            const std::string where = name + ", allocation " + std::to_string(n) + " of " +
                                      std::to_string(figures.points) + " failing";
            {
                auto failing = make();
                const std::string previous = failing->Before();
                PortableFaultArm(n);
                const HRESULT hr = failing->Run();
                const bool fired = PortableFaultFired();
                PortableFaultDisarm();
                EXPECT_TRUE(fired) << where << ": the run made fewer allocations than the clean one";
                EXPECT_TRUE(allowed.count(hr)) << where << ": returned 0x" << std::hex << hr;
                const std::string digest = failing->Check(hr, where);
                if (hr != S_OK) {
                    ++(digest == previous ? figures.failedUnchanged : figures.failedPartial);
                } else if (digest == cleanDigest) {
                    ++figures.succeededWhole;
                } else {
                    EXPECT_TRUE(failing->SuccessMayFallShort()) << where << ": S_OK without the whole result";
                    ++figures.succeededShort;
                }
            }
            EXPECT_LEDGER_BALANCED(before) << " at " << where;
            if (HasFailure()) break;  // the first broken point says enough
        }
        figures.Print(name);
        RecordProperty("failure_points", static_cast<int>(figures.points));
        return figures;
    }
};

// ---- Server entry points -------------------------------------------------------------------

class ServerCase : public SweepCase {
protected:
    ServerCase() {
        EXPECT_EQ(Module().GetClassObject(CLSID_OEMPTPROVIDER, IID_IClassFactory, factory_.put_void()), S_OK);
        EXPECT_EQ(factory_->CreateInstance(nullptr, IID_IPrintOemPrintTicketProvider, provider_.put_void()), S_OK);
    }
    ComPtr<IClassFactory> factory_;
    ComPtr<IPrintOemPrintTicketProvider> provider_;
};

std::string Utf8(BSTR text) { return text ? qptest::Utf8(text) : std::string("(null)"); }

TEST_F(AllocationSweep, GetSupportedVersions) {
    struct Case : ServerCase {
        INT* versions = reinterpret_cast<INT*>(1);
        INT count = -1;
        HRESULT Run() override { return provider_->GetSupportedVersions(nullptr, &versions, &count); }
        std::string Check(HRESULT hr, const std::string& where) override {
            if (hr == S_OK) {
                EXPECT_EQ(count, 1) << where;
                EXPECT_EQ(versions[0], 1) << where;
            } else {
                EXPECT_EQ(versions, nullptr) << where;
                EXPECT_EQ(count, -1) << where << ": the count was written on failure";
                versions = nullptr;
            }
            CoTaskMemFree(versions);
            return {};
        }
    };
    Sweep("GetSupportedVersions", [] { return std::make_unique<Case>(); }, {E_OUTOFMEMORY});
}

TEST_F(AllocationSweep, BindPrinter) {
    struct Case : ServerCase {
        OEMPTOPTS options = static_cast<OEMPTOPTS>(7);
        INT count = -1;
        BSTR* namespaces = reinterpret_cast<BSTR*>(1);
        HRESULT Run() override {
            return provider_->BindPrinter(reinterpret_cast<HANDLE>(1), 1, &options, &count, &namespaces);
        }
        std::string Check(HRESULT hr, const std::string& where) override {
            if (hr != S_OK) {
                EXPECT_EQ(namespaces, nullptr) << where;
                return {};
            }
            EXPECT_EQ(count, 1) << where;
            EXPECT_EQ(Utf8(namespaces[0]), qptest::kPrivateNamespaceUtf8) << where;
            SysFreeString(namespaces[0]);
            CoTaskMemFree(namespaces);
            return {};
        }
    };
    Sweep("BindPrinter", [] { return std::make_unique<Case>(); }, {E_OUTOFMEMORY});
}

TEST_F(AllocationSweep, QueryDeviceDefaultNamespace) {
    struct Case : ServerCase {
        BSTR uri = reinterpret_cast<BSTR>(1);
        HRESULT Run() override { return provider_->QueryDeviceDefaultNamespace(&uri); }
        std::string Check(HRESULT hr, const std::string& where) override {
            if (hr != S_OK) {
                EXPECT_EQ(uri, nullptr) << where;
                return {};
            }
            EXPECT_EQ(Utf8(uri), qptest::kPrivateNamespaceUtf8) << where;
            SysFreeString(uri);
            return {};
        }
    };
    Sweep("QueryDeviceDefaultNamespace", [] { return std::make_unique<Case>(); }, {E_OUTOFMEMORY});
}

TEST_F(AllocationSweep, DllGetClassObjectAndCreateInstance) {
    struct GetClassObject : SweepCase {
        IClassFactory* factory = reinterpret_cast<IClassFactory*>(1);
        HRESULT Run() override {
            return Module().GetClassObject(CLSID_OEMUI, IID_IClassFactory, reinterpret_cast<void**>(&factory));
        }
        std::string Check(HRESULT hr, const std::string& where) override {
            if (hr == S_OK) {
                EXPECT_EQ(factory->Release(), 0u) << where;
            } else {
                EXPECT_EQ(factory, reinterpret_cast<IClassFactory*>(1)) << where << ": out-pointer written";
            }
            EXPECT_EQ(Module().CanUnloadNow(), S_OK) << where;
            return {};
        }
    };
    Sweep("DllGetClassObject", [] { return std::make_unique<GetClassObject>(); }, {E_OUTOFMEMORY});

    struct CreateInstance : SweepCase {
        explicit CreateInstance(REFIID which) : iid(which) {
            EXPECT_EQ(Module().GetClassObject(CLSID_OEMUI, IID_IClassFactory, factory.put_void()), S_OK);
        }
        const IID& iid;
        ComPtr<IClassFactory> factory;
        IUnknown* object = nullptr;
        HRESULT Run() override { return factory->CreateInstance(nullptr, iid, reinterpret_cast<void**>(&object)); }
        std::string Check(HRESULT hr, const std::string& where) override {
            if (hr == S_OK) {
                EXPECT_EQ(object->Release(), 0u) << where;
            } else {
                EXPECT_EQ(object, nullptr) << where;
            }
            factory.reset();
            EXPECT_EQ(Module().CanUnloadNow(), S_OK) << where << ": an object outlived its failure";
            return {};
        }
    };
    Sweep("CreateInstance(IPrintOemUI2)", [] { return std::make_unique<CreateInstance>(IID_IPrintOemUI2); },
          {E_OUTOFMEMORY});
    Sweep("CreateInstance(IPrintOemPrintTicketProvider)",
          [] { return std::make_unique<CreateInstance>(IID_IPrintOemPrintTicketProvider); }, {E_OUTOFMEMORY});
}

// ---- Conversions ---------------------------------------------------------------------------

class ConversionCase : public SweepCase {
public:
    ConversionCase(Conversion conversion, const std::string& text)
        : conversion_(conversion), document_(qptest::LoadDocument(text)), before_(CountElements(text)) {}

    HRESULT Run() override { return session_.Convert(conversion_, document_.get()); }
    std::string Before() override { return qptest::SerializeUtf8(document_.get()); }
    bool SuccessMayFallShort() const override { return true; }

    std::string Check(HRESULT, const std::string& where) override {
        const std::string text = ExpectWellFormed(document_.get(), where);
        EXPECT_EQ(CountElements(text), before_) << where << ": a feature or an option was lost or duplicated";
        return text;
    }

private:
    DriverSession session_;
    Conversion conversion_;
    ComPtr<IXMLDOMDocument2> document_;
    ElementCounts before_;
};

class ConversionSweep : public AllocationSweep {
protected:
    // Sweeps the three conversions on one document. Unless `cleanMustSucceed`, a conversion whose
    // clean run fails (PrintCapabilities handed to ConvertDevModeToPrintTicket) is swept as well.
    void SweepConversions(const std::string& documentName, const std::string& text, bool cleanMustSucceed) {
        for (const Conversion conversion : kAllConversions) {
            const std::string name = std::string(MethodName(conversion)) + " on " + documentName;
            Sweep(name, [conversion, &text] { return std::make_unique<ConversionCase>(conversion, text); },
                  {S_OK, E_FAIL, E_OUTOFMEMORY}, cleanMustSucceed);
            if (HasFailure()) return;
        }
    }
};

TEST_F(ConversionSweep, EveryPassDocument) {
    const std::string text = EveryPassDocument();
    ASSERT_FALSE(text.empty());
    SweepConversions("every_pass_ticket.xml", text, /*cleanMustSucceed=*/true);
}

TEST_F(ConversionSweep, BundledExamples) {
    const auto examples = ExampleDocuments();
    if (examples.empty()) GTEST_SKIP() << "no examples/*.xml in the tree";
    for (const auto& [name, text] : examples) {
        SweepConversions(name, text, /*cleanMustSucceed=*/false);
        if (HasFailure()) return;
    }
}


// ---- Loads -----------------------------------------------------------------------------------

// loadXML, or load from a file, into a document that already holds another one: a failed load
// must say "out of memory" and leave either that document or an empty one, never part of the
// new one.
class LoadCase : public SweepCase {
public:
    LoadCase(const std::string& text, const std::string* path) : document_(qptest::LoadDocument("<held/>")) {
        if (path) {
            source_.get().vt = VT_BSTR;
            source_.get().bstrVal = SysAllocString(qptest::Utf16(*path).c_str());
        } else {
            text_ = Bstr::Copy(qptest::Utf16(text).c_str());
        }
    }

    HRESULT Run() override {
        VARIANT_BOOL loaded = VARIANT_FALSE;
        const HRESULT hr = text_ ? document_->loadXML(text_.get(), &loaded) : document_->load(source_.get(), &loaded);
        if (hr == S_OK && loaded != VARIANT_TRUE) return E_UNEXPECTED;
        return hr;
    }
    std::string Before() override { return held_ = qptest::SerializeUtf8(document_.get()); }
    std::string Check(HRESULT hr, const std::string& where) override {
        const std::string text = qptest::SerializeUtf8(document_.get());
        if (hr == S_OK) return text;
        ComPtr<IXMLDOMParseError> error;
        Bstr reason;
        EXPECT_EQ(document_->get_parseError(error.put()), S_OK) << where;
        EXPECT_EQ(error->get_reason(reason.put()), S_OK) << where;
        EXPECT_EQ(Utf8(reason.get()), "out of memory") << where;
        EXPECT_TRUE(text == held_ || text.find('<') == std::string::npos) << where << ": a failed load left " << text;
        return text;
    }

private:
    ComPtr<IXMLDOMDocument2> document_;
    Bstr text_;
    Variant source_;
    std::string held_;
};

TEST_F(AllocationSweep, LoadAndLoadXml) {
    auto documents = ExampleDocuments();
    documents.emplace_back("every_pass_ticket.xml", EveryPassDocument());
    const std::string path = ::testing::TempDir() + "sweep-load.xml";
    for (const auto& [name, text] : documents) {
        Sweep("loadXML of " + name, [&text] { return std::make_unique<LoadCase>(text, nullptr); }, {E_OUTOFMEMORY});
        std::ofstream(path, std::ios::binary) << text;
        Sweep("load of " + name, [&path] { return std::make_unique<LoadCase>(std::string(), &path); },
              {E_OUTOFMEMORY});
        if (HasFailure()) break;
    }
    std::remove(path.c_str());
}

}  // namespace
}  // namespace reliability
