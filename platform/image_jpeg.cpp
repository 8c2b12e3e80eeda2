// The JPEG writer: rows from a source through libjpeg into a sink, baseline colour with the
// accurate transform.
#include "platform/image_write.h"
#include "platform/image_write_detail.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

using image_write_detail::SizeError;
using image_write_detail::StopReason;

namespace {

struct TJpegError {
    jpeg_error_mgr Mgr;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

extern "C" void JpegErrorExit(j_common_ptr c)
{
    auto* e = reinterpret_cast<TJpegError*>(c->err);
    (*c->err->format_message)(c, e->Message);
    std::longjmp(e->Jump, 1);
}

extern "C" void JpegNoOutput(j_common_ptr) {}

// Encoded bytes pass through a fixed buffer to the sink.
struct TJpegDest {
    jpeg_destination_mgr Mgr;
    TByteSink* Sink = nullptr;
    bool SinkFailed = false;
    JOCTET Buffer[1 << 16];
};

extern "C" void JpegDestInit(j_compress_ptr c)
{
    auto* d = reinterpret_cast<TJpegDest*>(c->dest);
    d->Mgr.next_output_byte = d->Buffer;
    d->Mgr.free_in_buffer = sizeof d->Buffer;
}

extern "C" boolean JpegDestEmpty(j_compress_ptr c)
{
    auto* d = reinterpret_cast<TJpegDest*>(c->dest);
    if (!d->Sink->Put(reinterpret_cast<const char*>(d->Buffer), sizeof d->Buffer)) {
        d->SinkFailed = true;
        ERREXIT(c, JERR_FILE_WRITE);
    }
    d->Mgr.next_output_byte = d->Buffer;
    d->Mgr.free_in_buffer = sizeof d->Buffer;
    return TRUE;
}

extern "C" void JpegDestTerm(j_compress_ptr c)
{
    auto* d = reinterpret_cast<TJpegDest*>(c->dest);
    const size_t n = sizeof d->Buffer - d->Mgr.free_in_buffer;
    if (n > 0 && !d->Sink->Put(reinterpret_cast<const char*>(d->Buffer), n)) {
        d->SinkFailed = true;
        ERREXIT(c, JERR_FILE_WRITE);
    }
}

// The encoder's state; each libjpeg call runs in a frame of its own that holds only plain
// C objects, so an error's jump back skips no destructor.
struct TJpegJob {
    jpeg_compress_struct Info;
    TJpegError Err;
    TJpegDest Dest;
};

bool JpegStart(TJpegJob* j, int width, int height, int quality)
{
    if (setjmp(j->Err.Jump))
        return false;
    jpeg_create_compress(&j->Info);
    j->Dest.Mgr.init_destination = JpegDestInit;
    j->Dest.Mgr.empty_output_buffer = JpegDestEmpty;
    j->Dest.Mgr.term_destination = JpegDestTerm;
    j->Info.dest = &j->Dest.Mgr;
    j->Info.image_width = static_cast<JDIMENSION>(width);
    j->Info.image_height = static_cast<JDIMENSION>(height);
    j->Info.input_components = 4;
    j->Info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&j->Info);
    jpeg_set_quality(&j->Info, quality, TRUE);
    j->Info.dct_method = JDCT_ISLOW;
    jpeg_start_compress(&j->Info, TRUE);
    return true;
}

bool JpegRow(TJpegJob* j, const uint32_t* row)
{
    if (setjmp(j->Err.Jump))
        return false;
    JSAMPROW r = reinterpret_cast<JSAMPROW>(const_cast<uint32_t*>(row));
    if (jpeg_write_scanlines(&j->Info, &r, 1) != 1) {
        std::snprintf(j->Err.Message, JMSG_LENGTH_MAX, "The encoder took no line");
        return false;
    }
    return true;
}

bool JpegFinish(TJpegJob* j)
{
    if (setjmp(j->Err.Jump))
        return false;
    jpeg_finish_compress(&j->Info);
    return true;
}

} // namespace

bool WriteJpeg(TRowSource& src, int quality, TByteSink& sink, std::string& error)
{
    if (SizeError(src, error))
        return false;
    if (src.Width() > kJpegMaxSide || src.Height() > kJpegMaxSide) {
        error = "The picture is too large for a JPEG file (at most 65500 pixels a side)";
        return false;
    }
    auto job = std::make_unique<TJpegJob>();
    std::memset(&job->Info, 0, sizeof job->Info);
    job->Info.err = jpeg_std_error(&job->Err.Mgr);
    job->Err.Mgr.error_exit = JpegErrorExit;
    job->Err.Mgr.output_message = JpegNoOutput;
    job->Err.Message[0] = '\0';
    job->Dest.Sink = &sink;
    bool ok = JpegStart(job.get(), src.Width(), src.Height(), std::clamp(quality, 1, 100));
    bool rowsFailed = false;
    if (ok) {
        ok = src.Rows(false, [&](int, const uint32_t* row) {
            if (JpegRow(job.get(), row))
                return true;
            rowsFailed = true;
            return false;
        });
        if (ok)
            ok = JpegFinish(job.get());
    }
    jpeg_destroy_compress(&job->Info);
    if (!ok) {
        if (job->Dest.SinkFailed)
            error = StopReason(src, sink, "The picture could not be written");
        else if (!rowsFailed && !src.Error().empty())
            error = src.Error();
        else
            error = std::string("JPEG encoder: ") + job->Err.Message;
        return false;
    }
    return true;
}

