#include "util/MessengerSend.h"

#include <arpa/inet.h>
#include <atomic>
#include <cctype>
#include <cstring>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <random>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace util {

namespace {

std::mutex optionsMutex;
TSendOptions defaultOptions; // guarded by optionsMutex

// RFC 1002 datagram header: direct unique datagram; flags: first fragment, no more fragments,
// source node type h-node (the SNT bits 11), as Windows workstations send it.
constexpr std::uint8_t kDirectUniqueDatagram = 0x10;
constexpr std::uint8_t kFlagFirst = 0x02;
constexpr std::uint8_t kNodeTypeH = 0x03 << 2;
constexpr std::size_t kDatagramHeaderSize = 14;

// SMB_COM_TRANSACTION carrying a mailslot write (class 2, unreliable).
constexpr std::uint8_t kSmbComTransaction = 0x25;
constexpr std::size_t kSmbHeaderSize = 32;
constexpr std::uint8_t kTransactionWordCount = 17; // 14 words and 3 setup words
constexpr std::uint16_t kMailslotWrite = 0x0001;
constexpr std::uint16_t kSecondClass = 0x0002;
// Where the mailslot name starts (after the words and the byte count), and where the data starts:
// after the name and its zero byte, on the next 4-byte boundary.
constexpr std::size_t kNameOffset = kSmbHeaderSize + 1 + 2 * kTransactionWordCount + 2;
constexpr std::size_t kDataOffset =
    (kNameOffset + std::char_traits<char>::length(kMessengerMailslot) + 1 + 3) & ~std::size_t(3);
static_assert(kDataOffset == kMaxMailslotWrite - kMaxMessengerMessage);

constexpr std::size_t kMaxSenderTitle = 255;
constexpr std::size_t kMaxTextCharacters = 255;

// Datagram ids of this process, consecutive from a random start.
std::atomic<std::uint16_t> nextDatagramId{[] {
    std::random_device seed;
    return static_cast<std::uint16_t>(seed());
}()};

void putBigEndian16(std::string& out, std::uint16_t v) {
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v & 0xFF);
}

void putLittleEndian16(std::string& out, std::uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void putLittleEndian32(std::string& out, std::uint32_t v) {
    putLittleEndian16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    putLittleEndian16(out, static_cast<std::uint16_t>(v >> 16));
}

bool isIpv4Literal(const std::string& text) {
    in_addr addr{};
    return inet_pton(AF_INET, text.c_str(), &addr) == 1;
}

// The SMB part of the datagram: header, transaction words, mailslot name, the padding that puts
// the data on a 4-byte boundary, and the data.
std::string mailslotWrite(const std::string& data) {
    const std::string name = std::string(kMessengerMailslot) + '\0';
    const auto dataCount = static_cast<std::uint16_t>(data.size());

    std::string smb;
    smb.reserve(kDataOffset + data.size());
    // Header: Windows sends every field but the protocol and the command as zero.
    smb += "\xFFSMB";
    smb += static_cast<char>(kSmbComTransaction);
    smb.append(kSmbHeaderSize - smb.size(), '\0');

    smb += static_cast<char>(kTransactionWordCount);
    putLittleEndian16(smb, 0);         // TotalParameterCount
    putLittleEndian16(smb, dataCount); // TotalDataCount
    putLittleEndian16(smb, 0);         // MaxParameterCount
    putLittleEndian16(smb, 0);         // MaxDataCount
    smb += '\0';                       // MaxSetupCount
    smb += '\0';                       // Reserved
    putLittleEndian16(smb, 0);         // Flags
    putLittleEndian32(smb, 0);         // Timeout: none
    putLittleEndian16(smb, 0);         // Reserved2
    putLittleEndian16(smb, 0);         // ParameterCount
    putLittleEndian16(smb, 0);         // ParameterOffset: no parameters
    putLittleEndian16(smb, dataCount); // DataCount
    putLittleEndian16(smb, static_cast<std::uint16_t>(kDataOffset));
    smb += '\x03'; // SetupCount
    smb += '\0';   // Reserved3
    putLittleEndian16(smb, kMailslotWrite);
    putLittleEndian16(smb, 0); // Priority
    putLittleEndian16(smb, kSecondClass);
    putLittleEndian16(smb, static_cast<std::uint16_t>(kDataOffset - kNameOffset + data.size()));
    smb += name;
    smb.append(kDataOffset - smb.size(), '\0');
    smb += data;
    return smb;
}

struct Addressing {
    std::uint16_t id = 0;
    in_addr sourceIp{};           // network order
    std::uint16_t sourcePort = 0; // host order
    std::string sourceName;
    std::string destinationName;
};

std::string netbiosDatagram(const Addressing& a, const std::string& userData) {
    const std::string source = EncodeNetbiosName(a.sourceName, kWorkstationSuffix);
    const std::string destination = EncodeNetbiosName(a.destinationName, kMessengerSuffix);
    std::string out;
    out.reserve(kDatagramHeaderSize + source.size() + destination.size() + userData.size());
    out += static_cast<char>(kDirectUniqueDatagram);
    out += static_cast<char>(kNodeTypeH | kFlagFirst);
    putBigEndian16(out, a.id);
    out.append(reinterpret_cast<const char*>(&a.sourceIp.s_addr), 4);
    putBigEndian16(out, a.sourcePort);
    // DGM_LENGTH counts the two encoded names and the user data.
    putBigEndian16(
        out, static_cast<std::uint16_t>(source.size() + destination.size() + userData.size()));
    putBigEndian16(out, 0); // PACKET_OFFSET: the one and only fragment
    out += source;
    out += destination;
    out += userData;
    return out;
}

std::string localHostName() {
    char buffer[256] = {};
    if (::gethostname(buffer, sizeof buffer - 1) != 0)
        return "QUENBY";
    return buffer;
}

// The machine's IPv4 address; false for a name that does not resolve.
bool resolve(const std::string& machine, in_addr& address) {
    if (inet_pton(AF_INET, machine.c_str(), &address) == 1)
        return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(machine.c_str(), nullptr, &hints, &found) != 0 || !found)
        return false;
    address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    ::freeaddrinfo(found);
    return true;
}

class Socket {
public:
    Socket() : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {}
    ~Socket() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

} // namespace

TSendOptions DefaultSendOptions() {
    std::lock_guard lock(optionsMutex);
    return defaultOptions;
}

void SetDefaultSendOptions(const TSendOptions& options) {
    std::lock_guard lock(optionsMutex);
    defaultOptions = options;
}

std::string MessengerMessage(const std::string& sender, const std::string& title,
                             const std::string& text) {
    std::string senderTitle = sender + '\0' + title + '\0';
    if (senderTitle.size() > kMaxSenderTitle)
        senderTitle.resize(kMaxSenderTitle);

    // The text ends before the lead byte of its 256th character.
    std::size_t end = 0, characters = 0;
    for (; end < text.size(); ++end) {
        const bool continuation = (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80;
        if (!continuation && ++characters > kMaxTextCharacters)
            break;
    }

    std::string message;
    message.reserve(2 + senderTitle.size() + end);
    message += '\x01';
    message += static_cast<char>(senderTitle.size());
    message += senderTitle;
    message.append(text, 0, end);
    return message;
}

std::string NetbiosName(const std::string& machine) {
    std::string name = isIpv4Literal(machine) ? machine : machine.substr(0, machine.find('.'));
    if (name.size() > 15)
        name.resize(15);
    for (char& c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

std::string EncodeNetbiosName(const std::string& name, std::uint8_t suffix) {
    std::string padded = name.substr(0, 15);
    padded.resize(15, ' ');
    padded += static_cast<char>(suffix);
    std::string out;
    out.reserve(34);
    out += static_cast<char>(32);
    for (char c : padded) {
        const auto byte = static_cast<unsigned char>(c);
        out += static_cast<char>('A' + (byte >> 4));
        out += static_cast<char>('A' + (byte & 0x0F));
    }
    out += '\0';
    return out;
}

bool IsMachineName(const std::string& machine) {
    if (machine.empty() || machine.size() > 253)
        return false;
    std::size_t label = 0;
    for (char c : machine) {
        if (c == '.') {
            if (label == 0)
                return false;
            label = 0;
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        if (!std::isalnum(byte) && c != '-' && c != '_')
            return false;
        if (++label > 63)
            return false;
    }
    return label > 0;
}

void SendMessageTo(const std::string& machine, const std::string& sender, const std::string& title,
                   const std::string& text) {
    SendMessageTo(machine, sender, title, text, DefaultSendOptions());
}

void SendMessageTo(const std::string& machine, const std::string& sender, const std::string& title,
                   const std::string& text, const TSendOptions& options) {
    // A text that cannot name a machine is never handed to the resolver (no name-server query).
    in_addr destinationIp{};
    if (!IsMachineName(machine) || !resolve(machine, destinationIp))
        return;

    const std::string message = MessengerMessage(sender, title, text);
    if (message.size() > kMaxMessengerMessage)
        throw ESendError();

    Socket socket;
    if (socket.fd() < 0)
        throw ESendError();
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    destination.sin_port = htons(options.port);
    destination.sin_addr = destinationIp;
    // Connecting picks the route, and with it the source address the datagram header names.
    if (::connect(socket.fd(), reinterpret_cast<const sockaddr*>(&destination),
                  sizeof destination) != 0)
        throw ESendError();
    sockaddr_in local{};
    socklen_t localSize = sizeof local;
    if (::getsockname(socket.fd(), reinterpret_cast<sockaddr*>(&local), &localSize) != 0)
        throw ESendError();

    Addressing addressing;
    addressing.id = nextDatagramId.fetch_add(1);
    addressing.sourceIp = local.sin_addr;
    addressing.sourcePort = ntohs(local.sin_port);
    addressing.sourceName =
        NetbiosName(options.sourceName.empty() ? localHostName() : options.sourceName);
    addressing.destinationName = NetbiosName(machine);
    const std::string datagram = netbiosDatagram(addressing, mailslotWrite(message));

    // One datagram, sent whole; naming the address again lets the socket refuse an invalid
    // destination (port 0) instead of sending it.
    const ssize_t sent =
        ::sendto(socket.fd(), datagram.data(), datagram.size(), MSG_NOSIGNAL,
                 reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
    if (sent < 0 || static_cast<std::size_t>(sent) != datagram.size())
        throw ESendError();
}

} // namespace util
