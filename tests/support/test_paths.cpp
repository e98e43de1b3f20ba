#include "support/test_paths.h"
#include <QDir>

namespace testing_support {

TempFolder::TempFolder() : dir_(QDir::tempPath() + QStringLiteral("/qmxdiy-test-XXXXXX")) {}

QString sourcePath(const QString& relative)
{
#ifdef QMX_SOURCE_DIR
    return QStringLiteral(QMX_SOURCE_DIR "/") + relative;
#else
    return relative;
#endif
}

} // namespace testing_support
