// Sievan's methods. Both read the properties and set them through the
// control's own property procedures, so every value they set is stored and
// notified exactly as a client's put would be; neither traps an error: the
// first failure ends the call and is returned, and every write made before
// it stays. Both stand behind the barrier that turns an exception into their
// error result. (The procedures are called directly rather than through the
// vtable: a get has no effect beyond its copy, which would only cost time.)
#include <utility>

#include "address_scanner.h"
#include "com/guard.h"
#include "counter_string.h"
#include "sievan.h"
#include "wildcard.h"

namespace corvell {

namespace {

#define RETURN_IF_FAILED(expr)                             \
    do {                                                   \
        if (HRESULT hr_ = (expr); FAILED(hr_)) return hr_; \
    } while (false)

}  // namespace

HRESULT Sievan::stepCounterProperty(DISPID member) {
    RETURN_IF_FAILED(stepCounter(*textField(member)));
    return PropertyChanged(member);
}

HRESULT Sievan::Clean(VARIANT* result) {
    if (result != nullptr) VariantInit(result);
    return com::Guarded([&] { return clean(); });
}

HRESULT Sievan::clean() {
    const std::u16string pattern = u"*" + m_filter + u"*";
    switch (wildcardMatch(m_address, pattern)) {
        case MatchResult::InvalidPattern:
            return CTL_E_INVALIDPATTERNSTRING;
        case MatchResult::NoMatch:
            return S_OK;
        case MatchResult::Match:
            break;
    }
    RETURN_IF_FAILED(putText(m_address, u"", DISPID_SIEVAN_ADDRESS));
    return stepCounterProperty(DISPID_SIEVAN_FILTERED);
}

HRESULT Sievan::resetHarvest() {
    RETURN_IF_FAILED(put_Done(VARIANT_FALSE));
    for (DISPID member : {DISPID_SIEVAN_COUNT, DISPID_SIEVAN_DUPLICATES, DISPID_SIEVAN_FILTERED,
                          DISPID_SIEVAN_FILTER})
        RETURN_IF_FAILED(putText(*textField(member), u"0", member));
    m_record.record().reset(u"0");  // settled by textField()
    return S_OK;
}

// The addresses were handed over while no sink was advised and Duplicates was a plain count,
// and nothing has touched the counter since (every access settles first): their steps add up
// at once, and no sink hears of them, as none would have when they were made.
void Sievan::settleDuplicates() {
    RecordKeeper::Settled settled = m_record.settle();
    if (settled.failure && !m_recordFailure) m_recordFailure = std::move(settled.failure);
    m_unwrittenDuplicates += settled.duplicates;
    if (m_unwrittenDuplicates == 0) return;
    m_duplicates = plainCountText(*plainCount(m_duplicates) + m_unwrittenDuplicates);
    m_unwrittenDuplicates = 0;
}

// A recording that failed after its own Extract had returned: the result it would have had.
HRESULT Sievan::takeRecordFailure() {
    if (m_record.failed()) settleDuplicates();
    if (!m_recordFailure) return S_OK;
    try {
        std::rethrow_exception(std::exchange(m_recordFailure, nullptr));
    } catch (...) {
        return com::ResultOfCurrentException();
    }
}

HRESULT Sievan::Extract(VARIANT* result) {
    if (result != nullptr) VariantInit(result);
    return com::Guarded([&] { return extract(); });
}

HRESULT Sievan::extract() {
    if (m_done == VARIANT_TRUE) RETURN_IF_FAILED(resetHarvest());

    // The cleaning loop trims one character per pass; computing its end
    // result at once sets Address once, to the same text. A text without
    // the address shape cleans to the empty text, so only an empty result
    // needs the entry test: most texts are an address already, and one
    // pass over them tells.
    const std::u16string_view cleaned = cleanAddress(m_address);
    if (cleaned.empty() && !hasAddressShape(m_address))
        return putText(m_address, u"", DISPID_SIEVAN_ADDRESS);
    // (The cleaned text is a piece of Address itself; assigning it in place is safe.)
    if (cleaned.size() != m_address.size())
        RETURN_IF_FAILED(putText(m_address, cleaned, DISPID_SIEVAN_ADDRESS));
    // The record keeper tests the address on its own thread while nothing can tell: no sink
    // would hear Duplicates step, and the counter cannot fail to step.
    if (!m_notifyPoint.advised() && plainCount(m_duplicates) && m_record.accepts(m_address)) {
        RETURN_IF_FAILED(stepCounterProperty(DISPID_SIEVAN_COUNT));
        m_record.handOver(m_address);
        return takeRecordFailure();
    }
    settleDuplicates();
    SeenText& record = m_record.record();
    // The record starts fetching while the counter steps and its watchers hear of it.
    const SeenText::Key key = record.prefetch(m_address);
    RETURN_IF_FAILED(stepCounterProperty(DISPID_SIEVAN_COUNT));

    // The cleaned text is looked for literally: an address is data, never a
    // pattern, whatever characters it holds.
    if (record.contains(m_address, key)) {
        RETURN_IF_FAILED(stepCounterProperty(DISPID_SIEVAN_DUPLICATES));
        return takeRecordFailure();
    }
    record.append(m_address, key);
    return takeRecordFailure();
}

}  // namespace corvell
