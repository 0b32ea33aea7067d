#include "line_text.h"

#include "platform/text_codec.h"

namespace rosterly {

void lowerCasedLine(QByteArrayView bytes, QString& out) {
    // Most lines are plain ASCII: fold them in place without decoding.
    out.resize(bytes.size());
    QChar* to = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x80) {
            out = decodeBytes(bytes).toLower();
            return;
        }
        to[i] = QChar(char16_t(c >= 'A' && c <= 'Z' ? c | 0x20 : c));
    }
}

QString withCrLfBreaks(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 32);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            out += u"\r\n";
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace rosterly
