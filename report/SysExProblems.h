#pragma once

#include "base/UserNotifier.h"
#include "platform/InputFile.h"
#include "sysex/Korvanesysex.h"
#include "sysex/Midisysex.h"

namespace qvr {

// The words the user sees for the problems of a file's messages, wherever they are read.
inline constexpr const char* InconsistentProductText = "Inconsistent product Id's in file";

// Runs `read`, showing an exception of the message reader as an error in the user's words;
// returns false when it showed one.
template <typename TRead> bool ShowSysExProblems(IUserNotifier& notifier, TRead read) {
    try {
        read();
        return true;
    } catch (const EMidiSysExTooLong& e) {
        notifier.ShowError(e.what());
    } catch (const EMidiSysExInvalid&) {
        notifier.ShowError("Invalid system exclusive format");
    } catch (const EKorvaneSysExBadChecksum&) {
        notifier.ShowError("Bad checksum");
    } catch (const EKorvaneSysExInvalid&) {
        notifier.ShowError("Not a Korvane format");
    } catch (const EInputTooLarge& e) {
        notifier.ShowError(e.what());
    }
    return false;
}

} // namespace qvr
