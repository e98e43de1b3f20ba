#pragma once

// Find in prepared pages: the texts of a page as they are drawn, one run per drawn line of
// a text object, in drawing order, and the walk from hit to hit over the pages.

#include <QRectF>
#include <QString>
#include <vector>

namespace report {
class TfrxPreviewPages;
}

namespace preview {

struct TextRun {
    QString text;
    QRectF rect; // on the page drawn at scale 1 and offset 0
};

// Draws the page (0-based) into a picture and collects its text runs.
std::vector<TextRun> drawnTextRuns(report::TfrxPreviewPages& pages, int index);

struct SearchState {
    QString text;
    bool caseSensitive = false;
    int page = 0;     // 0-based page the search goes on from (the page of the last hit)
    int lastHit = -1; // index of the last hit among that page's runs
    QRectF hitRect;
    bool hit = false;
    bool made = false; // F3 may repeat
    // The runs of the page drawn last, reused while it is searched again.
    int runsPage = -1;
    std::vector<TextRun> runs;
};

// Looks for the next run containing the text after the last hit, page after page. True
// with the hit in the state; false after the last page (the state then finds nothing more).
bool findNextHit(report::TfrxPreviewPages& pages, SearchState& state);

} // namespace preview
