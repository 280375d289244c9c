// The receiving side of the messenger for tests: a UDP socket on 127.0.0.1 and a reader of the
// NetBIOS datagram carrying an SMB mailslot write, field by field, written from the protocol
// documents (RFC 1002 4.4.1, the SMB header and SMB_COM_TRANSACTION mailslot write).
#pragma once

#include <arpa/inet.h>
#include <cstdint>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace testing_support {

class MessengerReceiver {
public:
    MessengerReceiver() : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &size) != 0)
            throw std::runtime_error("cannot bind a UDP socket on 127.0.0.1");
        port_ = ntohs(a.sin_port);
    }
    ~MessengerReceiver() { Close(); }
    MessengerReceiver(const MessengerReceiver&) = delete;
    MessengerReceiver& operator=(const MessengerReceiver&) = delete;

    std::uint16_t Port() const { return port_; }
    void Close() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

    // The next datagram and where it came from, waiting at most timeoutMs for it.
    std::optional<std::string> Receive(int timeoutMs, sockaddr_in* from = nullptr) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) != 1)
            return std::nullopt;
        char buffer[65536];
        sockaddr_in peer{};
        socklen_t size = sizeof peer;
        const ssize_t n =
            ::recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&peer), &size);
        if (n < 0)
            return std::nullopt;
        if (from)
            *from = peer;
        return std::string(buffer, std::size_t(n));
    }

private:
    int fd_;
    std::uint16_t port_ = 0;
};

struct MailslotDatagram {
    // NetBIOS datagram header (big-endian)
    std::uint8_t msgType = 0, flags = 0;
    std::uint16_t dgmId = 0, sourcePort = 0, dgmLength = 0, packetOffset = 0;
    std::string sourceIp;                           // dotted
    std::string sourceNameEncoded, destNameEncoded; // 34 bytes each, as sent
    std::string sourceName, destName;               // decoded 16 bytes, suffix last
    // SMB header and transaction request (little-endian)
    std::string smbHeader; // 32 bytes
    std::uint8_t wordCount = 0, maxSetupCount = 0, reserved = 0, setupCount = 0, reserved3 = 0;
    std::uint16_t totalParameterCount = 0, totalDataCount = 0, maxParameterCount = 0,
                  maxDataCount = 0, transactionFlags = 0, reserved2 = 0, parameterCount = 0,
                  parameterOffset = 0, dataCount = 0, dataOffset = 0, opcode = 0, priority = 0,
                  mailslotClass = 0, byteCount = 0;
    std::uint32_t timeout = 0;
    std::string mailslotName, padding, data;
    // The message in the data: 0x01, L, sender, 0, title, 0, text.
    std::string senderTitle, text;
};

// Reads every byte of a datagram; throws std::runtime_error naming what is malformed.
inline MailslotDatagram ParseMailslotDatagram(const std::string& bytes) {
    std::size_t at = 0;
    auto need = [&](std::size_t n) {
        if (at + n > bytes.size())
            throw std::runtime_error("datagram ends at byte " + std::to_string(bytes.size()));
    };
    auto u8 = [&] {
        need(1);
        return std::uint8_t(bytes[at++]);
    };
    auto be16 = [&] { return std::uint16_t((u8() << 8) | u8()); };
    auto le16 = [&] { return std::uint16_t(u8() | (u8() << 8)); };
    auto le32 = [&] { return std::uint32_t(le16() | (std::uint32_t(le16()) << 16)); };
    auto take = [&](std::size_t n) {
        need(n);
        at += n;
        return bytes.substr(at - n, n);
    };
    auto name = [&](std::string& encoded, std::string& decoded) {
        encoded = bytes.substr(at, 34);
        if (u8() != 32)
            throw std::runtime_error("name length is not 32");
        for (int i = 0; i < 16; ++i) {
            const int high = u8() - 'A', low = u8() - 'A';
            if (high < 0 || high > 15 || low < 0 || low > 15)
                throw std::runtime_error("name letter outside A..P");
            decoded += char(high << 4 | low);
        }
        if (u8() != 0)
            throw std::runtime_error("name has a scope");
    };

    MailslotDatagram d;
    d.msgType = u8();
    d.flags = u8();
    d.dgmId = be16();
    const std::string ip = take(4);
    char dotted[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, ip.data(), dotted, sizeof dotted);
    d.sourceIp = dotted;
    d.sourcePort = be16();
    d.dgmLength = be16();
    d.packetOffset = be16();
    name(d.sourceNameEncoded, d.sourceName);
    name(d.destNameEncoded, d.destName);

    const std::size_t smb = at;
    d.smbHeader = take(32);
    d.wordCount = u8();
    d.totalParameterCount = le16();
    d.totalDataCount = le16();
    d.maxParameterCount = le16();
    d.maxDataCount = le16();
    d.maxSetupCount = u8();
    d.reserved = u8();
    d.transactionFlags = le16();
    d.timeout = le32();
    d.reserved2 = le16();
    d.parameterCount = le16();
    d.parameterOffset = le16();
    d.dataCount = le16();
    d.dataOffset = le16();
    d.setupCount = u8();
    d.reserved3 = u8();
    d.opcode = le16();
    d.priority = le16();
    d.mailslotClass = le16();
    d.byteCount = le16();
    if (at + d.byteCount != bytes.size())
        throw std::runtime_error("byte count does not reach the end of the datagram");
    const std::size_t zero = bytes.find('\0', at);
    if (zero == std::string::npos)
        throw std::runtime_error("mailslot name has no terminating zero");
    d.mailslotName = take(zero - at);
    at += 1;
    if (smb + d.dataOffset < at)
        throw std::runtime_error("data offset points into the mailslot name");
    d.padding = take(smb + d.dataOffset - at);
    d.data = take(d.dataCount);
    if (at != bytes.size())
        throw std::runtime_error("bytes after the data");

    if (d.data.size() < 2 || d.data[0] != '\x01' ||
        std::size_t(2 + std::uint8_t(d.data[1])) > d.data.size())
        throw std::runtime_error("message does not start with 0x01 and a fitting length");
    d.senderTitle = d.data.substr(2, std::uint8_t(d.data[1]));
    d.text = d.data.substr(2 + d.senderTitle.size());
    return d;
}

} // namespace testing_support
