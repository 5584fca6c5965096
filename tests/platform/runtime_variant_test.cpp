// VARIANT: integer to text as the schema layer writes values, and clearing what a VARIANT owns.
#include "support/ledger_check.h"

#include <platform/com_ptr.h>

#include <climits>
#include <string>

using qp::Variant;

namespace {

// An IUnknown that only counts its references.
class CountedUnknown final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    ULONG refs = 1;
};

std::u16string TextOf(const VARIANT& v) { return std::u16string(v.bstrVal, SysStringLen(v.bstrVal)); }

class VariantTest : public LedgerTest {};

TEST_F(VariantTest, IntegersBecomePlainDecimalText) {
    const struct {
        VARTYPE vt;
        int64_t value;
        std::u16string text;
    } cases[] = {
        {VT_INT, 0, u"0"},           {VT_INT, 4, u"4"},          {VT_INT, -1, u"-1"},
        {VT_INT, INT_MIN, u"-2147483648"}, {VT_INT, INT_MAX, u"2147483647"},
        {VT_I4, -305, u"-305"},      {VT_I2, -32768, u"-32768"}, {VT_UI4, 4294967295u, u"4294967295"},
    };
    for (const auto& c : cases) {
        Variant source;
        source.get().vt = c.vt;
        if (c.vt == VT_I2) source.get().iVal = static_cast<SHORT>(c.value);
        if (c.vt == VT_UI4) source.get().ulVal = static_cast<ULONG>(c.value);
        if (c.vt == VT_INT || c.vt == VT_I4) source.get().lVal = static_cast<LONG>(c.value);
        Variant text;
        ASSERT_EQ(VariantChangeType(text.put(), &source.get(), 0, VT_BSTR), S_OK);
        ASSERT_EQ(text.get().vt, VT_BSTR);
        EXPECT_EQ(TextOf(text.get()), c.text);
    }
}

TEST_F(VariantTest, ConversionInPlaceReplacesTheValue) {
    Variant v;
    v.get().vt = VT_INT;
    v.get().intVal = -42;
    ASSERT_EQ(VariantChangeType(&v.get(), &v.get(), 0, VT_BSTR), S_OK);
    EXPECT_EQ(TextOf(v.get()), u"-42");
    ASSERT_EQ(VariantChangeType(&v.get(), &v.get(), 0, VT_I4), S_OK) << "and back, freeing the text";
    EXPECT_EQ(v.get().vt, VT_I4);
    EXPECT_EQ(v.get().lVal, -42);
}

TEST_F(VariantTest, TextToIntegerChecksSyntaxAndRange) {
    const struct {
        const WCHAR* text;
        VARTYPE vt;
        HRESULT hr;
        LONG value;
    } cases[] = {
        {W(" 12 "), VT_I4, S_OK, 12},         {W("-2147483648"), VT_INT, S_OK, INT_MIN},
        {W("2147483648"), VT_I4, DISP_E_OVERFLOW, 0}, {W("-1"), VT_UI4, DISP_E_OVERFLOW, 0},
        {W("40000"), VT_I2, DISP_E_OVERFLOW, 0},     {W("12a"), VT_I4, DISP_E_TYPEMISMATCH, 0},
        {W(""), VT_I4, DISP_E_TYPEMISMATCH, 0},
    };
    for (const auto& c : cases) {
        Variant source;
        source.get().vt = VT_BSTR;
        source.get().bstrVal = SysAllocString(c.text);
        Variant out;
        out.get().vt = VT_I4;
        out.get().lVal = 99;
        EXPECT_EQ(VariantChangeType(&out.get(), &source.get(), 0, c.vt), c.hr);
        if (c.hr == S_OK) {
            EXPECT_EQ(out.get().lVal, c.value);
        } else {
            EXPECT_EQ(out.get().lVal, 99) << "a failed conversion leaves the destination alone";
        }
    }
}

TEST_F(VariantTest, BooleansAndEmpty) {
    Variant b;
    b.get().vt = VT_BOOL;
    b.get().boolVal = VARIANT_TRUE;
    Variant text;
    ASSERT_EQ(VariantChangeType(text.put(), &b.get(), 0, VT_BSTR), S_OK);
    EXPECT_EQ(TextOf(text.get()), u"-1");
    Variant back;
    ASSERT_EQ(VariantChangeType(back.put(), &text.get(), 0, VT_BOOL), S_OK);
    EXPECT_EQ(back.get().boolVal, VARIANT_TRUE);

    Variant empty;
    ASSERT_EQ(VariantChangeType(text.put(), &empty.get(), 0, VT_BSTR), S_OK);
    EXPECT_EQ(text.get().vt, VT_BSTR);
    EXPECT_EQ(SysStringLen(text.get().bstrVal), 0u);
}

TEST_F(VariantTest, ClearFreesTheStringAndReleasesTheInterface) {
    const int64_t bstrsBefore = PortableLedgerRead().bstrs;
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(W("owned"));
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);
    EXPECT_EQ(PortableLedgerRead().bstrs, bstrsBefore);

    CountedUnknown unknown;
    v.vt = VT_UNKNOWN;
    v.punkVal = &unknown;
    unknown.AddRef();
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(unknown.refs, 1u);
}

TEST_F(VariantTest, CopyDuplicatesTheStringAndAddsAReference) {
    Variant source;
    source.get().vt = VT_BSTR;
    source.get().bstrVal = SysAllocString(W("text"));
    Variant copy;
    ASSERT_EQ(VariantCopy(&copy.get(), &source.get()), S_OK);
    EXPECT_NE(copy.get().bstrVal, source.get().bstrVal);
    EXPECT_EQ(TextOf(copy.get()), u"text");

    CountedUnknown unknown;
    Variant held;
    held.get().vt = VT_UNKNOWN;
    held.get().punkVal = &unknown;
    unknown.AddRef();
    ASSERT_EQ(VariantCopy(copy.put(), &held.get()), S_OK);
    EXPECT_EQ(unknown.refs, 3u);
    VariantClear(&copy.get());
    VariantClear(&held.get());
    EXPECT_EQ(unknown.refs, 1u);
}

}  // namespace
