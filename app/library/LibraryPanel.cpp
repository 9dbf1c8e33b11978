#include "app/library/LibraryPanel.h"

#include "app/common/AnsiText.h"
#include "app/report/ReportSource.h"
#include "library/Schema.h"
#include "library/Search.h"
#include "report/CompareWriters.h"

#include <QPointer>
#include <QRunnable>

namespace qvr {

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int PositionRole = Qt::UserRole + 1;

// A version as the comparison takes it: the preset at its place in its file.
TCompareSide SideOf(const QListWidgetItem& version) {
    return {ToFileNameBytes(version.data(PathRole).toString()), std::nullopt,
            static_cast<size_t>(version.data(PositionRole).toLongLong() - 1)};
}

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
    History.setObjectName(QStringLiteral("LibraryHistory"));
    History.setSelectionMode(QAbstractItemView::ExtendedSelection);
    History.setToolTip(QStringLiteral("The versions of the preset across the library"));
    CompareButton.setObjectName(QStringLiteral("LibraryCompare"));
    CompareButton.setText(QStringLiteral("&Compare"));
    CompareButton.setEnabled(false);
    Layout.setContentsMargins(4, 4, 4, 4);
    Layout.addWidget(&Query);
    Layout.addWidget(&Results, 2);
    Layout.addWidget(&Status);
    Layout.addWidget(&History, 1);
    Layout.addWidget(&CompareButton);
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
    connect(&Results, &QListWidget::currentItemChanged, this,
            [this](QListWidgetItem* current) { AskHistory(current); });
    connect(&History, &QListWidget::itemSelectionChanged, this,
            [this] { CompareButton.setEnabled(History.selectedItems().size() == 2); });
    connect(&CompareButton, &QPushButton::clicked, this, &TLibraryPanel::CompareSelected);
    // A version with the one before it.
    connect(&History, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const int row = History.row(item);
        if (row > 0 && CompareVersions) {
            CompareVersions(SideOf(*History.item(row - 1)), SideOf(*item));
        }
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
    AskHistory(nullptr);
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

void TLibraryPanel::AskHistory(QListWidgetItem* result) {
    const uint64_t asked = ++LastHistory;
    Searcher->LatestHistory = asked;
    History.clear();
    CompareButton.setEnabled(false);
    if (result == nullptr || Database.empty()) {
        return;
    }
    const std::string path = ToFileNameBytes(result->data(PathRole).toString());
    const int64_t position = result->data(PositionRole).toLongLong();
    QPointer<TLibraryPanel> panel(this);
    Thread.start(QRunnable::create([panel, searcher = Searcher, path, position, asked] {
        if (searcher->LatestHistory != asked) {
            return; // another preset selected before it started
        }
        auto answer = std::make_shared<THistoryAnswer>();
        try {
            if (!searcher->Db) {
                searcher->Db = std::make_unique<TSqlite>(OpenLibrary(searcher->Database));
            }
            answer->Versions = PresetHistoryAt(*searcher->Db, ViewerConfigSearch(), path, position);
        } catch (const ELibraryDatabase& error) {
            searcher->Db.reset();
            answer->Failure = error.what();
        } catch (const std::exception& error) {
            answer->Failure = error.what(); // gone from the library since the search
        }
        QMetaObject::invokeMethod(
            panel, [panel, asked, answer] { panel->ShowHistory(asked, *answer); },
            Qt::QueuedConnection);
    }));
}

void TLibraryPanel::ShowHistory(uint64_t asked, const THistoryAnswer& answer) {
    if (asked != LastHistory) {
        return; // the history of a preset no longer selected
    }
    if (!answer.Failure.empty()) {
        History.addItem(QStringLiteral("No history: ") + QString::fromUtf8(answer.Failure));
        History.item(0)->setFlags(Qt::NoItemFlags);
        return;
    }
    for (size_t v = 0; v < answer.Versions.size(); ++v) {
        const TPresetVersion& version = answer.Versions[v];
        const TStoredPreset& preset = version.Preset;
        QString line = preset.Number
                           ? QStringLiteral("#%1 ").arg(*preset.Number, 2, 10, QLatin1Char('0'))
                           : QString();
        line += QString::fromStdString(preset.Name) + QStringLiteral("  ") +
                (!version.Read ? QStringLiteral("(not read: the file changed)")
                 : v == 0      ? QStringLiteral("(first)")
                 : version.Changes.empty()
                     ? QStringLiteral("(unchanged)")
                     : QStringLiteral("(%1 changed)").arg(version.Changes.size())) +
                QStringLiteral("\n") + FromFileNameBytes(preset.Path) +
                QStringLiteral(":%1").arg(preset.Position);
        QString changes;
        for (const TChange& change : version.Changes) {
            changes += QString::fromStdString(ChangeLineText(change));
        }
        History.addItem(line);
        QListWidgetItem* item = History.item(History.count() - 1);
        item->setToolTip(changes.trimmed());
        item->setData(PathRole, FromFileNameBytes(preset.Path));
        item->setData(PositionRole, static_cast<qlonglong>(preset.Position));
        if (!version.Read) {
            item->setFlags(Qt::NoItemFlags);
        }
    }
}

void TLibraryPanel::CompareSelected() {
    QList<QListWidgetItem*> picked = History.selectedItems();
    if (picked.size() != 2 || !CompareVersions) {
        return;
    }
    // The older first, as the list has them.
    if (History.row(picked[0]) > History.row(picked[1])) {
        std::swap(picked[0], picked[1]);
    }
    CompareVersions(SideOf(*picked[0]), SideOf(*picked[1]));
}

} // namespace qvr
