// Cutting a line at every address, so that each piece holds one address for the control.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

namespace rosterly {

// The rule: between two consecutive "@" of a line, the line is cut right after the last
// single-character left delimiter (see address_bytes.h; control characters count as spaces)
// that stands between them; where none stands between them there is no cut. Every piece
// thus holds at least one "@", and a line without one stays whole. Delimiters are ASCII, so
// the rule reads the line's bytes before they are decoded and lower-cased.
//
// Cuts while a line streams past, in parts of any size, keeping nothing but two flags: where a
// cut falls is known only at the next "@", so the sink hears of a possible cut first.
class AddressCuts {
public:
    class Sink {
    public:
        virtual ~Sink() = default;
        // The next bytes of the line, in order, never split across a cut.
        virtual void bytes(QByteArrayView bytes) = 0;
        // A cut may fall here: the bytes from here on start the next piece if cut() comes before
        // the next mayCut(); otherwise they stay in the current piece.
        virtual void mayCut() = 0;
        // The current piece ends at the last mayCut().
        virtual void cut() = 0;
    };

    void append(QByteArrayView bytes, Sink& sink);
    // Starts a new line.
    void reset() { *this = AddressCuts(); }

private:
    bool m_seenAt = false;
    bool m_mayCut = false;  // a left delimiter stands after the last "@"
};

// The pieces of a whole line, in order; the line itself when it has no cut.
std::vector<QByteArray> cutAtAddresses(QByteArrayView line);

}  // namespace rosterly
