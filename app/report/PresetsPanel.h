#pragma once

#include "report/PresetCompare.h"

#include <QDockWidget>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>
#include <QWidget>

#include <functional>
#include <vector>

namespace qvr {

// The presets of the open file beside the report, by number and name, with a filter box.
// Choosing one (a click, or Enter) hands its position in the file (from 0) to `chosen`.
class TPresetsPanel : public QDockWidget {
    Q_OBJECT
public:
    TPresetsPanel(QWidget& window, std::function<void(int position)> chosen);

    // The presets of the file shown now, in file order.
    void SetPresets(const std::vector<TPresetLabel>& presets);
    // The position of the first preset with this number, or -1.
    int PositionOf(int32_t number) const;

private:
    QWidget Contents; // before the widgets on it, which go first

public:
    QLineEdit Filter;
    QListWidget List;

private:
    void ApplyFilter();

    QVBoxLayout Layout;
    std::vector<TPresetLabel> Presets;
    std::function<void(int)> Chosen;
};

} // namespace qvr
