#include "report/CompareWriters.h"

#include "report/HtmlSink.h"
#include "report/HtmlText.h"
#include "report/JsonText.h"
#include "report/ReportOutput.h"
#include "report/Utf8Text.h"

#include <cstdio>
#include <string>
#include <vector>

namespace qvr {

namespace {

using TKind = TChange::TKind;

const std::string_view Arrow = "\xE2\x86\x92"; // U+2192 in UTF-8

// "#02  Name", or the name alone for a preset without a number.
template <class TOut, class TText>
void AppendLabel(TOut& out, const TPresetLabel& label, const TText& text) {
    if (label.Number) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "#%02u  ", static_cast<unsigned>(*label.Number));
        out.Append(digits);
    }
    text(out, label.Name);
}

// The heading of a preset pair: one label when only the name changed ("#02
// Old → New"), both when the numbers differ.
template <class TOut, class TText>
void AppendHeading(TOut& out, const TPresetDiff& diff, std::string_view arrow, const TText& text) {
    AppendLabel(out, *diff.Old, text);
    if (diff.Old->Number != diff.New->Number) {
        out.Append(arrow);
        AppendLabel(out, *diff.New, text);
    } else if (diff.Renamed()) {
        out.Append(arrow);
        text(out, diff.New->Name);
    }
}

// What a pair without changes of its settings differs in.
std::string_view SameSettingsText(const TPresetDiff& diff) {
    const bool renumbered = diff.Old->Number != diff.New->Number;
    if (renumbered && diff.Renamed()) {
        return "The same settings; only the number and the name changed.";
    }
    return renumbered ? "The same settings; only the number changed."
                      : "The same settings; only the name changed.";
}

std::string Presets(size_t count) {
    return std::to_string(count) + (count == 1 ? " preset" : " presets");
}

std::string CountsText(const TCompareTotals& totals) {
    if (!totals.Differ()) {
        return "No differences (" + Presets(totals.Unchanged) + ").";
    }
    return Presets(totals.Unchanged) + " unchanged, " + std::to_string(totals.Changed) +
           " changed, " + std::to_string(totals.Removed) + " removed, " +
           std::to_string(totals.Added) + " added.";
}

// The summary: the counts, then each side that holds no presets, named as `name` writes it.
template <class TOut, class TName>
void AppendSummary(TOut& out, const TCompareTotals& totals, const TName& name) {
    out.Append(CountsText(totals));
    for (const std::string& file : totals.Empty) {
        out.Append(' ');
        name(out, file);
        out.Append(" holds no presets.");
    }
}

const auto TerminalUtf8 = [](TReportOutput& out, std::string_view text) {
    AppendTerminalUtf8(out, text);
};
const auto Escaped = [](TReportOutput& out, std::string_view text) {
    AppendHtmlEscaped(out, text);
};

// "  Module: Parameter: old → new", "  Module: + Name = value", "  + Module".
void AppendChangeLine(TReportOutput& out, const TChange& change) {
    out.Append("  ");
    if (change.Kind == TKind::ModuleAdded || change.Kind == TKind::ModuleRemoved) {
        out.Append(change.Kind == TKind::ModuleAdded ? "+ " : "- ");
        AppendTerminalUtf8(out, change.Module.value_or(""));
        out.Append('\n');
        return;
    }
    if (change.Module) {
        AppendTerminalUtf8(out, *change.Module);
        out.Append(": ");
    }
    if (change.Kind == TKind::ValueChanged) {
        AppendTerminalUtf8(out, change.Name);
        out.Append(": ");
        AppendTerminalUtf8(out, change.Old);
        out.Append(' ');
        out.Append(Arrow);
        out.Append(' ');
        AppendTerminalUtf8(out, change.New);
    } else {
        out.Append(change.Kind == TKind::LineAdded ? "+ " : "- ");
        AppendTerminalUtf8(out, change.Name);
        if (change.IsPair) {
            out.Append(" = ");
            AppendTerminalUtf8(out, change.Kind == TKind::LineAdded ? change.New : change.Old);
        }
    }
    out.Append('\n');
}

class TTextComparison : public IComparisonWriter {
public:
    explicit TTextComparison(IByteTarget& target) : Out(target) {}

    void Begin(std::string_view) override {}

    void Preset(const TPresetDiff& diff) override {
        if (!diff.New || !diff.Old) {
            Out.Append(diff.New ? "Added: Preset " : "Removed: Preset ");
            AppendLabel(Out, diff.New ? *diff.New : *diff.Old, TerminalUtf8);
            Out.Append('\n');
            return;
        }
        Out.Append("Preset ");
        AppendHeading(Out, diff, " \xE2\x86\x92 ", TerminalUtf8);
        Out.Append('\n');
        for (const TChange& change : diff.Changes) {
            Line(change);
        }
        Out.Settle();
    }

    void End(const TCompareTotals& totals) override {
        AppendSummary(Out, totals, [](TReportOutput& out, std::string_view file) {
            out.Append(TerminalSafe(file)); // the file system's own bytes
        });
        Out.Append('\n');
        Out.Finish();
    }

private:
    void Line(const TChange& change) { AppendChangeLine(Out, change); }

    TReportOutput Out;
};

class THtmlComparison : public IComparisonWriter {
public:
    explicit THtmlComparison(IByteTarget& target) : Out(target) {}

    void Begin(std::string_view model) override {
        Model = model;
        Out.Append(THtmlSink::TableStart);
        Out.Append('\n');
    }

    void Preset(const TPresetDiff& diff) override {
        Out.Append("  <tr><th class=\"preset\" colspan=\"4\" bgcolor=#EEEEEE align=\"center\">");
        AppendHtmlEscaped(Out, Model);
        Out.Append(Model.empty() ? "Preset " : " Preset ");
        if (!diff.New || !diff.Old) {
            AppendLabel(Out, diff.New ? *diff.New : *diff.Old, Escaped);
            Out.Append("</th></tr>\n");
            Out.Append("  <tr valign=\"top\"><td class=\"preset\" colspan=\"4\" bgcolor=");
            Out.Append(diff.New ? "#D6F5D6>only in the new file" : "#F8D7D7>only in the old file");
            Out.Append("</td></tr>\n");
            Out.Settle();
            return;
        }
        AppendHeading(Out, diff, " &rarr; ", Escaped);
        Out.Append("</th></tr>\n");
        if (diff.Changes.empty()) {
            // A pair that differs in its label alone: a table of no changes would look empty.
            Out.Append("  <tr valign=\"top\"><td class=\"preset\" colspan=\"4\">");
            Out.Append(SameSettingsText(diff));
            Out.Append("</td></tr>\n");
            Out.Settle();
            return;
        }
        Out.Append("  <tr valign=\"top\"><td class=\"preset\"><b>Module</b></td><td "
                   "class=\"preset\"><b>Parameter</b></td><td class=\"preset\"><b>Old</b></td><td "
                   "class=\"preset\"><b>New</b></td></tr>\n");
        for (const TChange& change : diff.Changes) {
            Row(change);
        }
        Out.Settle();
    }

    void End(const TCompareTotals& totals) override {
        Out.Append("  <tr><td class=\"preset\" colspan=\"4\">");
        AppendSummary(Out, totals, Escaped);
        Out.Append("</td></tr>\n</table>\n");
        Out.Finish();
    }

private:
    // A cell; marked cells are the values that changed.
    void Cell(std::string_view text, std::string_view mark = {}) {
        Out.Append("<td class=\"preset\"");
        if (!mark.empty()) {
            Out.Append(" bgcolor=");
            Out.Append(mark);
        }
        Out.Append('>');
        if (text.empty()) {
            Out.Append("&nbsp;");
        } else if (mark.empty()) {
            AppendHtmlEscaped(Out, text);
        } else {
            Out.Append("<b>");
            AppendHtmlEscaped(Out, text);
            Out.Append("</b>");
        }
        Out.Append("</td>");
    }

    void Row(const TChange& change) {
        const std::string_view changed = "#FFE98A";
        const std::string_view added = "#D6F5D6";
        const std::string_view removed = "#F8D7D7";
        Out.Append("  <tr valign=\"top\">");
        Cell(change.Module.value_or(""));
        switch (change.Kind) {
        case TKind::ModuleAdded:
            Out.Append("<td class=\"preset\" colspan=\"3\" bgcolor=#D6F5D6>module added</td>");
            break;
        case TKind::ModuleRemoved:
            Out.Append("<td class=\"preset\" colspan=\"3\" bgcolor=#F8D7D7>module removed</td>");
            break;
        case TKind::ValueChanged:
            Cell(change.Name);
            Cell(change.Old, changed);
            Cell(change.New, changed);
            break;
        case TKind::LineAdded:
            Cell(change.Name);
            Cell({});
            Cell(change.IsPair ? std::string_view(change.New) : "added", added);
            break;
        case TKind::LineRemoved:
            Cell(change.Name);
            Cell(change.IsPair ? std::string_view(change.Old) : "removed", removed);
            Cell({});
            break;
        }
        Out.Append("</tr>\n");
    }

    TReportOutput Out;
    std::string Model;
};

class TJsonComparison : public IComparisonWriter {
public:
    explicit TJsonComparison(IByteTarget& target) : Out(target) {}

    void Begin(std::string_view model) override {
        Out.Append("{\n  \"model\": ");
        if (model.empty()) {
            Out.Append("null");
        } else {
            AppendJsonString(Out, model);
        }
        Out.Append(",\n  \"presets\": [");
    }

    void Preset(const TPresetDiff& diff) override {
        Out.Append(Presets++ > 0 ? ",\n    {\"old\": " : "\n    {\"old\": ");
        Label(diff.Old);
        Out.Append(", \"new\": ");
        Label(diff.New);
        Out.Append(", \"changes\": [");
        for (size_t i = 0; i < diff.Changes.size(); ++i) {
            Out.Append(i > 0 ? ",\n      " : "\n      ");
            Change(diff.Changes[i]);
        }
        Out.Append(diff.Changes.empty() ? "]}" : "\n    ]}");
        Out.Settle();
    }

    void End(const TCompareTotals& totals) override {
        Out.Append(Presets > 0 ? "\n  ],\n" : "],\n");
        Out.Append("  \"unchanged\": " + std::to_string(totals.Unchanged) +
                   ",\n  \"changed\": " + std::to_string(totals.Changed) +
                   ",\n  \"removed\": " + std::to_string(totals.Removed) +
                   ",\n  \"added\": " + std::to_string(totals.Added) + ",\n  \"messages\": [");
        for (size_t i = 0; i < Messages.size(); ++i) {
            Out.Append(i > 0 ? ",\n    " : "\n    ");
            Out.Append(Messages[i]);
            Out.Settle();
        }
        Out.Append(Messages.empty() ? "]\n}\n" : "\n  ]\n}\n");
        Out.Finish();
    }

    // Kept to the end: a comparison shows few, and stops at the first error.
    void Message(const TReportMessage& message, bool oldSide) override {
        TLineText element;
        element.Append(message.IsError ? "{\"kind\": \"error\", \"text\": "
                                       : "{\"kind\": \"warning\", \"text\": ");
        AppendJsonString(element, message.Text);
        element.Append(oldSide ? ", \"file\": \"old\", \"preset\": "
                               : ", \"file\": \"new\", \"preset\": ");
        element.Append(message.Preset ? std::to_string(*message.Preset) : std::string("null"));
        element.Append('}');
        Messages.push_back(std::move(element.Text));
    }

private:
    void Label(const std::optional<TPresetLabel>& label) {
        if (!label) {
            Out.Append("null");
            return;
        }
        Out.Append("{\"number\": ");
        Out.Append(label->Number ? std::to_string(*label->Number) : std::string("null"));
        Out.Append(", \"name\": ");
        AppendJsonString(Out, label->Name);
        Out.Append('}');
    }

    void Field(std::string_view name, std::string_view value) {
        Out.Append(", \"");
        Out.Append(name);
        Out.Append("\": ");
        AppendJsonString(Out, value);
    }

    void Change(const TChange& change) {
        static const char* const kinds[] = {"module added", "module removed", "value changed",
                                            "line added", "line removed"};
        Out.Append("{\"change\": \"");
        Out.Append(kinds[static_cast<size_t>(change.Kind)]);
        Out.Append("\", \"module\": ");
        if (change.Module) {
            AppendJsonString(Out, *change.Module);
        } else {
            Out.Append("null");
        }
        // What the module is, as a preset's own JSON has it: a name may repeat.
        const TModuleRef& where = change.Where;
        Out.Append(", \"kind\": \"");
        Out.Append(ModuleKindName(where.Kind));
        Out.Append("\", \"position\": ");
        Out.Append(where.Position ? std::to_string(*where.Position) : std::string("null"));
        Out.Append(", \"id\": ");
        Out.Append(where.Kind == TModuleKind::Loose ? std::string("null")
                                                    : std::to_string(where.Id));
        if (change.Kind != TKind::ModuleAdded && change.Kind != TKind::ModuleRemoved) {
            Field(change.IsPair ? "parameter" : "text", change.Name);
            if (change.IsPair && change.Kind != TKind::LineAdded) {
                Field("old", change.Old);
            }
            if (change.IsPair && change.Kind != TKind::LineRemoved) {
                Field("new", change.New);
            }
        }
        Out.Append('}');
    }

    TReportOutput Out;
    size_t Presets = 0;
    std::vector<std::string> Messages;
};

} // namespace

std::string ChangeLineText(const TChange& change) {
    TStringTarget target;
    TReportOutput out(target);
    AppendChangeLine(out, change);
    out.Finish();
    return std::move(target.Text);
}

std::unique_ptr<IComparisonWriter> MakeComparisonWriter(TReportFormat format, IByteTarget& target) {
    switch (format) {
    case TReportFormat::Text:
        return std::make_unique<TTextComparison>(target);
    case TReportFormat::Html:
        return std::make_unique<THtmlComparison>(target);
    case TReportFormat::Json:
        return std::make_unique<TJsonComparison>(target);
    case TReportFormat::Csv:
        break;
    }
    return nullptr;
}

} // namespace qvr
