// The outcome of an operation that can fail: success, or a failure carrying
// the platform's description of what went wrong. Callers must look at it.
#pragma once

#include <QString>
#include <utility>

namespace rosterly {

class [[nodiscard]] Status {
public:
    static Status success() { return Status(); }
    static Status failure(QString message) { return Status(std::move(message)); }

    bool ok() const { return !m_failed; }
    // Empty on success.
    const QString& message() const { return m_message; }

private:
    Status() = default;
    explicit Status(QString message) : m_failed(true), m_message(std::move(message)) {}

    bool m_failed = false;
    QString m_message;
};

}  // namespace rosterly
