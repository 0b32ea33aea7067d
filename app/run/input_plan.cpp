#include "input_plan.h"

#include <QFile>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace rosterly {
namespace {

namespace fs = std::filesystem;

Status unlisted(const fs::path& directory, const std::error_code& error) {
    return Status::failure(QStringLiteral("Input directory \"%1\" cannot be read: %2.")
                               .arg(QFile::decodeName(directory.native().c_str()),
                                    QString::fromLocal8Bit(error.message().c_str())));
}

// Appends the regular files beneath `directory` to `found`, as paths relative to `root`.
void collectRegularFiles(const fs::path& root, const fs::path& relative,
                         std::vector<std::string>& found,
                         const std::function<void(const Status&)>& failed) {
    std::error_code error;
    fs::directory_iterator entries(root / relative, error);
    if (error) {
        failed(unlisted(root / relative, error));
        return;
    }
    for (const fs::directory_entry& entry : entries) {
        const fs::file_status status = entry.symlink_status(error);
        if (error) continue;
        const fs::path name = relative / entry.path().filename();
        if (fs::is_directory(status)) {
            collectRegularFiles(root, name, found, failed);
        } else if (fs::is_regular_file(status)) {
            found.push_back(name.native());
        }
    }
}

}  // namespace

QStringList inputFilesOf(const QStringList& named, bool readDirectories,
                         const std::function<void(const Status&)>& failed) {
    QStringList files;
    for (const QString& path : named) {
        std::error_code error;
        const fs::path root(QFile::encodeName(path).toStdString());
        if (!readDirectories || !fs::is_directory(root, error)) {
            files << path;
            continue;
        }
        std::vector<std::string> found;
        collectRegularFiles(root, {}, found, failed);
        std::sort(found.begin(), found.end());
        for (const std::string& relative : found)
            files << QFile::decodeName((root / relative).native().c_str());
    }
    return files;
}

}  // namespace rosterly
