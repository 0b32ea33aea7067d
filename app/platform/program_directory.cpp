#include "program_directory.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

namespace rosterly {
namespace {

QString perUserDataDirectory(const QProcessEnvironment& environment) {
    const QString xdg = environment.value(QStringLiteral("XDG_DATA_HOME"));
    const QString base = QDir::isAbsolutePath(xdg) ? xdg
                                                   : environment.value(QStringLiteral("HOME")) +
                                                         QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/rosterly"));
}

}  // namespace

bool userMayWrite(const QString& directory) {
    return ::faccessat(AT_FDCWD, QFile::encodeName(directory).constData(), W_OK | X_OK,
                       AT_EACCESS) == 0;
}

QString chooseProgramDirectory(const QString& executableDirectory,
                               const QProcessEnvironment& environment,
                               const DirectoryWritable& writable) {
    if (writable(executableDirectory)) return executableDirectory;
    return perUserDataDirectory(environment);
}

// Read from the system, so it is known before any application object exists.
QString programDirectory() {
    const QString executable = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return chooseProgramDirectory(QFileInfo(executable).absolutePath(),
                                  QProcessEnvironment::systemEnvironment(), userMayWrite);
}

Status makeProgramDirectory(const QString& directory) {
    std::error_code error;
    std::filesystem::create_directories(QFile::encodeName(directory).toStdString(), error);
    if (!error) return Status::success();
    return Status::failure(QStringLiteral("Cannot create the directory %1: %2.")
                               .arg(directory, QString::fromLocal8Bit(error.message())));
}

}  // namespace rosterly
