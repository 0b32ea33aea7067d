// The input lines of a run as the pieces the harvesting control is asked about.
#pragma once

#include <QByteArrayView>

#include <functional>

#include "address_cuts.h"
#include "bounded_line.h"

namespace rosterly {

// Takes the lines of an input, part by part (InputLines), and hands over one bounded piece per
// line, or, with every address on, one per piece of AddressCuts. Memory stays bounded whatever
// the lines: each piece is reduced by a BoundedLine as it streams past, and the bytes after a
// possible cut go to the current piece and to the next one at once, so nothing is held back.
class LinePieces final : private AddressCuts::Sink {
public:
    // Called for every finished piece, in input order, also for pieces without "@" (NoAt);
    // piece.standIn(outcome) is the text for the control. The piece is valid during the call.
    using Handler = std::function<void(const BoundedLine& piece, BoundedLine::Outcome outcome)>;

    LinePieces(bool everyAddress, Handler handler, qsizetype limit = BoundedLine::kDefaultLimit);

    // The current line's next bytes (no line end).
    void append(QByteArrayView bytes);
    // The current line ends: its last piece is handed over.
    void endLine();
    // The same after appending `lastBytes`; a line in one part is mostly reduced at once.
    void endLine(QByteArrayView lastBytes);

private:
    void bytes(QByteArrayView bytes) override;
    void mayCut() override;
    void cut() override;

    bool m_everyAddress;
    Handler m_handler;
    AddressCuts m_cuts;
    BoundedLine m_current;
    BoundedLine m_next;  // the next piece, from a possible cut on
    bool m_inLine = false;  // bytes of the current line have been appended
    bool m_mayCut = false;
    BoundedLine::Outcome m_atCut;  // the current piece's outcome at the possible cut
};

}  // namespace rosterly
