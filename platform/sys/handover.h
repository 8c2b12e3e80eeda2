#pragma once
// The hand-over between copies of a program, as bytes: a later copy sends one framed
// request over a local socket. Plain C++ so that any bytes can be tried on it alone.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace handover {

// Longest request body taken; a longer one is turned away unread.
inline constexpr std::size_t kMaxBody = 64 * 1024;
// Longest path taken from a request, in bytes.
inline constexpr std::size_t kMaxPath = 4096;

// A frame: the body's length as 4 bytes, high byte first, then the body.
std::string Frame(std::string_view body);

// Collects the bytes of one connection until its frame is whole.
class TFrameReader {
public:
    enum class TState { NeedMore, Ready, TooLong };
    // Takes what arrived. Bytes after a whole frame are ignored: one request a connection.
    TState Feed(std::string_view bytes);
    TState State() const { return state_; }
    // The body once Ready.
    const std::string& Body() const { return body_; }

private:
    TState state_ = TState::NeedMore;
    unsigned char head_[4] = {};
    std::size_t headHave_ = 0;
    uint32_t want_ = 0;
    std::string body_;
};

// What a body asks for: "R" raise the running copy; "O" + path bytes: raise it and open
// the file. A path is one line (no NUL, CR or LF) of 1 to kMaxPath bytes; anything else
// is Invalid and ignored.
struct TRequest {
    enum class TKind { Invalid, Raise, Open };
    TKind Kind = TKind::Invalid;
    std::string Path;
    bool operator==(const TRequest&) const = default;
};
TRequest ParseRequest(std::string_view body);
// The body of a request (empty for Invalid).
std::string RequestBody(const TRequest& request);

} // namespace handover
