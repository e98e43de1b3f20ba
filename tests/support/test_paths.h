#pragma once
#include <QString>
#include <QTemporaryDir>

namespace testing_support {

// A fresh temporary folder for one test, removed with the object.
class TempFolder {
public:
    TempFolder();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

// Path of a file in the source tree (resources, sample data).
QString sourcePath(const QString& relative);

} // namespace testing_support
