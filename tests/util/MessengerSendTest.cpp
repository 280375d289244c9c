// The messenger's send operation: the message bytes, the NetBIOS names, and the datagram as a
// receiver on 127.0.0.1 gets it, byte by byte.
#include "util/MessengerSend.h"

#include "MessengerReceiver.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

using testing_support::MailslotDatagram;
using testing_support::MessengerReceiver;
using testing_support::ParseMailslotDatagram;

constexpr int kWaitMs = 5000;

std::string repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

class SendMessageTo : public ::testing::Test {
protected:
    util::TSendOptions options() const {
        util::TSendOptions o;
        o.port = receiver.Port();
        o.sourceName = "quenby-ws";
        return o;
    }
    MailslotDatagram receive(sockaddr_in* from = nullptr) {
        const std::optional<std::string> bytes = receiver.Receive(kWaitMs, from);
        if (!bytes)
            throw std::runtime_error("no datagram arrived");
        return ParseMailslotDatagram(*bytes);
    }
    // Nothing arrived before: a marker sent now is the next datagram, and the last one.
    void expectNothingElseSent() {
        util::SendMessageTo("localhost", "QBY", "Oracle Client", "marker", options());
        EXPECT_EQ(receive().text, "marker");
        EXPECT_FALSE(receiver.Receive(0));
    }
    MessengerReceiver receiver;
};

TEST(MessengerMessage, AFiveLetterMessageFromQbyIs25Bytes) {
    const std::string m = util::MessengerMessage("QBY", "Oracle Client", "Hello");
    EXPECT_EQ(m, std::string("\x01\x12QBY\0Oracle Client\0Hello", 25));
}

TEST(MessengerMessage, SenderAndTitleLongerThan255BytesAreCutTo255) {
    const std::string m =
        util::MessengerMessage(std::string(200, 'S'), std::string(100, 'T'), "Hi");
    ASSERT_EQ(m.size(), 2u + 255u + 2u);
    EXPECT_EQ(std::uint8_t(m[1]), 255);
    EXPECT_EQ(m.substr(2, 255), std::string(200, 'S') + '\0' + std::string(54, 'T'));
    EXPECT_EQ(m.substr(257), "Hi");
}

TEST(MessengerMessage, TheTextKeepsItsFirst255Characters) {
    EXPECT_EQ(util::MessengerMessage("", "", std::string(300, 'x')).substr(4),
              std::string(255, 'x'));
    // Characters, not bytes: a two-byte letter is never split.
    EXPECT_EQ(util::MessengerMessage("", "", repeat("\xC3\xA9", 300)).substr(4),
              repeat("\xC3\xA9", 255));
    EXPECT_EQ(util::MessengerMessage("", "", std::string(255, 'y')).substr(4),
              std::string(255, 'y'));
}

TEST(NetbiosName, IsTheHostNameUpToTheFirstDotUpperCasedAndAtMost15Bytes) {
    EXPECT_EQ(util::NetbiosName("client7.example.com"), "CLIENT7");
    EXPECT_EQ(util::NetbiosName("workstation-number-12"), "WORKSTATION-NUM");
    EXPECT_EQ(util::NetbiosName("10.1.2.3"), "10.1.2.3");
    // First-level encoding: a nibble a letter from 'A', blanks to 15 bytes, then the suffix.
    EXPECT_EQ(util::EncodeNetbiosName("LOCALHOST", 0x03),
              std::string("\x20"
                          "EMEPEDEBEMEIEPFDFECACACACACACAAD",
                          33) +
                  '\0');
}

TEST(NetbiosName, OnlyHostNameSyntaxNamesAMachine) {
    for (const char* name : {"pc-01", "WS_7", "host.example.com", "10.1.2.3"})
        EXPECT_TRUE(util::IsMachineName(name)) << name;
    for (const std::string& name :
         {std::string(), std::string("not a machine"), std::string("a..b"), std::string(".x"),
          std::string("x."), std::string("DOM\\host"), std::string(64, 'a')})
        EXPECT_FALSE(util::IsMachineName(name)) << name;
}

TEST_F(SendMessageTo, DeliversOneDatagramLaidOutAsTheProtocolsSay) {
    util::SendMessageTo("localhost", "QBY", "Oracle Client", "Hello", options());
    sockaddr_in from{};
    const std::optional<std::string> bytes = receiver.Receive(kWaitMs, &from);
    ASSERT_TRUE(bytes);
    const MailslotDatagram d = ParseMailslotDatagram(*bytes);

    // 14 header bytes, two 34-byte names, 88 bytes of SMB before the 25-byte message.
    EXPECT_EQ(bytes->size(), 14u + 34u + 34u + 88u + 25u);
    EXPECT_EQ(d.msgType, 0x10); // direct unique datagram
    EXPECT_EQ(d.flags, 0x0E);   // h-node, first fragment, no more
    EXPECT_EQ(d.sourceIp, "127.0.0.1");
    EXPECT_EQ(d.sourcePort, ntohs(from.sin_port));
    EXPECT_EQ(d.dgmLength, bytes->size() - 14);
    EXPECT_EQ(d.packetOffset, 0);
    EXPECT_EQ(d.sourceName, std::string("QUENBY-WS      ") + '\0');
    EXPECT_EQ(d.destName, std::string("LOCALHOST      \x03"));
    EXPECT_EQ(d.destNameEncoded, util::EncodeNetbiosName("LOCALHOST", 0x03));

    EXPECT_EQ(d.smbHeader, std::string("\xFFSMB\x25") + std::string(27, '\0'));
    EXPECT_EQ(d.wordCount, 17);
    EXPECT_EQ(d.totalParameterCount, 0);
    EXPECT_EQ(d.totalDataCount, 25);
    EXPECT_EQ(d.maxParameterCount, 0);
    EXPECT_EQ(d.maxDataCount, 0);
    EXPECT_EQ(d.maxSetupCount, 0);
    EXPECT_EQ(d.reserved, 0);
    EXPECT_EQ(d.transactionFlags, 0);
    EXPECT_EQ(d.timeout, 0u);
    EXPECT_EQ(d.reserved2, 0);
    EXPECT_EQ(d.parameterCount, 0);
    EXPECT_EQ(d.parameterOffset, 0);
    EXPECT_EQ(d.dataCount, 25);
    EXPECT_EQ(d.dataOffset, 88); // 4-byte aligned from the SMB header
    EXPECT_EQ(d.setupCount, 3);
    EXPECT_EQ(d.reserved3, 0);
    EXPECT_EQ(d.opcode, 1); // mailslot write
    EXPECT_EQ(d.priority, 0);
    EXPECT_EQ(d.mailslotClass, 2); // second class: unreliable, unacknowledged
    EXPECT_EQ(d.byteCount, 18 + 1 + 25);
    EXPECT_EQ(d.mailslotName, "\\MAILSLOT\\MESSNGR");
    EXPECT_EQ(d.padding, std::string(1, '\0'));
    EXPECT_EQ(d.data, util::MessengerMessage("QBY", "Oracle Client", "Hello"));
    EXPECT_EQ(d.senderTitle, std::string("QBY\0Oracle Client\0", 18));
    EXPECT_EQ(d.text, "Hello");
    EXPECT_FALSE(receiver.Receive(0));
}

TEST_F(SendMessageTo, ConsecutiveDatagramsHaveConsecutiveIds) {
    util::SendMessageTo("localhost", "QBY", "Oracle Client", "one", options());
    util::SendMessageTo("localhost", "QBY", "Oracle Client", "two", options());
    const MailslotDatagram first = receive(), second = receive();
    EXPECT_EQ(first.text, "one");
    EXPECT_EQ(second.text, "two");
    EXPECT_EQ(std::uint16_t(first.dgmId + 1), second.dgmId);
}

TEST_F(SendMessageTo, WithoutASourceNameTheWorkstationsHostNameIsUsed) {
    util::TSendOptions o = options();
    o.sourceName.clear();
    util::SendMessageTo("localhost", "QBY", "Oracle Client", "Hello", o);
    char host[256] = {};
    ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
    std::string expected = std::string(host).substr(0, std::string(host).find('.')).substr(0, 15);
    for (char& c : expected)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    expected.resize(15, ' ');
    EXPECT_EQ(receive().sourceName, expected + '\0');
}

TEST_F(SendMessageTo, SenderAndTitleCutTo255BytesTravelWhole) {
    util::SendMessageTo("localhost", std::string(200, 'S'), std::string(100, 'T'), "Hello",
                        options());
    const MailslotDatagram d = receive();
    EXPECT_EQ(d.dataCount, 2 + 255 + 5);
    EXPECT_EQ(d.senderTitle, std::string(200, 'S') + '\0' + std::string(54, 'T'));
    EXPECT_EQ(d.text, "Hello");
}

TEST_F(SendMessageTo, AMessageLongerThan424BytesIsASendErrorAndNothingIsSent) {
    // 20 bytes of header and sender and title, 202 two-byte letters: 424 bytes, the most that fits.
    util::SendMessageTo("localhost", "QBY", "Oracle Client", repeat("\xC3\xA9", 202), options());
    const MailslotDatagram d = receive();
    EXPECT_EQ(d.dataCount, 424);
    EXPECT_EQ(d.text, repeat("\xC3\xA9", 202));
    try {
        util::SendMessageTo("localhost", "QBY", "Oracle Client", repeat("\xC3\xA9", 203),
                            options());
        ADD_FAILURE() << "a 426-byte message was sent";
    } catch (const util::ESendError& e) {
        EXPECT_STREQ(e.what(), "Send error");
    }
    EXPECT_THROW(util::SendMessageTo("localhost", std::string(300, 'S'), "", std::string(255, 'x'),
                                     options()),
                 util::ESendError);
    expectNothingElseSent();
}

TEST_F(SendMessageTo, ANameThatIsNotAMachineIsSkippedWithoutAWord) {
    // None of these reaches a name server: they are refused before any lookup.
    for (const char* name : {"", "not a machine", "DOM\\host", "a..b"})
        EXPECT_NO_THROW(util::SendMessageTo(name, "QBY", "Oracle Client", "Hello", options()))
            << name;
    expectNothingElseSent();
}

TEST_F(SendMessageTo, ADatagramToAPortWhereNothingListensIsNoError) {
    // UDP has no acknowledgement, like the mailslot's second-class write: the datagram leaves and
    // the port-unreachable answer, if any, reaches a socket that each send has already closed.
    const util::TSendOptions o = options();
    receiver.Close();
    EXPECT_NO_THROW(util::SendMessageTo("localhost", "QBY", "Oracle Client", "one", o));
    EXPECT_NO_THROW(util::SendMessageTo("localhost", "QBY", "Oracle Client", "two", o));
}

TEST_F(SendMessageTo, ADatagramTheSocketRefusesIsASendError) {
    util::TSendOptions o = options();
    o.port = 0; // no datagram may go to port 0
    EXPECT_THROW(util::SendMessageTo("localhost", "QBY", "Oracle Client", "Hello", o),
                 util::ESendError);
    expectNothingElseSent();
}

TEST_F(SendMessageTo, ASocketThatCannotBeCreatedIsASendError) {
    // With no file descriptor left, socket() fails; a numeric address needs no lookup.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit none = saved;
    none.rlim_cur = 0;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &none), 0);
    bool raised = false;
    try {
        util::SendMessageTo("127.0.0.1", "QBY", "Oracle Client", "Hello", options());
    } catch (const util::ESendError& e) {
        raised = std::string(e.what()) == "Send error";
    }
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);
    EXPECT_TRUE(raised);
    expectNothingElseSent();
}

TEST_F(SendMessageTo, TheShortFormUsesTheDefaultOptions) {
    EXPECT_EQ(util::DefaultSendOptions().port, 138);
    const util::TSendOptions saved = util::DefaultSendOptions();
    util::SetDefaultSendOptions(options());
    util::SendMessageTo("localhost", "QBY", "Oracle Client", "Hello");
    util::SetDefaultSendOptions(saved);
    const MailslotDatagram d = receive();
    EXPECT_EQ(d.sourceName, std::string("QUENBY-WS      ") + '\0');
    EXPECT_EQ(d.text, "Hello");
}

} // namespace
