#include "input_plan.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

namespace rosterly {
namespace {

struct Found {
    std::string relative;
    FileIdentity identity;
};

Status unlisted(const std::string& directory, int error) {
    return Status::failure(QStringLiteral("Input directory \"%1\" cannot be read: %2.")
                               .arg(QFile::decodeName(directory.c_str()),
                                    QString::fromLocal8Bit(std::strerror(error))));
}

// Appends the regular files beneath the open directory `fd` (which this takes over) to
// `found`, named relative to the directory first walked.
void collectRegularFiles(int fd, const std::string& root, const std::string& relative,
                         std::vector<Found>& found,
                         const std::function<void(const Status&)>& failed) {
    struct stat self {};
    DIR* directory = ::fstat(fd, &self) == 0 ? ::fdopendir(fd) : nullptr;
    if (!directory) {
        failed(unlisted(root + relative, errno));
        ::close(fd);
        return;
    }
    while (const dirent* entry = ::readdir(directory)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            // Some file systems do not tell the kind in their listings.
            struct stat info {};
            if (::fstatat(::dirfd(directory), name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
            type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        const std::string path = relative + name;
        if (type == DT_REG) {
            found.push_back({path, {self.st_dev, entry->d_ino}});
        } else if (type == DT_DIR) {
            const int child =
                ::openat(::dirfd(directory), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child < 0) {
                failed(unlisted(root + path, errno));
                continue;
            }
            collectRegularFiles(child, root, path + '/', found, failed);
        }
    }
    ::closedir(directory);
}

}  // namespace

InputPlan planInputFiles(const QStringList& named, bool readDirectories,
                         const std::function<void(const Status&)>& failed) {
    InputPlan plan;
    for (const QString& path : named) {
        const QByteArray encoded = QFile::encodeName(path);
        struct stat info {};
        const bool exists = ::stat(encoded.constData(), &info) == 0;
        if (!readDirectories || !exists || !S_ISDIR(info.st_mode)) {
            plan.files << path;
            if (exists) plan.identities.push_back({info.st_dev, info.st_ino});
            continue;
        }
        std::string root = encoded.toStdString();
        if (!root.ends_with('/')) root += '/';
        std::vector<Found> found;
        const int fd = ::open(encoded.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            failed(unlisted(encoded.toStdString(), errno));
            continue;
        }
        collectRegularFiles(fd, root, {}, found, failed);
        // Byte order: std::string compares its characters as unsigned bytes.
        std::sort(found.begin(), found.end(),
                  [](const Found& a, const Found& b) { return a.relative < b.relative; });
        for (const Found& file : found) {
            plan.files << QFile::decodeName((root + file.relative).c_str());
            plan.identities.push_back(file.identity);
        }
    }
    return plan;
}

}  // namespace rosterly
