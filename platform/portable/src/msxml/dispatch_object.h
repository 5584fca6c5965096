// The COM plumbing every stand-in object shares: IDispatch, which the stand-in does not offer,
// and IUnknown for objects with one interface besides IUnknown and IDispatch.
#pragma once

#include "com_object.h"

#include <platform/platform.h>

namespace msxml {

// IDispatch's methods for an interface I derived from it: not offered.
template <class I>
class NoDispatch : public I {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
};

// A stand-in object answering IUnknown, IDispatch and `kIid`, all with the same pointer.
template <class I, const IID& kIid>
class DispatchObject : public NoDispatch<I>, public ComObject {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        *ppv = nullptr;
        if (riid != kIid && riid != IID_IUnknown && riid != IID_IDispatch) return E_NOINTERFACE;
        *ppv = static_cast<I*>(this);
        AddRefObject();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefObject(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseObject(); }
};

// Clears an out-parameter of a method the stand-in does not offer.
template <class T>
HRESULT NotOffered(T** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

}  // namespace msxml
