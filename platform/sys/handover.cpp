#include "platform/sys/handover.h"

#include <algorithm>

namespace handover {

std::string Frame(std::string_view body)
{
    const uint32_t n = static_cast<uint32_t>(body.size());
    std::string out;
    out.reserve(4 + body.size());
    out.push_back(static_cast<char>((n >> 24) & 0xFF));
    out.push_back(static_cast<char>((n >> 16) & 0xFF));
    out.push_back(static_cast<char>((n >> 8) & 0xFF));
    out.push_back(static_cast<char>(n & 0xFF));
    out.append(body);
    return out;
}

TFrameReader::TState TFrameReader::Feed(std::string_view bytes)
{
    if (state_ != TState::NeedMore)
        return state_;
    while (headHave_ < 4 && !bytes.empty()) {
        head_[headHave_++] = static_cast<unsigned char>(bytes.front());
        bytes.remove_prefix(1);
        if (headHave_ == 4) {
            want_ = (uint32_t(head_[0]) << 24) | (uint32_t(head_[1]) << 16) | (uint32_t(head_[2]) << 8) |
                    uint32_t(head_[3]);
            if (want_ > kMaxBody)
                return state_ = TState::TooLong;
            body_.reserve(want_);
        }
    }
    if (headHave_ < 4)
        return state_;
    const std::size_t take = std::min<std::size_t>(bytes.size(), want_ - body_.size());
    body_.append(bytes.substr(0, take));
    if (body_.size() == want_)
        state_ = TState::Ready;
    return state_;
}

TRequest ParseRequest(std::string_view body)
{
    TRequest r;
    if (body.empty())
        return r;
    if (body.front() == 'R') {
        r.Kind = TRequest::TKind::Raise;
        return r;
    }
    if (body.front() != 'O')
        return r;
    const std::string_view path = body.substr(1);
    if (path.empty() || path.size() > kMaxPath || path.find_first_of(std::string_view("\0\r\n", 3)) != std::string_view::npos)
        return r;
    r.Kind = TRequest::TKind::Open;
    r.Path = std::string(path);
    return r;
}

std::string RequestBody(const TRequest& request)
{
    switch (request.Kind) {
    case TRequest::TKind::Raise: return "R";
    case TRequest::TKind::Open: return "O" + request.Path;
    case TRequest::TKind::Invalid: break;
    }
    return {};
}

} // namespace handover
