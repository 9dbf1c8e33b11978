#pragma once

#include <QString>

#include <string>
#include <vector>

class QWidget;

namespace qvr {

// The report view inside the main window. The program uses a web view; the
// tests record the calls.
class IReportView {
public:
    virtual ~IReportView() = default;
    virtual QWidget& Widget() = 0;
    // Shows the report file (the whole document, decoded as windows-1252).
    virtual void Navigate(const QString& reportFile) = 0;
    // The document commands of the view; each brings its own dialogs. Save As
    // refuses a target that is one of `inputs` (the files the report is made of).
    virtual void SaveAs(const std::vector<std::string>& inputs) = 0;
    virtual void PageSetup() = 0;
    virtual void Print() = 0;
    virtual void Copy() = 0;
    virtual void SelectAll() = 0;
};

} // namespace qvr
