// The temporary file a fetched document goes into as it arrives.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QSaveFile>
#include <QString>

#include "platform/status.h"

namespace rosterly {

// Writes a document into `path` piece by piece with every line break (CR LF, a lone CR, a lone
// LF) made CR LF, holding no more than one piece at a time. The file is replaced only by
// commit(); until then, and after a failure, an existing file keeps its old contents.
class FetchedDocumentFile {
public:
    explicit FetchedDocumentFile(const QString& path);

    Status open();
    Status append(QByteArrayView bytes);
    Status commit();

private:
    Status failure();

    QSaveFile m_file;
    QByteArray m_converted;  // reused for every piece
    bool m_afterReturn =
        false;  // the last piece ended with a CR: a LF first in the next is its partner
};

// `bytes` with every line break made CR LF; `afterReturn` carries a CR at the end of one piece
// over to the next.
void appendWithCrLfBreaks(QByteArrayView bytes, bool& afterReturn, QByteArray& out);

}  // namespace rosterly
