#include "rich_text_buffer.h"

#include <QFile>
#include <QSaveFile>

#include "rtf_writer.h"
#include "text_codec.h"

namespace rosterly {

Status RichTextBuffer::loadFile(const QString& path, Format format, qint64 maxBytes) {
    if (format != Format::Plain)
        return Status::failure(QStringLiteral("Only plain text files can be loaded."));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(QStringLiteral("%1: %2").arg(path, file.errorString()));
    const QByteArray bytes = maxBytes < 0 ? file.readAll() : file.read(maxBytes);
    if (file.error() != QFileDevice::NoError)
        return Status::failure(QStringLiteral("%1: %2").arg(path, file.errorString()));
    m_text = decodeBytes(bytes);
    return Status::success();
}

Status RichTextBuffer::saveFile(const QString& path, Format format) const {
    const QByteArray bytes = format == Format::Plain ? encodeText(m_text) : writeRtf(m_text);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return Status::failure(
            QStringLiteral("\"%1\" cannot be written: %2.").arg(path, file.errorString()));
    return Status::success();
}

}  // namespace rosterly
