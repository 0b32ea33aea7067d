// Sievan's methods. Both work through the control's own interface, so every
// value they set goes through the property put and its change notification;
// neither traps an error: the first failure ends the call and is returned,
// and every write made before it stays.
#include "address_scanner.h"
#include "com/variant_value.h"
#include "counter_string.h"
#include "sievan.h"
#include "wildcard.h"

namespace corvell {

namespace {

#define RETURN_IF_FAILED(expr)                 \
    do {                                       \
        if (HRESULT hr_ = (expr); FAILED(hr_)) \
            return hr_;                        \
    } while (false)

}  // namespace

HRESULT Sievan::stepCounterProperty(HRESULT (STDMETHODCALLTYPE Sievan::*get)(BSTR*),
                                    HRESULT (STDMETHODCALLTYPE Sievan::*put)(BSTR)) {
    com::Bstr counter;
    RETURN_IF_FAILED((this->*get)(counter.out()));
    std::u16string next;
    RETURN_IF_FAILED(stepCounter(counter.view(), &next));
    return (this->*put)(com::Bstr(next).get());
}

HRESULT Sievan::Clean(VARIANT* result) {
    if (result != nullptr)
        VariantInit(result);
    com::Bstr address;
    RETURN_IF_FAILED(get_Address(address.out()));
    com::Bstr filter;
    RETURN_IF_FAILED(get_Filter(filter.out()));
    const std::u16string pattern = u"*" + filter.str() + u"*";
    switch (wildcardMatch(address.view(), pattern)) {
        case MatchResult::InvalidPattern:
            return CTL_E_INVALIDPATTERNSTRING;
        case MatchResult::NoMatch:
            return S_OK;
        case MatchResult::Match:
            break;
    }
    RETURN_IF_FAILED(put_Address(com::Bstr(u"").get()));
    return stepCounterProperty(&Sievan::get_Filtered, &Sievan::put_Filtered);
}

HRESULT Sievan::resetHarvest() {
    const com::Bstr zero(u"0");
    RETURN_IF_FAILED(put_Done(VARIANT_FALSE));
    RETURN_IF_FAILED(put_Count(zero.get()));
    RETURN_IF_FAILED(put_Duplicates(zero.get()));
    RETURN_IF_FAILED(put_Filtered(zero.get()));
    RETURN_IF_FAILED(put_Filter(zero.get()));
    m_seenText.reset(u"0");
    return S_OK;
}

HRESULT Sievan::Extract(VARIANT* result) {
    if (result != nullptr)
        VariantInit(result);
    VARIANT_BOOL done = VARIANT_FALSE;
    RETURN_IF_FAILED(get_Done(&done));
    if (done == VARIANT_TRUE)
        RETURN_IF_FAILED(resetHarvest());

    com::Bstr address;
    RETURN_IF_FAILED(get_Address(address.out()));
    if (!hasAddressShape(address.view()))
        return put_Address(com::Bstr(u"").get());

    // The cleaning loop trims one character per pass; computing its end
    // result at once sets Address once, to the same text.
    const std::u16string_view cleaned = cleanAddress(address.view());
    if (cleaned.size() != address.view().size())
        RETURN_IF_FAILED(put_Address(com::Bstr(cleaned).get()));
    RETURN_IF_FAILED(stepCounterProperty(&Sievan::get_Count, &Sievan::put_Count));

    // The cleaned text is looked for literally: an address is data, never a
    // pattern, whatever characters it holds.
    if (m_seenText.contains(cleaned))
        return stepCounterProperty(&Sievan::get_Duplicates, &Sievan::put_Duplicates);
    m_seenText.append(cleaned);
    return S_OK;
}

}  // namespace corvell
