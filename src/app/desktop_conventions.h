#pragma once

class QCoreApplication;

namespace app {

// Chinese dates, numbers, name order and Qt's own dialog texts for the whole program, the
// printed sheet included, whatever the session's locale; call it right after the
// application is made.
void useChineseConventions(QCoreApplication& application);

} // namespace app
