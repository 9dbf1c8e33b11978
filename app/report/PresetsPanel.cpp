#include "app/report/PresetsPanel.h"

#include "app/compare/ComparePresetsDialog.h"

namespace qvr {

TPresetsPanel::TPresetsPanel(QWidget& window, std::function<void(int position)> chosen)
    : QDockWidget(QStringLiteral("Presets"), &window), Contents(this), Filter(&Contents),
      List(&Contents), Layout(&Contents), Chosen(std::move(chosen)) {
    setObjectName(QStringLiteral("PresetsPanel"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    Filter.setObjectName(QStringLiteral("PresetFilter"));
    Filter.setPlaceholderText(QStringLiteral("Filter presets"));
    Filter.setClearButtonEnabled(true);
    List.setObjectName(QStringLiteral("PresetList"));
    Layout.setContentsMargins(4, 4, 4, 4);
    Layout.addWidget(&Filter);
    Layout.addWidget(&List);
    setWidget(&Contents);
    connect(&Filter, &QLineEdit::textChanged, this, [this] { ApplyFilter(); });
    // Enter in the filter box goes to the first preset still listed.
    connect(&Filter, &QLineEdit::returnPressed, this, [this] {
        for (int row = 0; row < List.count(); ++row) {
            if (!List.item(row)->isHidden()) {
                Chosen(row);
                return;
            }
        }
    });
    connect(&List, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { Chosen(List.row(item)); });
    connect(&List, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { Chosen(List.row(item)); });
}

void TPresetsPanel::SetPresets(const std::vector<TPresetLabel>& presets) {
    Presets = presets;
    List.clear();
    for (const TPresetLabel& preset : Presets) {
        List.addItem(PresetListText(preset));
    }
    ApplyFilter();
}

int TPresetsPanel::PositionOf(int32_t number) const {
    for (size_t i = 0; i < Presets.size(); ++i) {
        if (Presets[i].Number == number) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void TPresetsPanel::ApplyFilter() {
    const QString text = Filter.text().trimmed();
    for (int row = 0; row < List.count(); ++row) {
        QListWidgetItem* item = List.item(row);
        item->setHidden(!text.isEmpty() && !item->text().contains(text, Qt::CaseInsensitive));
    }
}

} // namespace qvr
