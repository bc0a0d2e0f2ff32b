// The component's settings as the port's termios words and receive options,
// and the receive queue's decoding of the marked stream: data, no port.
#include <gtest/gtest.h>
#include <termios.h>

#include "ZcommFixtures.h"

using gdltest::Bytes;

namespace {

TEST(ComputeLineSettings, MapsEachLineSetting) {
    struct Case {
        gdl::TParity parity;
        gdl::TDataBits bits;
        gdl::TStopBits stop;
        tcflag_t cflag;
    };
    const std::vector<Case> cases = {
        {gdl::no_parity, gdl::databits8, gdl::stop1, CS8},
        {gdl::odd_parity, gdl::databits7, gdl::stop1, CS7 | PARENB | PARODD},
        {gdl::even_parity, gdl::databits8, gdl::stop2, CS8 | PARENB | CSTOPB},
        {gdl::mark_parity, gdl::databits6, gdl::stop1, CS6 | PARENB | CMSPAR | PARODD},
        {gdl::space_parity, gdl::databits5, gdl::stop2, CS5 | PARENB | CMSPAR | CSTOPB},
    };
    constexpr tcflag_t kLineBits = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
    for (const auto& c : cases) {
        gdl::TZComm comm{nullptr};
        comm.Parity = c.parity;
        comm.DataBits = c.bits;
        comm.StopBits = c.stop;
        comm.BaudRate = 19200;
        auto words = gdl::LineTermios(comm.Settings());
        ASSERT_TRUE(words) << words.Err().Message();
        EXPECT_EQ(words->cflag & kLineBits, c.cflag) << c.parity << " " << c.bits;
        EXPECT_EQ(words->speed, static_cast<unsigned long>(B19200));
    }
}

TEST(ComputeLineSettings, MapsFlowControlAndReceiveOptions) {
    gdl::TZComm comm{nullptr};
    comm.CTSFlowCtl = true;
    comm.XOnChar = 0x21;
    comm.XOffChar = 0x23;
    comm.XInputFlowCtl = false;
    comm.DiscardNULL = true;
    comm.ErrorReplace = true;
    auto words = gdl::LineTermios(comm.Settings());
    ASSERT_TRUE(words) << words.Err().Message();
    EXPECT_NE(words->cflag & CRTSCTS, 0u);
    EXPECT_EQ(words->iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON));
    EXPECT_EQ(words->vstart, 0x21);
    EXPECT_EQ(words->vstop, 0x23);
    auto receive = gdl::ReceiveOptions(comm.Settings());
    EXPECT_TRUE(receive.marked && receive.discardNull);
    EXPECT_EQ(receive.errorChar, '~');
    comm.EnableParity = false;
    words = gdl::LineTermios(comm.Settings());
    EXPECT_EQ(words->iflag & (INPCK | PARMRK), 0u);
    EXPECT_FALSE(gdl::ReceiveOptions(comm.Settings()).marked);
}

TEST(ReceiveQueue, DecodesTheMarkedStream) {
    struct Case {
        const char* name;
        std::vector<Bytes> reads;
        Bytes data;
        int errors;
        gdl::ReceiveQueue::Options options;
    };
    gdl::ReceiveQueue::Options marked;
    marked.marked = true;
    auto with = [&](auto change) {
        auto options = marked;
        change(options);
        return options;
    };
    const std::vector<Case> cases = {
        {"plain", {{1, 2, 0x0A}}, {1, 2, 0x0A}, 0, marked},
        {"real FF", {{0xFF, 0xFF, 3}}, {0xFF, 3}, 0, marked},
        {"parity error", {{1, 0xFF, 0x00, 0x42, 2}}, {1, 0x42, 2}, gdl::kCeRxParity, marked},
        {"break", {{0xFF, 0x00, 0x00}}, {0x00}, gdl::kCeBreak, marked},
        {"mark split over reads",
         {{7, 0xFF}, {0x00}, {0x43, 8}},
         {7, 0x43, 8},
         gdl::kCeRxParity,
         marked},
        {"FF split over reads", {{0xFF}, {0xFF}}, {0xFF}, 0, marked},
        {"unknown escape kept", {{0xFF, 0x41}}, {0xFF, 0x41}, 0, marked},
        {"unmarked FF 00", {{0xFF, 0x00, 0x42}}, {0xFF, 0x00, 0x42}, 0, {}},
        {"nulls discarded", {{0, 1, 0xFF, 0x00, 0x00, 2}}, {1, 2}, gdl::kCeBreak, with([](auto& o) {
             o.discardNull = true;
         })},
        {"error char", {{0xFF, 0x00, 0x42}}, {'~'}, gdl::kCeRxParity, with([](auto& o) {
             o.errorChar = '~';
         })},
        {"overflow", {{1, 2, 3}}, {1, 2}, gdl::kCeRxOver, with([](auto& o) { o.capacity = 2; })},
    };
    for (const auto& c : cases) {
        gdl::ReceiveQueue queue;
        queue.Configure(c.options);
        for (const auto& read : c.reads) queue.Feed(read.data(), read.size());
        unsigned char buffer[16];
        auto taken = queue.Take(buffer, sizeof buffer);
        EXPECT_EQ(Bytes(buffer, buffer + taken.count), c.data) << c.name;
        EXPECT_EQ(taken.errors, c.errors) << c.name;
        EXPECT_EQ(queue.Take(buffer, sizeof buffer).errors, 0) << c.name;
    }
}

TEST(ReceiveQueue, TheDriversCountersNameTheKindOfError) {
    gdl::ReceiveQueue queue;
    queue.Configure({true, false, std::nullopt, 64});
    const Bytes framed = {0xFF, 0x00, 0x42};
    queue.Feed(framed.data(), framed.size(), gdl::kCeFrame | gdl::kCeOverrun);
    unsigned char buffer[4];
    auto taken = queue.Take(buffer, sizeof buffer);
    EXPECT_EQ(taken.errors, gdl::kCeFrame | gdl::kCeOverrun);
    EXPECT_EQ(taken.count, 1u);
}

}  // namespace
