// No exception crosses a COM call. With the throwing operator new of throwing_new.cpp failing one
// allocation after another, every stand-in and module call a conversion makes (loading the
// document, the three conversions with their DOM edits and namespace look-ups, serializing and
// saving) answers with an HRESULT; a std::bad_alloc that reaches this test came through a COM
// call, which the plug-in's callers cannot survive.
#include "reliability_support.h"

#include <platform/hresult_flow.h>

#include <cstdio>
#include <new>
#include <string>

using qp::Bstr;
using qp::ComPtr;
using qp::Variant;

namespace reliability {
namespace {

class ComBoundaryTest : public LedgerTest {};

// Every call of one core-driver round over `text`; nothing here allocates outside a COM call.
void ConvertAndSave(DriverSession& session, BSTR text, BSTR path) {
    ComPtr<IXMLDOMDocument2> document;
    if (FAILED(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                                document.put_void()))) {
        return;
    }
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (document->loadXML(text, &loaded) != S_OK || loaded != VARIANT_TRUE) return;
    for (const Conversion conversion : kAllConversions) session.Convert(conversion, document.get());
    Bstr xml;
    document->get_xml(xml.put());
    Variant destination;
    destination.get().vt = VT_BSTR;
    destination.get().bstrVal = path;
    document->save(destination.get());
    destination.get().vt = VT_EMPTY;
}

TEST_F(ComBoundaryTest, EveryFailedAllocationIsAnHResult) {
    DriverSession session({{"PunchHole", "3Holes"}, {"Punch", "AUTO"}});
    ASSERT_TRUE(session.Ready());
    const std::string path = ::testing::TempDir() + "com-boundary-saved.xml";
    for (const auto& [name, utf8] : ExampleDocuments()) {
        SCOPED_TRACE(name);
        const std::u16string wide = PortableFromUtf8(utf8.data(), utf8.size());
        const Bstr text = Bstr::Attach(SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
        const std::u16string widePath = PortableFromUtf8(path.data(), path.size());
        const Bstr savePath = Bstr::Attach(SysAllocString(widePath.c_str()));
        PortableFaultResetCount();
        ConvertAndSave(session, text.get(), savePath.get());
        const uint64_t allocations = PortableFaultAllocationCount();
        ASSERT_GT(allocations, 0u);
        for (uint64_t failAt = 1; failAt <= allocations; ++failAt) {
            PortableFaultArm(failAt);
            try {
                ConvertAndSave(session, text.get(), savePath.get());
            } catch (const std::bad_alloc&) {
                ADD_FAILURE() << "std::bad_alloc crossed a COM call at allocation " << failAt << " of " << allocations;
            }
            PortableFaultDisarm();
        }
        std::printf("swept %llu failure points of a conversion round on %s with a throwing new: no exception crossed\n",
                    static_cast<unsigned long long>(allocations), name.c_str());
    }
    std::remove(path.c_str());
}

// The core helper records every GetOption call; a call it cannot record fails as the COM call it
// is, and the plug-in never sees the exception.
TEST_F(ComBoundaryTest, GetOptionThatCannotRecordItsCallAnswersOutOfMemory) {
    const char* const feature = "AFeatureNamedPastTheShortStringLength";
    int outOfMemory = 0;
    for (uint64_t failAt = 1; failAt <= 2; ++failAt) {
        ComPtr<CoreHelperStub> helper = CoreHelperStub::Create({{feature, "Chosen"}});
        PCSTR option = nullptr;
        HRESULT hr = E_UNEXPECTED;
        PortableFaultArm(failAt);
        try {
            hr = helper->GetOption(nullptr, 0, feature, &option);
        } catch (const std::bad_alloc&) {
            ADD_FAILURE() << "std::bad_alloc left GetOption at allocation " << failAt;
        }
        PortableFaultDisarm();
        EXPECT_EQ(hr, E_OUTOFMEMORY) << "allocation " << failAt;
        outOfMemory += hr == E_OUTOFMEMORY;
    }
    EXPECT_EQ(outOfMemory, 2);
}

}  // namespace
}  // namespace reliability
