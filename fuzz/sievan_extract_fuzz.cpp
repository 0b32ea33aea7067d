// Feeds arbitrary text, line by line, through a Sievan's Extract by member
// identifier, as a container does. Every call must succeed and leave in
// Address either the empty text or a piece of the line it was given.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "com/ptr.h"
#include "com/variant_value.h"
#include "sievan.h"

namespace {

HRESULT invoke(IDispatch* control, DISPID member, WORD flags, VARIANT* argument,
               VARIANT* result) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{argument, argument ? &named : nullptr, argument ? 1u : 0u,
                      argument ? 1u : 0u};
    return control->Invoke(member, GUID_NULL, 0, flags, &params, result, nullptr, nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    com::Ptr<IDispatch> control;
    if (FAILED(corvell::Sievan::Create(IID_IDispatch, control.out()))) std::abort();
    control.as<IPersistPropertyBag>(IID_IPersistPropertyBag)->InitNew();

    std::u16string text(size / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(u'\n', start);
        if (end == std::u16string::npos) end = text.size();
        const std::u16string line = text.substr(start, end - start);
        com::Variant input(line);
        com::Variant output;
        if (FAILED(invoke(control.get(), DISPID_SIEVAN_ADDRESS, DISPATCH_PROPERTYPUT, &input,
                          nullptr)) ||
            FAILED(invoke(control.get(), DISPID_SIEVAN_EXTRACT, DISPATCH_METHOD, nullptr,
                          nullptr)) ||
            FAILED(invoke(control.get(), DISPID_SIEVAN_ADDRESS, DISPATCH_PROPERTYGET, nullptr,
                          &output)))
            std::abort();
        if (!output.text().empty() && line.find(output.text()) == std::u16string::npos)
            std::abort();
        start = end + 1;
    }
    return 0;
}
