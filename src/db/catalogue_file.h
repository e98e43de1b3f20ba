#pragma once
#include <QString>

namespace db {

// Creates a new encrypted catalogue file with the six tables (and, when asked, the sample
// catalogue shipped with the program). Refuses to touch a file that already exists. The
// file appears only when complete: it is built under a temporary name and renamed.
void createCatalogue(const QString& path, bool withSample);

// The same with the catalogue given in the sample's JSON form; answers the number of items.
int createCatalogueFromJson(const QString& path, const QByteArray& json);

} // namespace db
