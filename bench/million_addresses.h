// The input of the benchmarks of a large run: a million distinct lower-case
// addresses in random order, with domains drawn so that a few are large and
// most are small, as in real mail.
#pragma once

#include <QString>
#include <QStringList>

#include <random>

namespace rosterly::bench {

constexpr int kAddresses = 1'000'000;

inline const QStringList& millionAddresses() {
    static const QStringList list = [] {
        std::mt19937 random(42);
        std::geometric_distribution<int> domainRank(0.0002);
        std::uniform_int_distribution<int> letter('a', 'z');
        QStringList out;
        out.reserve(kAddresses);
        for (int i = 0; i < kAddresses; ++i) {
            QString local;
            for (int n = 4 + i % 9; n > 0; --n) local += QChar(letter(random));
            out.push_back(QStringLiteral("%1.%2@mail%3.example.cc")
                              .arg(local)
                              .arg(i)
                              .arg(domainRank(random)));
        }
        return out;
    }();
    return list;
}

}  // namespace rosterly::bench
