#pragma once

#include "app/common/Dialogs.h"
#include "librarian/Dump.h"

#include <QString>
#include <QWidget>

#include <string>

namespace qvr {

// What the preset commands of the File menu share: the open file cut into its presets, a
// preset picked from a list, and Save Preset As.

// The dump of `file`; false after a message that says why it cannot be read.
bool LoadOpenFile(QWidget& owner, IDialogs& dialogs, const std::string& file, TDump& dump);

// The preset of `dump` the user picks from a list of their numbers and names; nullptr on
// Cancel, or after a message when the file has no preset.
const TDumpPreset* PickPreset(QWidget& owner, IDialogs& dialogs, const TDump& dump,
                              const QString& title);

// Save Preset As: the preset's messages, byte for byte, to a file the user names (proposed:
// "07 Clean Lead.q3p" beside `file`), written whole and never over `file`. A damaged file is
// refused with the reader's message.
void SavePresetAs(QWidget& owner, IDialogs& dialogs, const std::string& file, const TDump& dump,
                  const TDumpPreset& preset);

} // namespace qvr
