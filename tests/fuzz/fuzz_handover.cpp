// libFuzzer target for the hand-over message parser: any bytes, split anywhere, must frame
// and parse without a crash; a whole frame gives the body that was framed, and a request
// parsed and written again parses the same.
#include "platform/sys/handover.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks where the bytes are split, as they arrive from the socket.
    const std::size_t step = 1 + data[0] % 17;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    using S = handover::TFrameReader::TState;

    handover::TFrameReader reader;
    for (std::size_t at = 0; at < bytes.size() && reader.State() == S::NeedMore; at += step)
        reader.Feed(bytes.substr(at, step));
    if (reader.State() == S::Ready) {
        const std::string& body = reader.Body();
        Check(body.size() <= handover::kMaxBody);
        // The frame of that body is what was read.
        const std::string frame = handover::Frame(body);
        Check(bytes.substr(0, frame.size()) == frame);
    } else if (reader.State() == S::TooLong) {
        Check(bytes.size() >= 4);
    } else {
        Check(reader.Body().size() <= handover::kMaxBody);
    }

    // The bytes as a body.
    const handover::TRequest r = handover::ParseRequest(bytes);
    const std::string again = handover::RequestBody(r);
    if (r.Kind == handover::TRequest::TKind::Invalid) {
        Check(again.empty());
    } else {
        Check(handover::ParseRequest(again) == r);
        Check(r.Path.size() <= handover::kMaxPath);
        // And through a frame, in one piece.
        handover::TFrameReader whole;
        Check(whole.Feed(handover::Frame(again)) == S::Ready && whole.Body() == again);
    }
    return 0;
}
