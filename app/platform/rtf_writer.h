// The RTF form of a list: a minimal RTF document of our own writing whose
// plain text is exactly the given text.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

namespace rosterly {

// Each line break (CR LF, or a lone CR or LF) becomes a paragraph break;
// backslashes and braces are escaped; each character beyond ASCII is written
// as a group {\uN...} holding a fallback for readers without Unicode support
// (the Latin-1 byte where there is one, else "?"). The result is pure ASCII.
QByteArray writeRtf(QStringView text);

// The same document in parts, for a text too large to hold whole: rtfBegin(), then
// appendRtfText() for consecutive pieces of the text, none ending between a CR and its LF,
// then rtfEnd().
QByteArray rtfBegin();
void appendRtfText(QByteArray& out, QStringView piece);
// appendRtfText() for a piece held as bytes, when they are all ASCII; false, with nothing
// appended, when one is not (the caller then decodes the piece).
bool appendRtfAscii(QByteArray& out, QByteArrayView piece);
QByteArray rtfEnd();

}  // namespace rosterly
