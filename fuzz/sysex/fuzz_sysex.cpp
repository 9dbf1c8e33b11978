// Reads the input as a preset file: header and body of every message until the end or the first
// exception, then takes every body apart with ReadString and NextByte. A body written back with
// the write side must read in again unchanged.

#include "sysex/Qvrsysex.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <sstream>
#include <string>

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

void TakeApart(qvr::TKorvaneQVRSysEx& message) {
    const int32_t length = message.GetDataLength();
    int32_t consumed = 0;
    std::string text;
    for (int round = 0; consumed < length; ++round) {
        const int32_t n = message.ReadString(text, round % 3 == 0 ? 0x00 : 0x20);
        Check(n >= 0 && static_cast<size_t>(n) == text.size());
        consumed += n;
        if (message.NextByte() >= 0) {
            ++consumed;
        }
    }
    Check(consumed == length);
    Check(message.NextByte() == -1);
    Check(message.ReadString(text, 0) == 0 && text.empty());
}

void RoundTrip(const qvr::TKorvaneQVRSysEx& message) {
    qvr::TMidiSysEx writer(1);
    const uint8_t* data = message.GetData();
    writer.SetData(std::vector<uint8_t>(data, data + message.GetDataLength()));
    std::ostringstream out(std::ios::binary);
    writer.WriteData(out, true);
    std::istringstream in(out.str(), std::ios::binary);
    qvr::TMidiSysEx reader(1);
    Check(reader.ReadData(in, true) == message.GetDataLength());
    for (int32_t i = 0; i < message.GetDataLength(); ++i) {
        Check(reader.GetData()[i] == data[i]);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size), std::ios::binary);
    qvr::TKorvaneQVRSysEx message;
    try {
        while (message.ReadHeader(in)) {
            const int32_t n = message.ReadBody(in);
            Check(n == message.GetDataLength());
            Check(message.GetCapacity() > n && message.GetCapacity() % 1024 == 0);
            RoundTrip(message);
            TakeApart(message);
        }
    } catch (const qvr::EMidiSysExInvalid&) {
    } catch (const qvr::EKorvaneSysExInvalid&) {
    } catch (const qvr::EKorvaneSysExBadChecksum&) {
        // The body is stored even so; reading it must be safe.
        TakeApart(message);
    }
    return 0;
}
