// VARIANT for the types the plug-in and its hosts use: empty, the integer types, BOOL, BSTR and
// the two interface types.
#include <platform/platform.h>

#include <climits>
#include <cstdint>
#include <optional>

namespace {

bool IsIntegerType(VARTYPE vt) { return vt == VT_I2 || vt == VT_I4 || vt == VT_INT || vt == VT_UI4; }

bool IsKnownType(VARTYPE vt) {
    return vt == VT_EMPTY || vt == VT_NULL || IsIntegerType(vt) || vt == VT_BOOL || vt == VT_BSTR ||
           vt == VT_UNKNOWN || vt == VT_DISPATCH;
}

int64_t IntegerValueOf(const VARIANT& v) {
    switch (v.vt) {
        case VT_I2: return v.iVal;
        case VT_I4: return v.lVal;
        case VT_INT: return v.intVal;
        case VT_UI4: return v.ulVal;
        case VT_BOOL: return v.boolVal;
        default: return 0;
    }
}

bool IsSpace(WCHAR c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// Decimal text with optional surrounding blanks and sign; nullopt when it is not a number or
// does not fit 64 bits.
std::optional<int64_t> ParseDecimal(const WCHAR* s) {
    if (s == nullptr) return std::nullopt;
    while (IsSpace(*s)) ++s;
    const bool negative = *s == u'-';
    if (*s == u'-' || *s == u'+') ++s;
    if (*s < u'0' || *s > u'9') return std::nullopt;
    uint64_t magnitude = 0;
    for (; *s >= u'0' && *s <= u'9'; ++s) {
        if (magnitude > (UINT64_MAX - 9) / 10) return std::nullopt;
        magnitude = magnitude * 10 + static_cast<uint64_t>(*s - u'0');
    }
    while (IsSpace(*s)) ++s;
    if (*s != 0) return std::nullopt;
    if (magnitude > static_cast<uint64_t>(INT64_MAX) + (negative ? 1 : 0)) return std::nullopt;
    return negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
}

bool EqualsIgnoringAsciiCase(const WCHAR* s, const char* word) {
    for (; *word != 0; ++s, ++word) {
        WCHAR c = *s;
        if (c >= u'A' && c <= u'Z') c = static_cast<WCHAR>(c - u'A' + u'a');
        if (c != static_cast<WCHAR>(*word)) return false;
    }
    return *s == 0;
}

HRESULT BooleanFromText(const WCHAR* s, VARIANT_BOOL& out) {
    if (s != nullptr && EqualsIgnoringAsciiCase(s, "true")) {
        out = VARIANT_TRUE;
        return S_OK;
    }
    if (s != nullptr && EqualsIgnoringAsciiCase(s, "false")) {
        out = VARIANT_FALSE;
        return S_OK;
    }
    const std::optional<int64_t> number = ParseDecimal(s);
    if (!number) return DISP_E_TYPEMISMATCH;
    out = *number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

// Plain decimal digits with a leading minus; correct for the most negative value too.
HRESULT DecimalBstr(int64_t value, BSTR& out) {
    WCHAR digits[24];
    size_t at = sizeof digits / sizeof digits[0];
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        digits[--at] = static_cast<WCHAR>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) digits[--at] = u'-';
    out = SysAllocStringLen(digits + at, static_cast<UINT>(sizeof digits / sizeof digits[0] - at));
    return out != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT StoreInteger(int64_t value, VARTYPE vt, VARIANT& out) {
    out.vt = vt;
    switch (vt) {
        case VT_I2:
            if (value < SHRT_MIN || value > SHRT_MAX) return DISP_E_OVERFLOW;
            out.iVal = static_cast<SHORT>(value);
            return S_OK;
        case VT_I4:
        case VT_INT:
            if (value < INT32_MIN || value > INT32_MAX) return DISP_E_OVERFLOW;
            out.lVal = static_cast<LONG>(value);
            return S_OK;
        case VT_UI4:
            if (value < 0 || value > UINT32_MAX) return DISP_E_OVERFLOW;
            out.ulVal = static_cast<ULONG>(value);
            return S_OK;
        case VT_BOOL: out.boolVal = value != 0 ? VARIANT_TRUE : VARIANT_FALSE; return S_OK;
        default: return DISP_E_TYPEMISMATCH;
    }
}

// Converts a value of a scalar type (or empty) into `out`, which the caller initialised.
HRESULT ConvertScalar(const VARIANT& src, VARTYPE vt, VARIANT& out) {
    if (vt == VT_EMPTY) return S_OK;
    if (vt == VT_BSTR) {
        out.vt = VT_BSTR;
        if (src.vt == VT_EMPTY) {
            out.bstrVal = SysAllocStringLen(nullptr, 0);
            return out.bstrVal != nullptr ? S_OK : E_OUTOFMEMORY;
        }
        return DecimalBstr(IntegerValueOf(src), out.bstrVal);
    }
    if (src.vt == VT_BSTR && vt == VT_BOOL) {
        out.vt = VT_BOOL;
        return BooleanFromText(src.bstrVal, out.boolVal);
    }
    if (src.vt == VT_BSTR) {
        const std::optional<int64_t> number = ParseDecimal(src.bstrVal);
        if (!number) return DISP_E_TYPEMISMATCH;
        return StoreInteger(*number, vt, out);
    }
    return StoreInteger(IntegerValueOf(src), vt, out);
}

}  // namespace

WINOLEAUTAPI_(void) VariantInit(VARIANTARG* pvarg) {
    pvarg->vt = VT_EMPTY;
    pvarg->wReserved1 = pvarg->wReserved2 = pvarg->wReserved3 = 0;
    pvarg->llVal = 0;
}

WINOLEAUTAPI VariantClear(VARIANTARG* pvarg) {
    if (pvarg == nullptr) return E_INVALIDARG;
    if (!IsKnownType(pvarg->vt)) return DISP_E_BADVARTYPE;
    if (pvarg->vt == VT_BSTR) SysFreeString(pvarg->bstrVal);
    if ((pvarg->vt == VT_UNKNOWN || pvarg->vt == VT_DISPATCH) && pvarg->punkVal != nullptr) pvarg->punkVal->Release();
    VariantInit(pvarg);
    return S_OK;
}

WINOLEAUTAPI VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc) {
    if (pvargDest == nullptr || pvargSrc == nullptr) return E_INVALIDARG;
    if (pvargDest == pvargSrc) return S_OK;
    if (!IsKnownType(pvargSrc->vt)) return DISP_E_BADVARTYPE;
    VARIANT copy = *pvargSrc;
    if (copy.vt == VT_BSTR && copy.bstrVal != nullptr) {
        copy.bstrVal = SysAllocStringLen(pvargSrc->bstrVal, SysStringLen(pvargSrc->bstrVal));
        if (copy.bstrVal == nullptr) return E_OUTOFMEMORY;
    }
    if ((copy.vt == VT_UNKNOWN || copy.vt == VT_DISPATCH) && copy.punkVal != nullptr) copy.punkVal->AddRef();
    // Clearing the destination last keeps it intact when the copy cannot be made.
    const HRESULT hr = VariantClear(pvargDest);
    if (FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    *pvargDest = copy;
    return S_OK;
}

WINOLEAUTAPI VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT, VARTYPE vt) {
    if (pvargDest == nullptr || pvarSrc == nullptr) return E_INVALIDARG;
    if (!IsKnownType(pvarSrc->vt) || !IsKnownType(vt)) return DISP_E_BADVARTYPE;
    if (pvarSrc->vt == vt) return VariantCopy(pvargDest, pvarSrc);
    if (pvarSrc->vt == VT_NULL || vt == VT_NULL || pvarSrc->vt == VT_UNKNOWN || pvarSrc->vt == VT_DISPATCH ||
        vt == VT_UNKNOWN || vt == VT_DISPATCH) {
        return DISP_E_TYPEMISMATCH;
    }
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr = ConvertScalar(*pvarSrc, vt, result);
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    // The source may be the destination: it is read completely before the destination is cleared.
    const HRESULT cleared = VariantClear(pvargDest);
    if (FAILED(cleared)) {
        VariantClear(&result);
        return cleared;
    }
    *pvargDest = result;
    return S_OK;
}
