// What the harvest run needs from the front end it runs in, and the parts it works with.
#pragma once

#include <QString>

#include "harvest_options.h"
#include "platform/message_boxes.h"

struct IDispatch;

namespace rosterly {

class InternetTransfer;
class RichTextBuffer;

// Where the read loop stands, for a front end that shows it.
struct ReadingProgress {
    qsizetype fileNumber = 0;  // counted from 1
    qsizetype fileCount = 0;
    QString path;
    qint64 bytesRead = 0;  // of this file
    qint64 accepted = 0;   // addresses accepted so far in the run
};

// The window as the run sees it, or the command line standing in for it.
class HarvestWindow {
public:
    virtual ~HarvestWindow() = default;

    // The fields and options as the user left them; read once, when the run starts.
    virtual HarvestOptions options() const = 0;

    // The status line lblEmail, painted at once.
    virtual void setStatus(const QString& text) = 0;
    // Handles every pending window event and returns.
    virtual void yield() = 0;
    // True once the user has closed the window; the run then ends as soon as it can.
    virtual bool closing() const = 0;
    // Unlocks the window's fields and options (SSTab1).
    virtual void enableSSTab1() = 0;

    // The read loop's position, at most about ten times a second and whenever a new file
    // begins; then once more with `done` when reading is over. The window shows none of it.
    virtual void showReading(const ReadingProgress& progress, bool done) {
        (void)progress;
        (void)done;
    }
};

// The window's parts the run uses besides its widgets. All must outlive the run.
struct HarvestParts {
    HarvestWindow& window;
    MessageBoxes& messageBoxes;
    RichTextBuffer& rchFile;
    InternetTransfer& Inet1;
    IDispatch* Sievan1;  // the hosted harvesting control; never null
    // Where the temporary file and the piece files go: the program's own directory.
    QString programDirectory;
};

}  // namespace rosterly
