#pragma once
#include <QString>

namespace app {

// The values a tree click leaves for the other commands; start values 0 and empty text.
struct CategoryValues {
    int l1Id = 0, l2Id = 0, l3Id = 0, l4Id = 0;
    QString l1Name, l2Name, l3Name, l4Name;
};

// Where a new category row goes: its parent key column, name column and parent id.
struct CategoryInsertContext {
    QString parentKeyColumn;
    QString nameColumn;
    int parentId = 0;
};

// The catalogue item last picked in the hardware grid.
struct HardwareSelection {
    int itemId = 0;
    QString itemName;
    QString parameters;
};

// The quotation the lines grid shows and new lines go to.
struct CurrentQuotation {
    QString number;
    QString name;
    double total = 0;
    bool open = false;
};

} // namespace app
