#pragma once

#include <QByteArray>
#include <QObject>
#include <QPageLayout>
#include <QPageRanges>
#include <QProcess>
#include <QString>

#include <functional>
#include <optional>

namespace qvr {

// The PDF of a report is made by a process of its own, started from the program's own file:
// a page renderer that ends while it lays out the pages (a large report, want of memory, a
// kill) can take the web engine of that process down with it, and that must never be the
// viewer's. The maker prints the report's page as the view shows it and hands the PDF back on
// its standard output (or, failing, why not).

// The page layout as the maker's argument (sizes in points), and back; nothing for a text
// that is not one.
QString PageLayoutText(const QPageLayout& layout);
std::optional<QPageLayout> PageLayoutFromText(const QString& text);

// In a process started as a maker: makes the PDF and gives the process's exit code. Nothing
// in any other process. Runs before anything else of the program.
std::optional<int> RunPdfMakerIfAsked(int argc, char* argv[]);

// Makes the PDF of the report file in a maker process. `done` gets the PDF, or an empty one
// and why there is none; it is called once, from the event loop, and never after the maker
// is destroyed (which stops its process).
class TPdfMaker : public QObject {
public:
    using TDone = std::function<void(const QByteArray& pdf, const QString& failure)>;
    TPdfMaker(const QString& reportFile, const QPageLayout& layout, const QPageRanges& ranges,
              TDone done);
    ~TPdfMaker() override;
    TPdfMaker(const TPdfMaker&) = delete;
    TPdfMaker& operator=(const TPdfMaker&) = delete;

    // Stops the process; `done` is not called any more.
    void Cancel();
    bool Finished() const { return !Done; }
    qint64 ProcessId() const { return Maker.processId(); }

    // Releases a maker that may be inside its own `done`: it stops at once and goes once the
    // event loop is back where it was.
    struct TLater {
        void operator()(TPdfMaker* maker) const;
    };

private:
    void Finish(const QByteArray& pdf, const QString& failure);

    QProcess Maker;
    TDone Done;
};

} // namespace qvr
