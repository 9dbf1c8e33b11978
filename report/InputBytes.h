#pragma once

#include "platform/InputFile.h"
#include "sysex/ByteInput.h"

namespace qvr {

// The bytes of an open input for the message reader, read through it: bounded by
// MaxInputSize, ended by its check, failures thrown rather than taken for the end.
class TInputBytes : public TFileInput {
public:
    // `input` stays open and in place while the bytes are read.
    explicit TInputBytes(TInputFile& input) : TFileInput(input.Descriptor()), Input(input) {}

private:
    size_t ReadBlock(uint8_t* buffer, size_t size) override { return Input.Read(buffer, size); }

    TInputFile& Input;
};

} // namespace qvr
