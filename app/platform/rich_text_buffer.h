// The window's hidden text buffer (`rchFile`): holds a plain text and moves it
// to and from files. It never shows anything.
#pragma once

#include <QString>

#include "status.h"

namespace rosterly {

class RichTextBuffer {
public:
    // The values the buffer's callers have always passed for a file's format.
    enum class Format { Rich = 0, Plain = 1 };

    const QString& text() const { return m_text; }
    void setText(QString text) { m_text = std::move(text); }

    // Plain: replaces the text with the file's contents, decoded as
    // decodeBytes() does; line breaks stay as the file has them. Rich
    // documents are not read: that format fails. On failure the text is left
    // as it was. At most `maxBytes` bytes are read when it is not negative, so
    // a caller that needs only the start of a file never holds a huge one (or
    // reads an endless device) whole.
    Status loadFile(const QString& path, Format format, qint64 maxBytes = -1);

    // Plain: the text as UTF-8, line breaks as the text holds them. Rich: the
    // RTF document writeRtf() makes of the text. The file is replaced in one
    // step when everything was written, so a failed save never leaves a
    // half-written file behind; an existing file then keeps its old contents.
    Status saveFile(const QString& path, Format format = Format::Rich) const;

private:
    QString m_text;
};

}  // namespace rosterly
