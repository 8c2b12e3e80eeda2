#pragma once
// What the image writers share inside the platform layer.
#include "platform/image_write.h"

#include <string>

namespace image_write_detail {

// The source's reason when it stopped on its own, else the sink's, else fallback.
std::string StopReason(const TRowSource& src, const TByteSink& sink, const char* fallback);
// True, with the reason, for a picture without rows or columns.
bool SizeError(const TRowSource& src, std::string& error);

} // namespace image_write_detail
