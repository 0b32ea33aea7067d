// _Sievan, the control's dual automation interface, in slot order. Clients
// may call these slots directly or bind late through IDispatch::Invoke with
// the member identifiers of corvell_ids.h.
#pragma once

#include "corvell_ids.h"

struct _Sievan : IDispatch {
    // Empties Address when it contains Filter (a wildcard pattern) and steps
    // Filtered. *result is always empty.
    virtual HRESULT STDMETHODCALLTYPE Clean(VARIANT* result) = 0;
    // Cuts Address down to one cleaned address (or the empty text), steps
    // Count and, for a repeat, Duplicates. *result is always empty.
    virtual HRESULT STDMETHODCALLTYPE Extract(VARIANT* result) = 0;
    // Text properties: a get returns a new copy the caller frees; a put stores
    // a copy (the caller keeps its own) and notifies the container.
    virtual HRESULT STDMETHODCALLTYPE get_Filter(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Filter(BSTR New_Filter) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Address(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Address(BSTR New_Address) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Duplicates(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Duplicates(BSTR New_Duplicates) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Count(BSTR New_Count) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Filtered(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Filtered(BSTR New_Filtered) = 0;
    // The reset request, stored as given (only -1 requests a reset).
    virtual HRESULT STDMETHODCALLTYPE get_Done(VARIANT_BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Done(VARIANT_BOOL New_Done) = 0;

protected:
    ~_Sievan() = default;
};
