#pragma once
#include <QString>

// The operator's texts for files that could not be written, one wording for every writer.
namespace platform {

// "无法写入文件“PATH”：CAUSE".
QString writeFailureText(const QString& path, const QString& cause);

// The cause behind an errno value of a failed write: Chinese for the causes an operator
// meets (no permission, disk full, missing folder, read-only file system, a folder in the
// way), the system's own text for the rest.
QString writeFailureCause(int errorNumber);

// Throws platform::Error with writeFailureText(path, cause).
[[noreturn]] void throwWriteFailure(const QString& path, const QString& cause);

} // namespace platform
