#pragma once

// The store of prepared pages: every prepared page as an element of one XML tree, objects
// kept as differences from copies of their template objects, pages rebuilt into real page
// objects on demand, and the prepared-report file (".fp3").

#include <QByteArray>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

class QIODevice;
class QPainter;

namespace report {

class TfrxComponent;
class TfrxBand;
class TfrxPictureView;
class TfrxReport;
class TfrxReportPage;
class TfrxPage;
class TfrxXMLItem;
class TfrxPreviewPages;

// What the band engine tells the store while it prepares; the engine fills it in.
struct TfrxEngineLink {
    bool Running = false;   // a preparation is under way
    bool FinalPass = false; // the second pass of a two-pass preparation runs
    double CurY = 0;        // the current vertical position on the page
    int TotalPages = 0;     // the engine's total page count
    // Progress display: start and stop of preparing, and "page N is being prepared".
    std::function<void()> OnProgressStart;
    std::function<void(int page)> OnProgress;
    std::function<void()> OnProgressStop;
};

// Receives the pages of ExportPages, in page order.
class TfrxExportFilter {
public:
    virtual ~TfrxExportFilter() = default;
    virtual bool Start() { return true; }
    virtual void ExportPage(TfrxReportPage& page, int index) = 0;
    virtual void Finish() {}
};

// The outline of prepared pages, a tree of items with a current item.
class TfrxCustomOutline {
public:
    virtual ~TfrxCustomOutline() = default;
    virtual void LevelRoot() = 0;
    virtual void AddItem(const QString& text, int top) = 0;
    virtual void OpenItem(int index) = 0;
    virtual void LevelUp() = 0;
    virtual int ItemCount() const = 0;
    // A number that is missing leaves the caller's value unchanged.
    virtual void ReadItem(int index, QString& text, int& page, int& top) const = 0;
    virtual TfrxXMLItem* LastItem() const = 0;
    virtual void MoveItemsToNextPage(TfrxXMLItem* item, int newTop) = 0;
};

class TfrxOutline : public TfrxCustomOutline {
public:
    explicit TfrxOutline(TfrxPreviewPages& pages) : pages_(pages) {}
    void LevelRoot() override;
    void AddItem(const QString& text, int top) override;
    void OpenItem(int index) override;
    void LevelUp() override;
    int ItemCount() const override;
    void ReadItem(int index, QString& text, int& page, int& top) const override;
    TfrxXMLItem* LastItem() const override;
    void MoveItemsToNextPage(TfrxXMLItem* item, int newTop) override;
    TfrxXMLItem* CurItem() const { return current_; }
    // Forgets the current item (the tree it pointed into was cleared).
    void Reset() { current_ = nullptr; }

private:
    TfrxPreviewPages& pages_;
    TfrxXMLItem* current_ = nullptr;
};

class TfrxCustomPreviewPages {
public:
    virtual ~TfrxCustomPreviewPages() = default;
    virtual int PageCount() const = 0;
    // The rebuilt page, owned by the page cache: valid until the cache changes.
    virtual TfrxReportPage* GetPreparedPage(int index) = 0;
    virtual QSize GetPreparedPageSize(int index) = 0;
    virtual void Clear() = 0;
    virtual void BeginPreparation() = 0;
    virtual void AppendObject(TfrxComponent& object) = 0;
    virtual void StartPage(TfrxPage& templatePage) = 0;
    virtual void RegisterSourcePage(TfrxPage& templatePage) = 0;
    virtual void RegisterSourceObject(TfrxComponent& object) = 0;
    virtual void MarkPassStart() = 0;
    virtual void RewindToPassStart() = 0;
    virtual int CutObjectsFrom(int index) = 0;
    virtual void EndPreparation() = 0;
    virtual void CountLogicalPage() = 0;
    virtual void CloseLogicalPageGroup() = 0;
    virtual void PasteCutObjects(double x, double y) = 0;
    virtual void MoveAnchorsToNextPage(int index, int newTop) = 0;
    virtual void StorePicture(TfrxPictureView& view) = 0;
    virtual bool PageHasBand(const TfrxBand& band) = 0;
    virtual int CurrentObjectCount() = 0;
    virtual int LastAnchorIndex() const = 0;
    virtual double LowestBandBottom() = 0;
    virtual int LogicalPageNumber() const = 0;
    virtual int LogicalPageTotal() const = 0;
    virtual void InsertEmptyPage(int index) = 0;
    virtual void RemovePage(int index) = 0;
    virtual void ReplacePage(int index, TfrxReportPage& page) = 0;
    // On paper (printed, or exported to PDF or pictures) objects marked not printable are
    // left off; the screen shows them.
    enum class Output { Screen, Paper };
    virtual void PaintPage(int index, QPainter& canvas, double scaleX, double scaleY, double offsetX,
                           double offsetY, Output output = Output::Screen) = 0;
    virtual void AppendPagesFrom(TfrxPreviewPages& other) = 0;
    virtual void LoadFromStream(QIODevice& stream) = 0;
    virtual void SaveToStream(QIODevice& stream) = 0;
    virtual bool LoadFromFile(const QString& fileName, bool loadEvenIfMissing = false) = 0;
    virtual void SaveToFile(const QString& fileName) = 0;
    virtual bool ExportPages(TfrxExportFilter& filter) = 0;
};

namespace detail {
struct PagesState;
}

class TfrxPreviewPages : public TfrxCustomPreviewPages {
public:
    // The report gives the engine options, the preview options a file carries, and the
    // report's class name; it must outlive the store.
    explicit TfrxPreviewPages(TfrxReport& report);
    ~TfrxPreviewPages() override;
    TfrxPreviewPages(const TfrxPreviewPages&) = delete;
    TfrxPreviewPages& operator=(const TfrxPreviewPages&) = delete;

    int PageCount() const override;
    TfrxReportPage* GetPreparedPage(int index) override;
    QSize GetPreparedPageSize(int index) override;
    void Clear() override;
    void BeginPreparation() override;
    void AppendObject(TfrxComponent& object) override;
    void StartPage(TfrxPage& templatePage) override;
    void RegisterSourcePage(TfrxPage& templatePage) override;
    void RegisterSourceObject(TfrxComponent& object) override;
    void MarkPassStart() override;
    void RewindToPassStart() override;
    int CutObjectsFrom(int index) override;
    void EndPreparation() override;
    void CountLogicalPage() override;
    void CloseLogicalPageGroup() override;
    void PasteCutObjects(double x, double y) override;
    void MoveAnchorsToNextPage(int index, int newTop) override;
    void StorePicture(TfrxPictureView& view) override;
    bool PageHasBand(const TfrxBand& band) override;
    int CurrentObjectCount() override;
    int LastAnchorIndex() const override;
    double LowestBandBottom() override;
    int LogicalPageNumber() const override;
    int LogicalPageTotal() const override;
    void InsertEmptyPage(int index) override;
    void RemovePage(int index) override;
    void ReplacePage(int index, TfrxReportPage& page) override;
    void PaintPage(int index, QPainter& canvas, double scaleX, double scaleY, double offsetX,
                   double offsetY, Output output = Output::Screen) override;
    void AppendPagesFrom(TfrxPreviewPages& other) override;
    void LoadFromStream(QIODevice& stream) override;
    void SaveToStream(QIODevice& stream) override;
    bool LoadFromFile(const QString& fileName, bool loadEvenIfMissing = false) override;
    // Written to a temporary file beside the target and renamed into place.
    void SaveToFile(const QString& fileName) override;
    bool ExportPages(TfrxExportFilter& filter) override;

    // The source page registered for a template page takes a custom paper of that size
    // (pixels), for endless pages.
    void SetPreparedPageSize(TfrxPage& templatePage, double width, double height);

    void AddAnchorRecord(const QString& text);
    // Page number (1-based) of the last anchor of that text, ignoring case; 1 for none.
    int FindAnchorPage(const QString& text) const;

    enum class AddPageMode { Overwrite, Add };
    AddPageMode AddPageAction = AddPageMode::Overwrite;
    int CurPage() const;
    // Makes an existing page current again (the band engine going on below an earlier
    // page's content); the next StartPage in overwrite mode goes on with the page after it.
    void SetCurPage(int index);
    // Page index the band engine started the current run on.
    int FirstPage = 0;
    TfrxEngineLink& Engine();
    TfrxOutline& Outline();
    TfrxReport& Report() const;

    // What printing hands to memo objects while drawing.
    int PrintTotalPages = 0;
    int PrintCopyNo = 0;
    double PrintScale = 1;
    // Forgets the rebuilt pages (printing does so after every page, so a long job does not
    // keep them all).
    void ClearPageCache();

    // Inspection: the tree, the byte estimate, the number of cached pages and the short
    // name of the source copy of a template object (empty for none).
    TfrxXMLItem* Root() const;
    qint64 MemoryEstimate() const;
    int CachedPageCount() const;
    QByteArray ShortNameOf(const TfrxComponent& templateObject) const;
    QString SpillFileName() const;
    // The element name (short name, or class for objects without a source) an object of a
    // cached rebuilt page was made from; empty for other objects.
    QByteArray ElementNameOf(const TfrxComponent& object) const;

private:
    std::unique_ptr<detail::PagesState> d_;
};

} // namespace report
