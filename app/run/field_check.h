// The check of the input and output fields before a run starts.
#pragma once

#include <QString>

namespace rosterly {

// True when the web address field names a web address (more than 9 characters): the run then
// fetches it and the input file field is not looked at.
bool isUrlMode(const QString& urlText);

enum class FieldFault { None, Input, Output };

// Only lengths count: a file path needs 4 characters or more. The input is looked at first.
FieldFault checkFields(const QString& urlText, const QString& inputPath, const QString& outputPath);

}  // namespace rosterly
