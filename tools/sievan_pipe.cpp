// sievan-pipe: a command-line container for the Sievan control, for testing
// and scripting. Creates "Corvell.Sievan" through the component layer and,
// for every line of standard input, puts the line into Address, calls
// Extract and prints the Address it reads back: one cleaned address (or an
// empty line) per input line. Lines are read as the program reads them, so a
// line of any length costs no more memory than its address.
#include <QFile>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "com/local_servers.h"
#include "com/objbase.h"
#include "com/ptr.h"
#include "com/strings.h"
#include "com/variant_value.h"
#include "corvell_ids.h"
#include "input_lines.h"
#include "line_pieces.h"
#include "platform/text_codec.h"

namespace {

constexpr const char* kUsage =
    "usage: sievan-pipe [--counters]\n"
    "Reads lines from standard input (CR, LF or CR LF ends a line), hands each to\n"
    "the Sievan control's Extract and prints the resulting Address. Control\n"
    "characters are read as spaces. A line without '@', or whose address would be\n"
    "longer than 1 MiB, is not handed to the control and prints an empty line.\n"
    "  --counters  print Count, Duplicates and Done after the last line\n";

std::string describe(HRESULT hr) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(hr));
    return buffer;
}

HRESULT invoke(IDispatch* control, DISPID member, WORD flags, VARIANT* argument,
               com::Variant* result, std::string* error) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{argument, argument ? &named : nullptr, argument ? 1u : 0u,
                      argument ? 1u : 0u};
    EXCEPINFO exception{};
    const HRESULT hr =
        control->Invoke(member, GUID_NULL, 0, flags, &params, result, &exception, nullptr);
    if (hr == DISP_E_EXCEPTION) {
        *error = com::ToUtf8(com::View(exception.bstrDescription)) + " (" +
                 describe(exception.scode) + ")";
    } else if (FAILED(hr)) {
        *error = "call failed (" + describe(hr) + ")";
    }
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return hr;
}

com::Ptr<IDispatch> createControl(std::string* error) {
    com::AddLocalServer(CLSID_Sievan, CORVELL_LIBRARY_FILE);
    CLSID clsid = CLSID_Sievan;
    // The ProgID names the class when it is registered; an unregistered
    // library beside this program still serves its known class identifier.
    CLSIDFromProgID(com::FromUtf8(CORVELL_PROGID_SIEVAN).c_str(), &clsid);
    com::Ptr<IDispatch> control;
    HRESULT hr =
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, control.out());
    if (FAILED(hr)) {
        *error = "cannot create " CORVELL_PROGID_SIEVAN " (" + describe(hr) +
                 "): register " CORVELL_LIBRARY_FILE " or place it beside this program; tried ";
        const std::vector<std::string> tried = com::ServerPathsFor(clsid);
        for (std::size_t i = 0; i < tried.size(); ++i) *error += (i ? ", " : "") + tried[i];
        if (tried.empty()) *error += "no library";
        return {};
    }
    if (auto persist = control.as<IPersistPropertyBag>(IID_IPersistPropertyBag)) persist->InitNew();
    return control;
}

}  // namespace

int main(int argc, char** argv) {
    bool printCounters = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--counters") == 0) {
            printCounters = true;
        } else {
            std::cerr << kUsage;
            return std::strcmp(argv[i], "--help") == 0 ? 0 : 2;
        }
    }
    std::string error;
    com::Ptr<IDispatch> control = createControl(&error);
    if (!control) {
        std::cerr << "sievan-pipe: " << error << '\n';
        return 1;
    }
    int status = 0;
    // The control is given each line's bounded stand-in, which it cleans to the same result.
    auto extract = [&](const rosterly::BoundedLine& line, rosterly::BoundedLine::Outcome outcome) {
        const QByteArrayView standIn = line.standIn(outcome);
        com::Variant address;
        if (!standIn.isEmpty()) {
            const QString decoded = rosterly::decodeBytes(standIn);
            com::Variant text(std::u16string_view(
                reinterpret_cast<const char16_t*>(decoded.utf16()), size_t(decoded.size())));
            if (FAILED(invoke(control.get(), DISPID_SIEVAN_ADDRESS, DISPATCH_PROPERTYPUT, &text,
                              nullptr, &error)) ||
                FAILED(invoke(control.get(), DISPID_SIEVAN_EXTRACT, DISPATCH_METHOD, nullptr,
                              nullptr, &error)) ||
                FAILED(invoke(control.get(), DISPID_SIEVAN_ADDRESS, DISPATCH_PROPERTYGET, nullptr,
                              &address, &error))) {
                std::cerr << "sievan-pipe: " << error << '\n';
                status = 1;
            }
        }
        std::cout << com::ToUtf8(address.text()) << '\n';
    };
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        std::cerr << "sievan-pipe: cannot read standard input\n";
        return 1;
    }
    rosterly::InputLines lines(input);
    rosterly::LinePieces pieces(false, extract);
    rosterly::InputLines::Part part;
    rosterly::InputLines::Step step;
    while ((step = lines.next(part)) == rosterly::InputLines::Step::Part) {
        pieces.append(part.bytes);
        if (part.lineEnds) pieces.endLine();
    }
    if (step == rosterly::InputLines::Step::Error) {
        std::cerr << "sievan-pipe: " << lines.status().message().toStdString() << '\n';
        status = 1;
    }
    if (printCounters) {
        for (auto [name, member] : {std::pair{"Count", DISPID_SIEVAN_COUNT},
                                    {"Duplicates", DISPID_SIEVAN_DUPLICATES},
                                    {"Done", DISPID_SIEVAN_DONE}}) {
            com::Variant value;
            invoke(control.get(), member, DISPATCH_PROPERTYGET, nullptr, &value, &error);
            VariantChangeType(&value, &value, 0, VT_BSTR);
            std::cout << name << ": " << com::ToUtf8(value.text()) << '\n';
        }
    }
    return status;
}
