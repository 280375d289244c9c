// The send operation of the messenger: delivers one short text to the messenger mailslot
// \MAILSLOT\MESSNGR of one client machine, as a NetBIOS datagram (UDP) carrying an SMB mailslot
// write. Any thread may call these functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace util {

// A message that could not be written; the text is always "Send error".
class ESendError : public std::runtime_error {
public:
    ESendError() : std::runtime_error("Send error") {}
};

// The UDP port of the NetBIOS datagram service.
inline constexpr std::uint16_t kNetbiosDatagramPort = 138;
// The messenger's mailslot on the client machines.
inline constexpr const char* kMessengerMailslot = "\\MAILSLOT\\MESSNGR";
// The 16th byte of the NetBIOS name the messenger service of a machine listens on.
inline constexpr std::uint8_t kMessengerSuffix = 0x03;
// The 16th byte of our own (workstation) name.
inline constexpr std::uint8_t kWorkstationSuffix = 0x00;
// The longest SMB mailslot write a NetBIOS datagram carries to a Windows receiver, and so the
// longest message: that minus the 88 bytes before the message (SMB header, transaction words,
// the mailslot name and the alignment byte).
inline constexpr std::size_t kMaxMailslotWrite = 512;
inline constexpr std::size_t kMaxMessengerMessage = kMaxMailslotWrite - 88;

struct TSendOptions {
    // Where the datagram goes; tests point it at a receiver on the loopback interface.
    std::uint16_t port = kNetbiosDatagramPort;
    // Our NetBIOS name in the datagram; empty: this workstation's host name.
    std::string sourceName;
};

// The options SendMessageTo uses when none are given (port 138, this host's name). Tests of
// the callers point the port at their own receiver.
TSendOptions DefaultSendOptions();
void SetDefaultSendOptions(const TSendOptions& options);

// The message written to the mailslot: the byte 0x01, L, then L bytes of sender name, a zero
// byte, title, a zero byte (cut to 255 bytes should it be longer), then the text with no
// terminating zero, cut to its first 255 characters (UTF-8 code points).
std::string MessengerMessage(const std::string& sender, const std::string& title,
                             const std::string& text);

// The NetBIOS name of a machine: its host name up to the first dot (an IPv4 address stays
// whole), upper-cased, at most 15 bytes.
std::string NetbiosName(const std::string& machine);

// The first-level encoding of a NetBIOS name as the datagram carries it (34 bytes): the length
// 32, each byte of the name padded with blanks to 15 bytes plus the suffix as two letters
// 'A' + high nibble, 'A' + low nibble, and the empty scope (a zero byte).
std::string EncodeNetbiosName(const std::string& name, std::uint8_t suffix);

// Whether a text can name a machine: dot-separated labels of 1 to 63 letters, digits, hyphens
// or underscores, 253 characters at most. Other texts are never looked up.
bool IsMachineName(const std::string& machine);

// Sends the text to the messenger of the machine. A name that is not a machine, or that does
// not resolve to an IPv4 address, is skipped without a word (nothing is sent). Raises
// ESendError when the message does not fit one datagram or the socket refuses it. A datagram
// that arrives where nothing listens is not an error: UDP, like the mailslot's second-class
// write, is not acknowledged.
void SendMessageTo(const std::string& machine, const std::string& sender, const std::string& title,
                   const std::string& text);
void SendMessageTo(const std::string& machine, const std::string& sender, const std::string& title,
                   const std::string& text, const TSendOptions& options);

} // namespace util
