// The program's own directory: beside the executable when the user may write there, otherwise
// the per-user data directory, made when needed.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/program_directory.h"
#include "support/qt_print.h"

namespace rosterly {
namespace {

using namespace Qt::StringLiterals;

QProcessEnvironment environment(const QString& xdgDataHome, const QString& home) {
    QProcessEnvironment env;
    if (!xdgDataHome.isNull()) env.insert(u"XDG_DATA_HOME"_s, xdgDataHome);
    env.insert(u"HOME"_s, home);
    return env;
}

const DirectoryWritable kWritable = [](const QString&) { return true; };
const DirectoryWritable kReadOnly = [](const QString&) { return false; };

TEST(ProgramDirectoryTest, ExecutableDirectoryWhileTheUserMayWriteThere) {
    EXPECT_EQ(chooseProgramDirectory(u"/opt/r"_s, environment(u"/x"_s, u"/home/u"_s), kWritable),
              u"/opt/r"_s);
}

TEST(ProgramDirectoryTest, PerUserDataDirectoryOtherwise) {
    const struct {
        QString xdg;
        QString expected;
    } cases[] = {
        {u"/data/me"_s, u"/data/me/rosterly"_s},
        {u"/data/me/"_s, u"/data/me/rosterly"_s},
        {QString(), u"/home/u/.local/share/rosterly"_s},      // unset
        {u""_s, u"/home/u/.local/share/rosterly"_s},          // empty
        {u"rel/data"_s, u"/home/u/.local/share/rosterly"_s},  // relative: not to be trusted
    };
    for (const auto& c : cases)
        EXPECT_EQ(chooseProgramDirectory(u"/usr/lib/rosterly"_s, environment(c.xdg, u"/home/u"_s),
                                         kReadOnly),
                  c.expected)
            << c.xdg.toStdString();
}

// Root may write anywhere, so the real permission test runs as an ordinary user: in a child
// process that gives up root first when the test runs as root.
bool mayWriteAsOrdinaryUser(const QString& directory) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        ::_exit(userMayWrite(directory) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) <= 1) << "child failed";
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(ProgramDirectoryTest, ReadOnlyExecutableDirectoryGivesWayToThePerUserOne) {
    QTemporaryDir scratch;
    const QString readOnly = scratch.filePath(u"ro"_s), writable = scratch.filePath(u"rw"_s);
    ASSERT_TRUE(QDir().mkpath(readOnly) && QDir().mkpath(writable));
    ASSERT_TRUE(QFile::setPermissions(scratch.path(), QFile::Permissions(0x7755)));
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFile::Permissions(0x5555)));
    ASSERT_TRUE(QFile::setPermissions(writable, QFile::Permissions(0x7777)));
    EXPECT_FALSE(mayWriteAsOrdinaryUser(readOnly));
    EXPECT_TRUE(mayWriteAsOrdinaryUser(writable));
    EXPECT_EQ(chooseProgramDirectory(readOnly, environment(u"/data"_s, u"/home/u"_s),
                                     [](const QString&) { return false; }),
              u"/data/rosterly"_s);
    QFile::setPermissions(readOnly, QFile::Permissions(0x7700));
}

TEST(ProgramDirectoryTest, MakingCreatesParentsAndMayRepeat) {
    QTemporaryDir scratch;
    const QString directory = scratch.filePath(u"data/rosterly"_s);
    EXPECT_TRUE(makeProgramDirectory(directory).ok());
    EXPECT_TRUE(QFileInfo(directory).isDir());
    EXPECT_TRUE(makeProgramDirectory(directory).ok());
}

TEST(ProgramDirectoryTest, FailureToMakeNamesTheDirectoryAndTheReason) {
    QTemporaryDir scratch;
    QFile blocker(scratch.filePath(u"data"_s));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString directory = scratch.filePath(u"data/rosterly"_s);
    const Status made = makeProgramDirectory(directory);
    ASSERT_FALSE(made.ok());
    EXPECT_TRUE(made.message().contains(directory)) << made.message().toStdString();
    EXPECT_TRUE(made.message().contains(u"Not a directory"_s)) << made.message().toStdString();
}

}  // namespace
}  // namespace rosterly
