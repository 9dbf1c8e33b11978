#include "app/shell/RecentFiles.h"

#include "app/common/AnsiText.h"
#include "platform/AbsolutePath.h"

#include <QAction>

#include <algorithm>

namespace qvr {

TRecentFiles::TRecentFiles(QWidget& owner, std::function<void(const std::string&)> chosen)
    : List(&owner), Chosen(std::move(chosen)) {
    for (size_t i = 0; i < Capacity; ++i) {
        Items[i] = List.addAction(QString());
        QObject::connect(Items[i], &QAction::triggered, &List, [this, i] {
            if (i < Names.size()) {
                const std::string name = Names[i]; // the list may change while it opens
                Chosen(name);
            }
        });
    }
    Fill();
}

void TRecentFiles::Add(const std::string& fileName) {
    // Named from the root, so that the item opens the file from any folder, and once.
    std::vector<std::string> names{AbsolutePath(fileName)};
    names.insert(names.end(), Names.begin(), Names.end());
    Set(names);
}

void TRecentFiles::Set(const std::vector<std::string>& fileNames) {
    Names.clear();
    for (const std::string& name : fileNames) {
        if (Names.size() < Capacity && !name.empty() &&
            std::find(Names.begin(), Names.end(), name) == Names.end()) {
            Names.push_back(name);
        }
    }
    Fill();
}

void TRecentFiles::Fill() {
    for (size_t i = 0; i < Capacity; ++i) {
        if (i < Names.size()) {
            // "&1 /path/file.q3a": the number is the access key; an & in the name stays text.
            QString caption = FromFileNameBytes(Names[i]);
            caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
            Items[i]->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(caption));
        }
        Items[i]->setVisible(i < Names.size());
    }
    List.setEnabled(!Names.empty());
}

} // namespace qvr
