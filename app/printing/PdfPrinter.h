#pragma once

#include <QByteArray>
#include <QPrinter>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>
#include <QTimer>

#include <functional>

namespace qvr {

// Printing goes through the web view's own PDF of the page: a printer set to a PDF file gets
// that file, a real printer gets the PDF through the print system's lp command, which takes
// PDF as it is.

// What the print dialog chose that the print system carries out.
struct TPrintChoices {
    QString PrinterName; // empty: the default printer
    int Copies = 1;
    bool Collate = true;
    QPrinter::DuplexMode Duplex = QPrinter::DuplexNone;
    bool Landscape = false;
    bool Colour = true;
};
TPrintChoices PrintChoicesOf(const QPrinter& printer);

// The lp arguments for the choices: the printer's name, the copies, duplex and colour. The
// page range is not among them: the PDF holds only the chosen pages.
QStringList PrintCommandArguments(const TPrintChoices& choices, const QString& title,
                                  const QString& pdfFile);

// Writes the PDF to the file, whole or not at all, with the user's usual file mode. An empty
// text when it was written, else why not.
QString WritePdfFile(const QByteArray& pdf, const QString& file);

// Sends a PDF to the printer through lp without blocking the caller: `done` gets an empty text
// when the print system took it, else why not. The PDF waits in a private temporary file until
// lp has finished.
class TPrintJob : public QObject {
public:
    TPrintJob(const QByteArray& pdf, const QPrinter& printer, const QString& title,
              std::function<void(const QString& failure)> done);
    bool Finished() const { return Done == nullptr; }

private:
    void Finish(const QString& failure);

    QTemporaryFile Job;
    QProcess Lp;
    QTimer Timeout;
    std::function<void(const QString&)> Done;
};

} // namespace qvr
