#include "edit/BodyReader.h"

#include "sysex/ByteInput.h"

namespace qvr {

TBodyReader::TBodyReader(std::string_view message) {
    TMemoryInput in(message.data(), message.size());
    if (!ReadHeader(in)) {
        throw EMidiSysExInvalid();
    }
    ReadBody(in);
    Cursor = 0;
}

} // namespace qvr
