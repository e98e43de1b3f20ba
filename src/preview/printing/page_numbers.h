#pragma once

// The page list of the print options ("1,3,5-12", "5-", "3-1"): which pages a job prints.

#include <QString>
#include <set>

namespace preview {

class PageNumberList {
public:
    // Reads the text against the report's page count. Throws platform::Error naming the
    // list when it is malformed (two commas in a row, a leading "-", letters), so a job
    // refuses it before anything is printed.
    PageNumberList(const QString& text, int pageCount);

    // Whether page number (1-based) is printed: every page for an empty list.
    bool Contains(int page) const { return all_ || pages_.count(page) > 0; }
    // An empty text: every page. (A list like "7-5" names no page and prints none.)
    bool IsEmpty() const { return all_; }

private:
    std::set<int> pages_;
    bool all_ = false;
};

// The message for a malformed list, the one the dialog shows and the job throws.
QString invalidPageListMessage(const QString& text);

} // namespace preview
