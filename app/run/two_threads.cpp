#include "two_threads.h"

#include <exception>
#include <system_error>
#include <thread>

namespace rosterly {

bool hasSecondCore() {
    return std::thread::hardware_concurrency() >= 2;
}

void runTwo(const std::function<void()>& here, const std::function<void()>& beside) {
    if (!hasSecondCore()) {
        here();
        beside();
        return;
    }
    std::exception_ptr failure;
    std::thread second;
    try {
        second = std::thread([&] {
            try {
                beside();
            } catch (...) {
                failure = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        here();
        beside();
        return;
    }
    try {
        here();
    } catch (...) {
        second.join();
        throw;
    }
    second.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace rosterly
