#include "app/CommandLine.h"

#include <QCommandLineParser>

namespace qvr {

namespace {

struct TViewerParser {
    QCommandLineParser Parser;
    QCommandLineOption Help = Parser.addHelpOption();
    QCommandLineOption Version = Parser.addVersionOption();

    TViewerParser() {
        Parser.setApplicationDescription(QStringLiteral(
            "Shows the presets of a Korvane QVR preset or backup file as a report."));
        Parser.addPositionalArgument(QStringLiteral("file"),
                                     QStringLiteral("The preset or backup file to open."),
                                     QStringLiteral("[file]"));
    }
};

} // namespace

TViewerCommandLine ParseViewerCommandLine(const QStringList& arguments) {
    TViewerParser p;
    TViewerCommandLine line;
    const bool parsed = p.Parser.parse(arguments);
    if (p.Parser.isSet(p.Help) || p.Parser.isSet(QStringLiteral("help-all"))) {
        line.Action = TViewerCommandLine::TAction::Help;
    } else if (p.Parser.isSet(p.Version)) {
        line.Action = TViewerCommandLine::TAction::Version;
    } else if (!parsed) {
        line.Action = TViewerCommandLine::TAction::UsageError;
        line.Error = p.Parser.errorText();
    } else {
        QStringList files = p.Parser.positionalArguments();
        if (!files.isEmpty()) {
            line.File = files.takeFirst();
        }
        line.Ignored = files;
    }
    return line;
}

QString ViewerHelpText() {
    TViewerParser p;
    QString text = p.Parser.helpText();
    // The parser names the program as it was started, or not at all before the application
    // object exists: the usage line names it the same way always.
    const QString usage = QStringLiteral("Usage: ");
    const qsizetype options = text.indexOf(QStringLiteral(" [options]"));
    if (text.startsWith(usage) && options > 0) {
        text.replace(usage.size(), options - usage.size(), QStringLiteral("qvrviewer"));
    }
    return text;
}

} // namespace qvr
