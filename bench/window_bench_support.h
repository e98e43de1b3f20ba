#pragma once
// What the benchmarks of the main window share: a catalogue file in a temporary folder,
// filled by the benchmark, and the median of repeated timings.
#include "app/data_folder.h"
#include "db/catalogue_file.h"
#include "db/connection.h"
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <vector>

namespace bench_support {

// Creates the catalogue file in the folder and fills it through a connection of its own.
inline void makeCatalogue(const QTemporaryDir& folder, const std::function<void(db::Connection&)>& fill)
{
    db::createCatalogue(folder.filePath(QString::fromLatin1(db::kDatabaseFileName)), false);
    db::Connection c;
    c.setConnectionString(db::ConnectionString::build(app::withSlash(folder.path())));
    c.open();
    fill(c);
}

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace bench_support
