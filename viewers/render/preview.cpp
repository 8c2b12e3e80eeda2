#include "viewers/render/preview.h"

TPreviewResult MakeThumbnail(const std::string& path, QImage& big, QImage& thumb)
{
    (void)path;
    (void)big;
    (void)thumb;
    return {};
}

TPreviewResult MakeThumbnail(const TLines& lines, QImage& big, QImage& thumb)
{
    (void)lines;
    (void)big;
    (void)thumb;
    return {};
}

bool DrawSnapshot(const TLines& lines, std::size_t startLine, int32_t scale, int width, int height,
                  QImage& out)
{
    (void)lines;
    (void)startLine;
    (void)scale;
    (void)width;
    (void)height;
    (void)out;
    return false;
}

void SmoothDownsize(const QImage& source, QImage& thumb)
{
    (void)source;
    (void)thumb;
}
