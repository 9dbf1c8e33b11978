#pragma once

#include <QString>
#include <QStringList>

namespace qvr {

// What the viewer's command line asks for.
struct TViewerCommandLine {
    enum class TAction { Run, Help, Version, UsageError };
    TAction Action = TAction::Run;
    QString File;        // the preset file to open once the window shows, or empty
    QStringList Ignored; // further files, which are not opened
    QString Error;       // the usage error, without program name
};

// Reads the arguments (the program's name first) as QCommandLineParser does: -h/--help (and
// --help-all), -v/--version, then preset files, taken as they come; "--" ends the options.
// Help and version win over everything else, an unknown option is a usage error.
TViewerCommandLine ParseViewerCommandLine(const QStringList& arguments);

// The text of --help.
QString ViewerHelpText();

} // namespace qvr
