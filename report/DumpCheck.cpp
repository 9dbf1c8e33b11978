#include "report/DumpCheck.h"

#include "report/SysExProblems.h"
#include "sysex/Qvrsysex.h"

#include <istream>
#include <optional>

namespace qvr {

bool CheckDump(std::istream& in, IUserNotifier& notifier) {
    bool oneProduct = true;
    const bool framesOk = ShowSysExProblems(notifier, [&] {
        TKorvaneQVRSysEx message;
        std::optional<uint8_t> product;
        while (message.ReadHeader(in)) {
            if (product && *product != message.GetProductId()) {
                notifier.ShowError(InconsistentProductText);
                oneProduct = false;
                return;
            }
            product = message.GetProductId();
            message.ReadBody(in);
        }
    });
    return framesOk && oneProduct;
}

} // namespace qvr
