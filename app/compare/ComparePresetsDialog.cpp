#include "app/compare/ComparePresetsDialog.h"

#include "app/common/AnsiText.h"

#include <QPushButton>

namespace qvr {

QString PresetListText(const TPresetLabel& preset) {
    const QString name = FromAnsi(preset.Name);
    return preset.Number
               ? QStringLiteral("#%1  %2").arg(*preset.Number, 2, 10, QLatin1Char('0')).arg(name)
               : name;
}

TComparePresetsDialog::TComparePresetsDialog(QWidget* owner)
    : QDialog(owner), Layout(this), OldLabel(QStringLiteral("&Old preset:"), this),
      NewLabel(QStringLiteral("&New preset:"), this),
      Buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this) {
    setObjectName(QStringLiteral("ComparePresets"));
    setWindowTitle(QStringLiteral("Compare Presets"));
    OldLabel.setBuddy(&OldList);
    NewLabel.setBuddy(&NewList);
    Layout.addWidget(&OldLabel, 0, 0);
    Layout.addWidget(&NewLabel, 0, 1);
    Layout.addWidget(&OldList, 1, 0);
    Layout.addWidget(&NewList, 1, 1);
    Layout.addWidget(&Buttons, 2, 0, 1, 2);
    Buttons.button(QDialogButtonBox::Ok)->setText(QStringLiteral("O&K"));
    Buttons.button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Cancel"));
    // The lists first, as they are read: the dialog opens on the old one.
    setTabOrder(&OldList, &NewList);
    setTabOrder(&NewList, Buttons.button(QDialogButtonBox::Ok));
    setTabOrder(Buttons.button(QDialogButtonBox::Ok), Buttons.button(QDialogButtonBox::Cancel));
    OldList.setFocus(Qt::OtherFocusReason);
    connect(&Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(&Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(520, 360);
}

void TComparePresetsDialog::SetPresets(const std::vector<TPresetLabel>& presets) {
    for (QListWidget* list : {&OldList, &NewList}) {
        list->clear();
        for (const TPresetLabel& preset : presets) {
            list->addItem(PresetListText(preset));
        }
    }
    OldList.setCurrentRow(0);
    NewList.setCurrentRow(presets.size() > 1 ? 1 : 0);
}

std::optional<std::pair<size_t, size_t>> TComparePresetsDialog::Picked() const {
    if (OldList.currentRow() < 0 || NewList.currentRow() < 0) {
        return std::nullopt;
    }
    return std::pair{static_cast<size_t>(OldList.currentRow()),
                     static_cast<size_t>(NewList.currentRow())};
}

} // namespace qvr
