#include "db/engine.h"
#include <atomic>

namespace db {

namespace {
std::atomic<quint64> nextSerial{1};
}

Engine::Engine() : serial_(nextSerial.fetch_add(1)) {}

} // namespace db
