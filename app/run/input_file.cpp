#include "input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace rosterly {
namespace {

QString kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return QStringLiteral("a directory");
    if (S_ISFIFO(mode)) return QStringLiteral("a FIFO");
    if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("a device");
    if (S_ISSOCK(mode)) return QStringLiteral("a socket");
    return QStringLiteral("not a regular file");
}

Status cannotRead(const QString& path, const QString& why) {
    return Status::failure(QStringLiteral("Input file \"%1\" cannot be read: %2.").arg(path, why));
}

}  // namespace

Status checkWritableFile(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || S_ISREG(info.st_mode))
        return Status::success();
    return Status::failure(
        QStringLiteral("\"%1\" cannot be written: it is %2.").arg(path, kindOf(info.st_mode)));
}

std::optional<FileIdentity> identityOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino};
}

Status openRegularFile(const QString& path, QFile& file, FileIdentity& identity) {
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return cannotRead(path, QString::fromLocal8Bit(std::strerror(errno)));
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        ::close(fd);
        return cannotRead(path, why);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return cannotRead(path, QStringLiteral("it is %1").arg(kindOf(info.st_mode)));
    }
    // O_NONBLOCK has no effect on reading a regular file: it stays.
    file.setFileName(path);
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return cannotRead(path, file.errorString());
    }
    identity = {info.st_dev, info.st_ino};
    return Status::success();
}

}  // namespace rosterly
