#include "field_check.h"

namespace rosterly {
namespace {

constexpr qsizetype kLongestFilePathInUrlField = 9;
constexpr qsizetype kShortestFilePath = 4;

}  // namespace

bool isUrlMode(const QString& urlText) {
    return urlText.size() > kLongestFilePathInUrlField;
}

FieldFault checkFields(const QString& urlText, const QString& inputPath,
                       const QString& outputPath) {
    if (!isUrlMode(urlText) && inputPath.size() < kShortestFilePath) return FieldFault::Input;
    if (outputPath.size() < kShortestFilePath) return FieldFault::Output;
    return FieldFault::None;
}

}  // namespace rosterly
