// The window's file dialog (`CD1`): one object serves every Browse button.
#pragma once

#include <QString>
#include <QStringList>

namespace rosterly {

class CommonDialog {
public:
    virtual ~CommonDialog() = default;

    // Pairs of a description and a file pattern, each pair and its parts
    // separated by "|": "All Files | *." or "Word Files | *.doc". The filter
    // stays until it is set again.
    virtual void setFilter(const QString& filter) = 0;
    virtual QString filter() const = 0;

    // Modal; return when the dialog has closed. Afterwards fileName() holds
    // the chosen path, or is empty when the user chose none.
    virtual void showOpen() = 0;
    virtual void showSave() = 0;
    virtual QString fileName() const = 0;
};

// The name filters a Qt file dialog takes for a dialog filter: one
// "Description (patterns)" entry per pair, description and pattern trimmed,
// several patterns separated by ";" listed with blanks, and "*." or "*.*"
// (which name every file) given as "*". A description without a pattern
// lists every file.
QStringList toQtNameFilters(const QString& filter);

}  // namespace rosterly
