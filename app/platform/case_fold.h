// The case-blind form of a text, as the program compares texts without regard to case.
#pragma once

#include <QString>
#include <QStringView>

namespace rosterly {

// Every character replaced by its simple case fold (one character for one, surrogate pairs
// folded as the character they form). Comparing two folded texts code unit by code unit gives
// the order of QString::compare(a, b, Qt::CaseInsensitive), the sorted list box's order.
QString caseFolded(QStringView text);

// True when caseFolded(text) == text.
bool isCaseFolded(QStringView text);

// As above; shares the text's data when folding changes nothing, as for lower-case ASCII.
QString caseFolded(const QString& text);

}  // namespace rosterly
