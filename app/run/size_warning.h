// The warning before alphabetical sorting on top of domain sorting of a large list.
#pragma once

#include <QString>

namespace rosterly {

class RichTextBuffer;

// Whether the list file at `path` already holds more than 20000 characters, as `buffer` loads
// it. Only the bytes that can tell are loaded, and only from a regular file: a huge file, a
// device or a FIFO never stalls the check. When nothing can be loaded, the text the buffer
// already held is judged instead. `buffer` is left empty.
bool isLargeListFile(RichTextBuffer& buffer, const QString& path);

// "Using Alphabetical sorting and ... may cause your system to not respond!"
QString sizeWarning();

}  // namespace rosterly
