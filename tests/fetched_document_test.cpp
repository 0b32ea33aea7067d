// A fetched document on its way into the temporary file: line breaks made CR LF piece by piece,
// and the file replaced only when the whole document arrived.
#include "fetched_document.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace rosterly {
namespace {

// `document` handed over in pieces of `pieceBytes`, as a transfer does.
QByteArray converted(const QByteArray& document, qsizetype pieceBytes) {
    QByteArray out;
    bool afterReturn = false;
    for (qsizetype at = 0; at < document.size(); at += pieceBytes)
        appendWithCrLfBreaks(
            QByteArrayView(document).sliced(at, std::min(pieceBytes, document.size() - at)),
            afterReturn, out);
    return out;
}

TEST(FetchedDocumentTest, EveryKindOfBreakBecomesCrLfWhereverThePiecesEnd) {
    const QByteArray document = "a\nb\r\nc\rd\n\ne\r\r\nf\r";
    const QByteArray expected = "a\r\nb\r\nc\r\nd\r\n\r\ne\r\n\r\nf\r\n";
    for (qsizetype piece = 1; piece <= document.size(); ++piece)
        EXPECT_EQ(converted(document, piece), expected) << "pieces of " << piece;
    EXPECT_EQ(converted("", 4), "");
    EXPECT_EQ(converted("no break", 3), "no break");
}

TEST(FetchedDocumentTest, FileIsReplacedOnlyByCommit) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("temp.doc"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old@copy.cc\r\n");
    old.close();
    {
        FetchedDocumentFile abandoned(path);
        ASSERT_TRUE(abandoned.open().ok());
        ASSERT_TRUE(abandoned.append("half a page\n").ok());
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "old@copy.cc\r\n");
    file.close();
    FetchedDocumentFile whole(path);
    ASSERT_TRUE(whole.open().ok());
    ASSERT_TRUE(whole.append("one@a.cc\n").ok());
    ASSERT_TRUE(whole.append("two@b.cc").ok());
    ASSERT_TRUE(whole.commit().ok());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "one@a.cc\r\ntwo@b.cc");
}

TEST(FetchedDocumentTest, UnwritablePlaceFailsNamingThePath) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("no-such-dir/temp.doc"));
    FetchedDocumentFile document(path);
    const Status opened = document.open();
    EXPECT_FALSE(opened.ok());
    EXPECT_TRUE(opened.message().contains(path)) << opened.message().toStdString();
}

}  // namespace
}  // namespace rosterly
