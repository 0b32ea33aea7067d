#include "size_warning.h"

#include <QFileInfo>

#include "platform/rich_text_buffer.h"

namespace rosterly {
namespace {

// Alphabetical on top of domain sorting gets slow beyond this output size.
constexpr int kLargeListFileChars = 20000;

}  // namespace

bool isLargeListFile(RichTextBuffer& buffer, const QString& path) {
    // No character takes more than three bytes, so a file longer than the bytes loaded here
    // has more characters than the limit too: the answer is the same as for the whole file.
    if (QFileInfo(path).isFile())
        (void)buffer.loadFile(path, RichTextBuffer::Format::Plain, 3 * kLargeListFileChars + 3);
    const bool large = buffer.text().size() > kLargeListFileChars;
    buffer.setText(QString());
    return large;
}

QString sizeWarning() {
    return QStringLiteral(
        "Using Alphabetical sorting and\r\n"
        "Domain sorting with this file\r\n"
        "may cause your system to not\r\n"
        "respond!");
}

}  // namespace rosterly
