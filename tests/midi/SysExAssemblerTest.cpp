#include "midi/SysExAssembler.h"

#include "midi/Capture.h"
#include "midi/DumpSummary.h"
#include "midi/EventRing.h"
#include "midi/MidiPorts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qvr::test {

namespace {

using Bytes = std::vector<uint8_t>;

struct TAssemblyCase {
    const char* Name;
    std::vector<Bytes> Pieces;
    size_t MaxSize;
    std::vector<Bytes> Messages;
    std::vector<std::string> Warnings;
};

const size_t Big = 1000;

const TAssemblyCase AssemblyCases[] = {
    {"WholeInOnePiece",
     {{0xF0, 0x00, 0x00, 0x10, 0x00, 0x5A, 0x21, 0x01, 0xF7}},
     Big,
     {{0xF0, 0x00, 0x00, 0x10, 0x00, 0x5A, 0x21, 0x01, 0xF7}},
     {}},
    {"SplitAnywhere",
     {{0xF0}, {0x01, 0x02}, {}, {0x03, 0xF7, 0xF0, 0x04}, {0xF7}},
     Big,
     {{0xF0, 0x01, 0x02, 0x03, 0xF7}, {0xF0, 0x04, 0xF7}},
     {}},
    {"RealTimeBytesInsideSkipped",
     {{0xF0, 0x01, 0xF8, 0x02}, {0xFE, 0xFF, 0xFA, 0x03, 0xF7}},
     Big,
     {{0xF0, 0x01, 0x02, 0x03, 0xF7}},
     {}},
    {"TrafficOutsideCounted",
     {{0x90, 0x40, 0x7F, 0xF8, 0xF7, 0x05}, {0xF0, 0x06, 0xF7, 0x80}},
     Big,
     {{0xF0, 0x06, 0xF7}},
     {"6 bytes outside system exclusive messages ignored"}},
    {"CutByNewStart",
     {{0xF0, 0x01, 0x02}, {0xF0, 0x03, 0xF7}},
     Big,
     {{0xF0, 0x03, 0xF7}},
     {"Incomplete system exclusive message dropped after 3 bytes: a new message started"}},
    {"CutByStatusByte",
     {{0xF0, 0x01, 0xB0, 0x07, 0x01, 0xF7, 0xF0, 0x02, 0xF7}},
     Big,
     {{0xF0, 0x02, 0xF7}},
     {"Incomplete system exclusive message dropped after 2 bytes: status byte 0xB0 arrived",
      "4 bytes outside system exclusive messages ignored"}},
    {"CutByTheLowestStatusByte",
     {{0xF0, 0x01, 0x80, 0x40, 0x00, 0xF7}},
     Big,
     {},
     {"Incomplete system exclusive message dropped after 2 bytes: status byte 0x80 arrived",
      "4 bytes outside system exclusive messages ignored"}},
    {"CutByUndefinedCommonStatus",
     {{0xF0, 0x01, 0xF4, 0xF0, 0xF7}},
     Big,
     {{0xF0, 0xF7}},
     {"Incomplete system exclusive message dropped after 2 bytes: status byte 0xF4 arrived",
      "1 byte outside system exclusive messages ignored"}},
    {"SizeLimitReachedExactly", {{0xF0, 0x01, 0x02, 0xF7}}, 4, {{0xF0, 0x01, 0x02, 0xF7}}, {}},
    {"OneBeyondTheLimitDroppedWithItsRest",
     {{0xF0, 0x01, 0x02, 0x03}, {0x04, 0x05, 0xF7, 0x06}, {0xF0, 0x07, 0xF7}},
     4,
     {{0xF0, 0x07, 0xF7}},
     {"System exclusive message longer than 4 bytes dropped",
      "1 byte outside system exclusive messages ignored"}},
    {"EndByteBeyondTheLimit",
     {{0xF0, 0x01, 0x02, 0x03, 0xF7, 0xF0, 0xF7}},
     4,
     {{0xF0, 0xF7}},
     {"System exclusive message longer than 4 bytes dropped"}},
    // Data dropped again and again makes one warning per kind, with the count.
    {"CutAgainAndAgainToldOnce",
     {{0xF0, 0xF0, 0xF0, 0x01}, {0xF0, 0x02, 0xF7}},
     Big,
     {{0xF0, 0x02, 0xF7}},
     {"3 incomplete system exclusive messages dropped, the first after 1 byte: a new message "
      "started"}},
    {"TooLongAgainAndAgainToldOnce",
     {{0xF0, 0x01, 0x02, 0x03, 0x04, 0xF7}, {0xF0, 0x01, 0x02, 0x03, 0x04, 0x05, 0xF7}},
     4,
     {},
     {"2 system exclusive messages longer than 4 bytes dropped"}},
};

class SysExAssembly : public testing::TestWithParam<TAssemblyCase> {};

TEST_P(SysExAssembly, KeepsWholeMessagesInOrder) {
    const TAssemblyCase& c = GetParam();
    TSysExAssembler assembler(c.MaxSize);
    for (const Bytes& piece : c.Pieces) {
        assembler.Feed(piece);
    }
    EXPECT_FALSE(assembler.InMessage());
    EXPECT_EQ(assembler.TakeMessages(), c.Messages);
    EXPECT_EQ(assembler.TakeWarnings(), c.Warnings);
    EXPECT_TRUE(assembler.TakeMessages().empty());
}

INSTANTIATE_TEST_SUITE_P(Pieces, SysExAssembly, testing::ValuesIn(AssemblyCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(SysExAssembler, LimitIsTheReadersBodyLimit) {
    EXPECT_EQ(MaxCapturedMessageSize(), size_t{1} << 20);
}

TEST(SysExAssembler, FinishDropsAnOpenMessage) {
    TSysExAssembler assembler(Big);
    assembler.Feed(Bytes{0xF0, 0x01, 0xF7, 0xF0, 0x02});
    EXPECT_TRUE(assembler.InMessage());
    assembler.Finish();
    EXPECT_EQ(assembler.TakeMessages(), (std::vector<Bytes>{{0xF0, 0x01, 0xF7}}));
    EXPECT_EQ(assembler.TakeWarnings(),
              std::vector<std::string>{
                  "Incomplete system exclusive message dropped after 2 bytes: reception ended"});
}

// A device gone mad: two million bytes that never make a message, and then one that never
// ends (the last message cut off goes on as that one). The assembler never holds more than one
// message's limit, and tells each kind once.
TEST(SysExAssembler, FloodsCostNoMemoryAndOneWarningPerKind) {
    const size_t limit = MaxCapturedMessageSize();
    TSysExAssembler assembler(limit);
    Bytes cutOff(1000);
    for (size_t i = 0; i < cutOff.size(); ++i) {
        cutOff[i] = i % 2 == 0 ? 0xF0 : 0x55;
    }
    for (int i = 0; i < 2000; ++i) {
        assembler.Feed(cutOff);
        ASSERT_LE(assembler.HeldBytes(), limit);
    }
    const Bytes endless(64 * 1024, 0x55);
    for (int i = 0; i < 40; ++i) {
        assembler.Feed(endless);
        ASSERT_LE(assembler.HeldBytes(), limit);
    }
    assembler.Feed(Bytes{0xF7, 0x55});
    assembler.Finish();
    EXPECT_TRUE(assembler.TakeMessages().empty());
    EXPECT_EQ(assembler.TakeWarnings(),
              (std::vector<std::string>{"999999 incomplete system exclusive messages dropped, the "
                                        "first after 2 bytes: a new message started",
                                        "System exclusive message longer than 1048576 bytes "
                                        "dropped",
                                        "1 byte outside system exclusive messages ignored"}));
    EXPECT_TRUE(assembler.TakeWarnings().empty());
}

struct TCaptureRecord {
    std::vector<Bytes> Messages;
    std::vector<std::string> Warnings;
    TCapture::THandlers Handlers() {
        return {[this](const Bytes& m) { Messages.push_back(m); },
                [this](const std::string& w) { Warnings.push_back(w); }};
    }
};

using std::chrono::milliseconds;
using std::chrono::seconds;

// Idle time counts only once the device sent something, and real-time bytes do not hold it
// off; the test gives the clock by hand, so nothing waits.
TEST(Capture, EndsAfterTheIdleTimeOnceTheDeviceSends) {
    TCaptureRecord record;
    TCapture capture(seconds(2), record.Handlers());
    const auto start = TCapture::TClock::now();
    EXPECT_EQ(capture.Check(start + seconds(60)), TCaptureEnd::Running);
    capture.Feed(Bytes{0xF0, 0x01, 0xF7});
    const auto fed = TCapture::TClock::now();
    EXPECT_EQ(capture.Check(fed + milliseconds(1900)), TCaptureEnd::Running);
    capture.Feed(Bytes{0xF8, 0xFE});
    EXPECT_EQ(capture.Check(fed + milliseconds(2000)), TCaptureEnd::Idle);
    // Once ended, it stays ended and takes nothing more.
    capture.Feed(Bytes{0xF0, 0x02, 0xF7});
    capture.Stop();
    EXPECT_EQ(capture.Check(fed), TCaptureEnd::Idle);
    EXPECT_EQ(record.Messages, (std::vector<Bytes>{{0xF0, 0x01, 0xF7}}));
}

// Once the device has sent something, the idle time ends the capture whether or not a whole
// message came: a message under way holds it off only while it grows past any before it.
TEST(Capture, EndsAfterTheIdleTimeWithoutAWholeMessage) {
    TCaptureRecord record;
    TCapture capture(seconds(2), record.Handlers());
    capture.Feed(Bytes{0xF0, 0x01});
    const auto started = TCapture::TClock::now();
    EXPECT_EQ(capture.Check(started + milliseconds(1900)), TCaptureEnd::Running);
    capture.Feed(Bytes{0x02, 0x03});
    const auto grown = TCapture::TClock::now();
    EXPECT_EQ(capture.Check(grown + milliseconds(1900)), TCaptureEnd::Running);
    // Cut, begun again and cut again: the same lengths once more are no progress.
    for (int i = 0; i < 1000; ++i) {
        capture.Feed(Bytes{0xF0, 0x01, 0x02, 0x03, 0xF8});
    }
    EXPECT_EQ(capture.Check(grown + milliseconds(2000)), TCaptureEnd::Idle);
    capture.Finish();
    EXPECT_TRUE(record.Messages.empty());
    EXPECT_EQ(record.Warnings,
              std::vector<std::string>{"1001 incomplete system exclusive messages dropped, the "
                                       "first after 4 bytes: a new message started"});

    // Bytes outside any message are no progress either.
    TCapture outside(seconds(2), {});
    outside.Feed(Bytes(100, 0x55));
    EXPECT_EQ(outside.Check(TCapture::TClock::now() + milliseconds(2000)), TCaptureEnd::Idle);
}

// Bytes the input lost cut the message under way; the loss is told once, with its count.
TEST(Capture, OverrunDropsTheMessageUnderWayAndIsToldOnce) {
    TCaptureRecord record;
    TCapture capture(seconds(2), record.Handlers());
    capture.Feed(Bytes{0xF0, 0x01});
    capture.Overrun("events lost");
    capture.Overrun("events lost");
    capture.Feed(Bytes{0x02, 0xF7, 0xF0, 0x03, 0xF7});
    capture.Finish();
    EXPECT_EQ(record.Messages, (std::vector<Bytes>{{0xF0, 0x03, 0xF7}}));
    EXPECT_EQ(record.Warnings,
              (std::vector<std::string>{
                  "Incomplete system exclusive message dropped after 2 bytes: bytes were lost",
                  "2 bytes outside system exclusive messages ignored", "events lost (2 times)"}));
}

TEST(Capture, StopPortErrorAndSizeEndIt) {
    std::atomic<bool> interrupted = true;
    TCaptureRecord stopped;
    TCapture byRequest(seconds(2), stopped.Handlers());
    byRequest.Feed(Bytes{0xF0, 0x01});
    EXPECT_EQ(byRequest.Wait(interrupted, seconds(60)), TCaptureEnd::Request);
    byRequest.Finish();
    EXPECT_EQ(stopped.Warnings.size(), 1u);

    TCapture failed(seconds(2), {});
    failed.Fail("port gone");
    failed.Stop();
    EXPECT_EQ(failed.Check(TCapture::TClock::now()), TCaptureEnd::PortError);
    EXPECT_EQ(failed.Error(), "port gone");

    // Six bytes in all: the second message would make seven, so it and all after it go.
    TCaptureRecord full;
    TCapture tooLarge(seconds(2), full.Handlers(), 6);
    tooLarge.Feed(Bytes{0xF0, 0x01, 0xF7, 0xF0, 0x02, 0x03, 0xF7, 0xF0, 0xF7});
    EXPECT_EQ(tooLarge.Check(TCapture::TClock::now()), TCaptureEnd::TooLarge);
    EXPECT_EQ(full.Messages, (std::vector<Bytes>{{0xF0, 0x01, 0xF7}}));

    // Exactly six bytes fill the limit and are kept.
    TCaptureRecord exact;
    TCapture filled(seconds(2), exact.Handlers(), 6);
    filled.Feed(Bytes{0xF0, 0x01, 0xF7, 0xF0, 0x02, 0xF7});
    EXPECT_EQ(filled.Check(TCapture::TClock::now()), TCaptureEnd::Running);
    EXPECT_EQ(exact.Messages.size(), 2u);
}

// The hand-over from JACK's process thread: events whole or not at all, and the first one after
// a loss says so, once.
TEST(EventRing, HandsOverWholeEventsAndMarksWhereSomeWereLost) {
    TEventRing ring(64); // 63 bytes of room; each event takes 4 more for its header
    ring.Push(Bytes{0xF0, 0x01});
    ring.Push(Bytes(40, 0x55));
    ring.Push(Bytes(20, 0x55)); // 24 bytes, 13 left: lost
    ring.Push(Bytes{0x56, 0xF7});
    struct TPopped {
        Bytes Event;
        bool LostBefore;
        bool operator==(const TPopped&) const = default;
    };
    std::vector<TPopped> popped;
    Bytes event;
    bool lostBefore = false;
    while (ring.Pop(event, lostBefore)) {
        popped.push_back({event, lostBefore});
    }
    EXPECT_EQ(popped, (std::vector<TPopped>{
                          {{0xF0, 0x01}, false}, {Bytes(40, 0x55), false}, {{0x56, 0xF7}, true}}));
    EXPECT_FALSE(ring.TakeLostAtEnd());
    // An event larger than the whole ring is lost too, and told at the end, once.
    ring.Push(Bytes(100, 0x55));
    EXPECT_FALSE(ring.Pop(event, lostBefore));
    EXPECT_TRUE(ring.TakeLostAtEnd());
    EXPECT_FALSE(ring.TakeLostAtEnd());
}

TEST(DumpSummary, CountsMessagesBytesModelAndPresets) {
    TDumpSummary summary;
    EXPECT_EQ(summary.Text(), "0 messages, 0 bytes, model unknown, 0 presets");
    summary.Add(Bytes{0xF0, 0x43, 0x10, 0x5A, 0x21, 0xF7}); // another maker's
    summary.Add(Bytes{0xF0, 0x00, 0x00, 0x10, 0x00, 0x57, 0x21, 0x00, 0xF7});
    summary.Add(Bytes{0xF0, 0x00, 0x00, 0x10, 0x00, 0x5A, 0x24, 0x00, 0xF7});
    EXPECT_EQ(summary.Text(), "3 messages, 24 bytes, QVR-2, 1 preset");
    TDumpSummary one;
    one.Add(Bytes{0xF7});
    EXPECT_EQ(one.Text(), "1 message, 1 byte, model unknown, 0 presets");
}

TEST(MidiPorts, FindPortTakesTheOneMatch) {
    const std::vector<std::string> ports = {"Midi Through:Port-0 14:0", "QVR-3:QVR-3 MIDI 1 20:0",
                                            "QVR-3:QVR-3 MIDI 2 20:1", "sender:out"};
    EXPECT_EQ(FindPort(ports, "MIDI 2"), 2u);
    EXPECT_EQ(FindPort(ports, "sender:out"), 3u);
    EXPECT_THROW(FindPort(ports, "QVR-3"), EMidiError);
    EXPECT_THROW(FindPort(ports, "KDT"), EMidiError);
    EXPECT_THROW(FindPort({}, "x"), EMidiError);
    try {
        FindPort(ports, "QVR");
        ADD_FAILURE() << "two matches taken as one";
    } catch (const EMidiError& e) {
        EXPECT_STREQ(e.what(), "several MIDI input ports match 'QVR': 'QVR-3:QVR-3 MIDI 1 20:0' "
                               "'QVR-3:QVR-3 MIDI 2 20:1'");
    }
}

} // namespace

} // namespace qvr::test
