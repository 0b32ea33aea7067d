// The case-blind form of the record's text, as bytes that sort as the program orders texts.
#pragma once

#include <QByteArrayView>

#include <cstddef>
#include <string>

namespace rosterly {

// Appends the folded key of `text` (bytes as the record stores them, accepted_addresses.h):
// the code units of its caseFolded() form (case_fold.h), each written on its own as the one,
// two or three bytes UTF-8 gives a value of its size, surrogates included. Comparing two keys
// byte by byte gives the order of comparing the folded texts code unit by code unit, which is
// the order of QString::compare(a, b, Qt::CaseInsensitive). Lower-case ASCII is its own key.
void appendFoldedKey(QByteArrayView text, std::string& out);

// The order of the folded keys of `a` and `b`: negative, zero or positive. ASCII texts are
// compared where they stand, eight bytes at a time; others through their keys, made in the
// two scratch strings.
int compareFoldedKeys(QByteArrayView a, QByteArrayView b, std::string& scratchA,
                      std::string& scratchB);

// The first `size` bytes of the folded key of `text`, zero-padded where the key is shorter.
// ASCII text, the usual case, is folded where it stands; any other is folded whole, in
// `scratch`.
void foldedKeyPrefix(QByteArrayView text, unsigned char* prefix, std::size_t size,
                     std::string& scratch);

}  // namespace rosterly
