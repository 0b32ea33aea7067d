#include "control_failure.h"

namespace rosterly {
namespace {

QString reasonFor(HRESULT status) {
    switch (status) {
        case REGDB_E_CLASSNOTREG:
            return QStringLiteral(
                "the control class is not registered and no control library lies beside the "
                "program");
        case CO_E_DLLNOTFOUND:
            return QStringLiteral("the registered control library cannot be found or opened");
        case CO_E_ERRORINDLL:
            return QStringLiteral("the control library is damaged or is no component server");
        case CLASS_E_CLASSNOTAVAILABLE:
            return QStringLiteral("the control library does not serve the control class");
        case E_NOINTERFACE:
            return QStringLiteral("the control lacks an interface the program needs");
        case E_OUTOFMEMORY:
            return QStringLiteral("there is not enough memory");
        default:
            return QStringLiteral("unexpected error");
    }
}

}  // namespace

QString describeStatus(HRESULT status) {
    const auto code = static_cast<quint32>(status);
    return QStringLiteral("%1 (0x%2)").arg(reasonFor(status)).arg(code, 8, 16, QLatin1Char('0'));
}

QString libraryLoadFailure(HRESULT status) {
    return QStringLiteral("The Corvell control library could not be loaded: %1.")
        .arg(describeStatus(status));
}

QString controlSetupFailure(const QString& step, HRESULT status) {
    return QStringLiteral("The Sievan control could not %1: %2.").arg(step, describeStatus(status));
}

}  // namespace rosterly
