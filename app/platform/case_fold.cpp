#include "case_fold.h"

#include <QChar>

namespace rosterly {
namespace {

// Surrogates count as changing: they are folded as pairs, which the slow path does.
bool mayFold(char16_t c) {
    if (c < 0x80) {
        return c >= u'A' && c <= u'Z';
    }
    return QChar::isSurrogate(c) || QChar::toCaseFolded(c) != c;
}

// Where the first character that folding may change stands, or the length when none does.
qsizetype firstChangeOf(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (mayFold(text[i].unicode())) {
            return i;
        }
    }
    return text.size();
}

void foldFrom(QString& text, qsizetype from) {
    for (qsizetype i = from; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            const char32_t folded =
                QChar::toCaseFolded(QChar::surrogateToUcs4(c, text[i + 1].unicode()));
            text[i] = QChar(QChar::highSurrogate(folded));
            text[i + 1] = QChar(QChar::lowSurrogate(folded));
            ++i;
        } else {
            text[i] = QChar(QChar::toCaseFolded(c));
        }
    }
}

}  // namespace

bool isCaseFolded(QStringView text) {
    const qsizetype from = firstChangeOf(text);
    return from == text.size() || caseFolded(text.sliced(from)) == text.sliced(from);
}

QString caseFolded(QStringView text) {
    QString folded = text.toString();
    foldFrom(folded, firstChangeOf(text));
    return folded;
}

QString caseFolded(const QString& text) {
    const qsizetype from = firstChangeOf(text);
    if (from == text.size()) {
        return text;
    }
    QString folded = text;
    foldFrom(folded, from);
    return folded;
}

}  // namespace rosterly
