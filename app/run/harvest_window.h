// What the harvest run needs from the window it runs in, and the window's parts it works with.
#pragma once

#include <QString>

#include "domain_groups.h"
#include "platform/message_boxes.h"

struct IDispatch;

namespace rosterly {

class InternetTransfer;
class RichTextBuffer;

// The window as the run sees it. Options are read afresh at every use; the window is locked
// while the run reads, so they keep the values they had when the run began.
class HarvestWindow {
public:
    virtual ~HarvestWindow() = default;

    // The fields and options, as the user left them.
    virtual QString urlText() const = 0;              // txtURL
    virtual QString inputPath() const = 0;            // Text1
    virtual QString outputPath() const = 0;           // Text2
    virtual QString pieceSizeText() const = 0;        // Text3
    virtual bool splitOn() const = 0;                 // Check1
    virtual bool domainOn() const = 0;                // Check2
    virtual bool sortOn() const = 0;                  // chkSort
    virtual IgnoredDomain ignoredDomain() const = 0;  // Check3 and Text4

    // The status line lblEmail, painted at once.
    virtual void setStatus(const QString& text) = 0;
    // Handles every pending window event and returns.
    virtual void yield() = 0;
    // True once the user has closed the window; the run then ends as soon as it can.
    virtual bool closing() const = 0;
    // Unlocks the window's fields and options (SSTab1).
    virtual void enableSSTab1() = 0;
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
