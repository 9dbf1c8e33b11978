#include "librarian/Dump.h"

#include "base/UserNotifier.h"
#include "platform/InputFile.h"
#include "report/SysExProblems.h"
#include "sysex/ByteInput.h"
#include "sysex/MessageIds.h"
#include "sysex/Qvrsysex.h"

#include <algorithm>
#include <unistd.h>

namespace qvr {

namespace {

constexpr char EndByte = '\xF7';

// Keeps the first error shown, the reader's words for a problem.
class TFirstError : public IUserNotifier {
public:
    void ShowError(const std::string& text) override {
        if (Text.empty()) {
            Text = text;
        }
    }
    void ShowWarning(const std::string&) override {}

    std::string Text;
};

} // namespace

size_t TDump::LeadingMessages() const {
    return Presets.empty() ? Messages.size() : Presets.front().FirstMessage;
}

std::string_view TDump::MessageBytes(size_t first, size_t count) const {
    if (count == 0) {
        return {};
    }
    const TDumpMessage& last = Messages[first + count - 1];
    const size_t begin = Messages[first].Offset;
    return std::string_view(Bytes).substr(begin, last.Offset + last.Size - begin);
}

const TDumpPreset* TDump::PresetNumbered(int32_t number) const {
    const auto it = std::find_if(Presets.begin(), Presets.end(), [number](const TDumpPreset& p) {
        return p.Header.Number() == number;
    });
    return it == Presets.end() ? nullptr : &*it;
}

TDump ReadDump(std::string bytes) {
    TDump dump;
    dump.Bytes = std::move(bytes);
    const std::string_view all(dump.Bytes);
    TMemoryInput in(all.data(), all.size());
    const auto* const base = reinterpret_cast<const uint8_t*>(all.data());
    TFirstError problem;
    ShowSysExProblems(problem, [&] {
        TKorvaneQVRSysEx message;
        size_t start = 0;
        while (message.ReadHeader(in)) {
            if (dump.ProductId && *dump.ProductId != message.GetProductId()) {
                problem.ShowError(InconsistentProductText);
                return;
            }
            dump.ProductId = message.GetProductId();
            message.ReadBody(in);
            const auto end = static_cast<size_t>(in.Begin() - base);
            // The reader takes the end of the file for the end byte of a last message.
            if (all[end - 1] != EndByte) {
                throw EMidiSysExInvalid();
            }
            const TDumpMessage taken{start, end - start, message.GetMessageId()};
            if (taken.MessageId == static_cast<uint8_t>(TMessageId::PresetHeader)) {
                if (const auto header = ReadPresetHeader(all.substr(start, taken.Size))) {
                    dump.Presets.push_back({dump.Messages.size(), 0, *header});
                }
            }
            dump.Messages.push_back(taken);
            if (!dump.Presets.empty()) {
                ++dump.Presets.back().MessageCount;
            }
            start = end;
        }
    });
    dump.Problem = problem.Text;
    return dump;
}

bool LoadDump(const std::string& path, TDump& dump, std::string& error) {
    TInputFile file =
        path == "-" ? TInputFile::Borrow(STDIN_FILENO) : TInputFile::Open(path, TInputRule::File);
    if (!file.IsOpen()) {
        error = file.Problem();
        return false;
    }
    std::string bytes;
    try {
        bytes = ReadWhole(file);
    } catch (const std::exception& failure) {
        error = failure.what();
        return false;
    }
    dump = ReadDump(std::move(bytes));
    return true;
}

} // namespace qvr
