#pragma once

#include "report/PresetCompare.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>

#include <optional>
#include <utility>
#include <vector>

namespace qvr {

// Picks two presets of one file: the old one on the left, the new one on the
// right, each list showing number and name in file order.
class TComparePresetsDialog : public QDialog {
    Q_OBJECT
public:
    explicit TComparePresetsDialog(QWidget* owner);

    // Fills both lists; the first two presets are selected.
    void SetPresets(const std::vector<TPresetLabel>& presets);
    // The places (from 0) of the two presets picked; none until both are.
    std::optional<std::pair<size_t, size_t>> Picked() const;

    QListWidget OldList;
    QListWidget NewList;

private:
    QGridLayout Layout;
    QLabel OldLabel;
    QLabel NewLabel;
    QDialogButtonBox Buttons;
};

// "#02  Name", or the name alone for a preset without a number.
QString PresetListText(const TPresetLabel& preset);

} // namespace qvr
