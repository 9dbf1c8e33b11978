#include "app/library/LibraryPanel.h"

#include "app/common/AnsiText.h"
#include "library/Schema.h"
#include "library/Search.h"

#include <QPointer>
#include <QRunnable>

namespace qvr {

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int PositionRole = Qt::UserRole + 1;

} // namespace

TLibraryPanel::TLibraryPanel(QWidget& window, std::string database,
                             std::function<void(const std::string&, int64_t)> chosen)
    : QDockWidget(QStringLiteral("Library"), &window), Layout(&Contents),
      Database(std::move(database)), Chosen(std::move(chosen)),
      Searcher(std::make_shared<TSearcher>()) {
    Searcher->Database = Database;
    Thread.setMaxThreadCount(1);
    setObjectName(QStringLiteral("LibraryPanel"));
    Query.setObjectName(QStringLiteral("LibraryQuery"));
    Query.setPlaceholderText(QStringLiteral("Search: lead module:Chorus \"Rate\">5"));
    Query.setClearButtonEnabled(true);
    Results.setObjectName(QStringLiteral("LibraryResults"));
    Status.setObjectName(QStringLiteral("LibraryStatus"));
    Status.setWordWrap(true);
    Layout.setContentsMargins(4, 4, 4, 4);
    Layout.addWidget(&Query);
    Layout.addWidget(&Results);
    Layout.addWidget(&Status);
    setWidget(&Contents);

    Pause.setSingleShot(true);
    Pause.setInterval(PauseMs);
    connect(&Pause, &QTimer::timeout, this, &TLibraryPanel::RunQuery);
    connect(&Query, &QLineEdit::textChanged, &Pause, qOverload<>(&QTimer::start));
    connect(&Query, &QLineEdit::returnPressed, this, [this] {
        Pause.stop();
        RunQuery();
    });
    connect(&Results, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        Chosen(ToFileNameBytes(item->data(PathRole).toString()),
               item->data(PositionRole).toLongLong());
    });
}

TLibraryPanel::~TLibraryPanel() = default;

void TLibraryPanel::Refresh() {
    if (!Query.text().trimmed().isEmpty()) {
        RunQuery();
    }
}

void TLibraryPanel::RunQuery() {
    const uint64_t asked = ++LastAsked;
    Searcher->Latest = asked;
    Results.clear();
    Asked = Query.text().toStdString();
    if (Query.text().trimmed().isEmpty()) {
        Status.clear();
        return;
    }
    std::optional<TQuery> query;
    try {
        query = ParseQuery(Asked);
    } catch (const EQueryError& error) {
        ShowQueryError(error);
        return;
    }
    if (Database.empty()) {
        Status.setText(
            QStringLiteral("There is no library: neither XDG_DATA_HOME nor HOME is set."));
        return;
    }
    Status.setText(QStringLiteral("Searching..."));
    QPointer<TLibraryPanel> panel(this);
    Thread.start(QRunnable::create([panel, searcher = Searcher, query = std::move(*query), asked] {
        if (searcher->Latest != asked) {
            return; // typed over before it started
        }
        auto answer = std::make_shared<TAnswer>();
        try {
            if (!searcher->Db) {
                searcher->Db = std::make_unique<TSqlite>(OpenLibrary(searcher->Database));
            }
            answer->Total =
                Search(*searcher->Db, query, {.Listed = MaxListed, .CountAll = true},
                       [&](TSearchHit&& hit) { answer->Hits.push_back(std::move(hit)); });
        } catch (const EQueryError& error) {
            answer->QueryError = error;
        } catch (const ELibraryDatabase& error) {
            searcher->Db.reset();
            answer->Failure = error.what();
        }
        // The panel waits for this thread before it goes, so it is there to receive the answer.
        QMetaObject::invokeMethod(
            panel, [panel, asked, answer] { panel->Show(asked, *answer); }, Qt::QueuedConnection);
    }));
}

void TLibraryPanel::ShowQueryError(const EQueryError& error) {
    Status.setText(QString::fromUtf8(error.what()));
    const QString word = error.Offset < Asked.size()
                             ? QString::fromStdString(Asked.substr(error.Offset, error.Length))
                             : QString();
    if (!word.trimmed().isEmpty()) {
        Status.setText(Status.text() + QStringLiteral(": ") + word);
    }
}

void TLibraryPanel::Show(uint64_t asked, const TAnswer& answer) {
    if (asked != LastAsked) {
        return; // the answer to a query typed over
    }
    if (answer.QueryError) {
        ShowQueryError(*answer.QueryError);
        return;
    }
    if (!answer.Failure.empty()) {
        Status.setText(QStringLiteral("The library cannot be read: ") +
                       QString::fromUtf8(answer.Failure));
        return;
    }
    for (const TSearchHit& hit : answer.Hits) {
        QString line = hit.Number ? QStringLiteral("#%1 ").arg(*hit.Number, 2, 10, QLatin1Char('0'))
                                  : QString();
        line += QString::fromStdString(hit.Name) + QStringLiteral("  ") +
                QString::fromStdString(hit.Model) + QStringLiteral("\n") +
                FromFileNameBytes(hit.Path) + QStringLiteral(":%1").arg(hit.Position);
        QString matches;
        for (const TSearchMatch& match : hit.Matches) {
            matches += (matches.isEmpty() ? QString() : QStringLiteral("\n")) +
                       QString::fromStdString(MatchLabel(match));
        }
        Results.addItem(line);
        QListWidgetItem* item = Results.item(Results.count() - 1);
        item->setToolTip(matches);
        item->setData(PathRole, FromFileNameBytes(hit.Path));
        item->setData(PositionRole, static_cast<qlonglong>(hit.Position));
    }
    const size_t total = answer.Total;
    Status.setText(total > answer.Hits.size()
                       ? QStringLiteral("%1 presets found, the first %2 listed")
                             .arg(total)
                             .arg(answer.Hits.size())
                   : total == 1 ? QStringLiteral("1 preset found")
                                : QStringLiteral("%1 presets found").arg(total));
}

} // namespace qvr
