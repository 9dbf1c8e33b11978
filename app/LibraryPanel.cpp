#include "app/LibraryPanel.h"

#include "app/AnsiText.h"
#include "library/Schema.h"
#include "library/Search.h"

namespace qvr {

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int PositionRole = Qt::UserRole + 1;

} // namespace

TLibraryPanel::TLibraryPanel(QWidget& window, std::string database,
                             std::function<void(const std::string&, int64_t)> chosen)
    : QDockWidget(QStringLiteral("Library"), &window), Layout(&Contents),
      Database(std::move(database)), Chosen(std::move(chosen)) {
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
    Results.clear();
    const std::string text = Query.text().toStdString();
    if (Query.text().trimmed().isEmpty()) {
        Status.clear();
        return;
    }
    try {
        const TQuery query = ParseQuery(text);
        if (!Db) {
            if (Database.empty()) {
                Status.setText(
                    QStringLiteral("There is no library: neither XDG_DATA_HOME nor HOME is set."));
                return;
            }
            Db = std::make_unique<TSqlite>(OpenLibrary(Database));
        }
        const std::vector<TSearchHit> hits = Search(*Db, query);
        for (size_t i = 0; i < hits.size() && i < MaxListed; ++i) {
            const TSearchHit& hit = hits[i];
            QString line = hit.Number
                               ? QStringLiteral("#%1 ").arg(*hit.Number, 2, 10, QLatin1Char('0'))
                               : QString();
            line += QString::fromStdString(hit.Name) + QStringLiteral("  ") +
                    QString::fromStdString(hit.Model) + QStringLiteral("\n") +
                    FromFileNameBytes(hit.Path) + QStringLiteral(":%1").arg(hit.Position);
            QString matches;
            for (const std::string& match : hit.Matches) {
                matches += (matches.isEmpty() ? QString() : QStringLiteral("\n")) +
                           QString::fromStdString(match);
            }
            Results.addItem(line);
            QListWidgetItem* item = Results.item(Results.count() - 1);
            item->setToolTip(matches);
            item->setData(PathRole, FromFileNameBytes(hit.Path));
            item->setData(PositionRole, static_cast<qlonglong>(hit.Position));
        }
        Status.setText(hits.size() > MaxListed
                           ? QStringLiteral("%1 presets found, the first %2 listed")
                                 .arg(hits.size())
                                 .arg(MaxListed)
                       : hits.size() == 1 ? QStringLiteral("1 preset found")
                                          : QStringLiteral("%1 presets found").arg(hits.size()));
    } catch (const EQueryError& error) {
        Status.setText(QString::fromUtf8(error.what()));
        const QString word = error.Offset < text.size()
                                 ? QString::fromStdString(text.substr(error.Offset, error.Length))
                                 : QString();
        if (!word.trimmed().isEmpty()) {
            Status.setText(Status.text() + QStringLiteral(": ") + word);
        }
    } catch (const ELibraryDatabase& error) {
        Db.reset();
        Status.setText(QStringLiteral("The library cannot be read: ") +
                       QString::fromUtf8(error.what()));
    }
}

} // namespace qvr
