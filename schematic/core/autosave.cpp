#include "schematic/core/autosave.h"

#include "platform/sys/files.h"
#include "schematic/core/sch_text.h"

#include <zlib.h>

#include <charconv>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

TDateTime LocalNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string ZeroPadStr(int64_t value, int width)
{
    std::string s = std::to_string(value);
    while (static_cast<int>(s.size()) < width)
        s.insert(s.begin(), '0');
    return s;
}

std::string AutoSaveBaseName(const std::string& folder, const TDateTime& t)
{
    std::string name = folder;
    if (name.empty() || name.back() != '/')
        name += '/';
    name += "Sch";
    name += ZeroPadStr(t.Year, 4);
    name += ZeroPadStr(t.Month, 2);
    name += ZeroPadStr(t.Day, 2);
    name += ZeroPadStr(t.Hour, 2);
    name += ZeroPadStr(t.Minute, 2);
    name += ZeroPadStr(t.Second, 2);
    name += ".sch";
    return name;
}

namespace {

bool Exists(const std::string& path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0;
}

// Names handed out in this run; a process-wide set because every window draws from it.
std::string Claim(const std::string& base)
{
    static std::mutex mu;
    static std::set<std::string> used;
    std::lock_guard<std::mutex> lock(mu);
    std::string name = base;
    const std::string stem = base.substr(0, base.size() - 4);
    for (int n = 2; used.count(name) != 0 || Exists(name); ++n)
        name = stem + "_" + std::to_string(n) + ".sch";
    used.insert(name);
    return name;
}

bool WriteAll(int fd, const char* p, std::size_t n)
{
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

// True when every line ends with CR LF and nothing else would change on a rewrite.
bool Canonical(std::string_view s, uint64_t& lines)
{
    lines = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\0')
            return false;
        if (c == '\r') {
            if (i + 1 >= s.size() || s[i + 1] != '\n')
                return false;
            ++lines;
            ++i;
        } else if (c == '\n') {
            return false;
        }
    }
    return s.empty() || (s.size() >= 2 && s[s.size() - 2] == '\r' && s.back() == '\n');
}

// Appends to path (creating it, for the user only) with one write; on any failure the
// file is cut back to its old size. Only a regular file is written: a FIFO put in its
// place is neither waited for nor fed.
bool AppendBytes(const std::string& path, std::string_view bytes, bool existed, uint64_t oldSize)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0600);
    if (fd < 0)
        return false;
    struct stat st{};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    bool ok = WriteAll(fd, bytes.data(), bytes.size());
    if (!ok && existed && ::ftruncate(fd, static_cast<off_t>(oldSize)) != 0) {
        // Nothing more can be done; the old states before oldSize are still there.
    }
    if (::close(fd) != 0)
        ok = false;
    if (!ok && !existed)
        ::unlink(path.c_str());
    return ok;
}

// Writes bytes to the record at path: a fresh record, or a mark added to the one there.
// Only a regular file is written, never through a link. False on any failure, with the
// record then removed, so the autosave file is judged by its text alone rather than by a
// record that misses a state.
bool WriteRecord(const std::string& path, std::string_view bytes, bool fresh)
{
    const int flags = O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW | (fresh ? O_CREAT | O_TRUNC : O_APPEND);
    const int fd = ::open(path.c_str(), flags, 0600);
    bool ok = fd >= 0;
    if (ok) {
        struct stat st{};
        ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && WriteAll(fd, bytes.data(), bytes.size());
        if (::close(fd) != 0)
            ok = false;
    }
    if (!ok) {
        struct stat st{};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            ::unlink(path.c_str());
    }
    return ok;
}

void DropRecord(const std::string& path)
{
    struct stat st{};
    if (::lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
        ::unlink(path.c_str());
}

} // namespace

bool EndsTorn(std::string_view text)
{
    if (const std::size_t z = text.find('\0'); z != std::string_view::npos)
        text = text.substr(0, z);
    if (text.empty())
        return false;
    const char last = text.back();
    if (last == '\n')
        return false;
    if (last == '\r')
        return text.find('\n') != std::string_view::npos;  // CR-only text ends lines with CR
    return true;
}

std::string StateRecordPath(const std::string& autosavePath)
{
    const std::size_t slash = autosavePath.rfind('/');
    const std::size_t at = slash == std::string::npos ? 0 : slash + 1;
    return autosavePath.substr(0, at) + "." + autosavePath.substr(at) + ".states";
}

uint32_t StateCrc(std::string_view bytes)
{
    return static_cast<uint32_t>(
        crc32_z(crc32_z(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
}

std::string StateMarkLine(const TStateMark& mark)
{
    char buf[64];
    char* p = buf;
    const auto put = [&p, &buf](uint64_t v, int base) { p = std::to_chars(p, buf + sizeof buf, v, base).ptr; };
    put(mark.Offset, 10);
    *p++ = ' ';
    put(mark.Length, 10);
    *p++ = ' ';
    put(mark.Crc, 16);
    *p++ = '\n';
    return std::string(buf, static_cast<std::size_t>(p - buf));
}

namespace {

// One "offset length crc" line; false for anything else.
bool ParseMark(std::string_view line, TStateMark& mark)
{
    const char* p = line.data();
    const char* end = p + line.size();
    const auto field = [&p, end](auto& v, int base, bool last) {
        const auto r = std::from_chars(p, end, v, base);
        if (r.ec != std::errc() || r.ptr == p)
            return false;
        p = r.ptr;
        if (last)
            return p == end;
        if (p == end || *p != ' ')
            return false;
        ++p;
        return true;
    };
    return field(mark.Offset, 10, false) && field(mark.Length, 10, false) && field(mark.Crc, 16, true);
}

// A record is small: one line for every state of a file that closes at 300001 lines.
constexpr int64_t kRecordCap = int64_t{16} << 20;

} // namespace

TStateRecord ParseStateRecord(std::string_view bytes)
{
    TStateRecord rec;
    if (bytes.substr(0, kStateRecordHeader.size()) != kStateRecordHeader)
        return rec;
    rec.Present = true;
    bytes.remove_prefix(kStateRecordHeader.size());
    for (;;) {
        const std::size_t nl = bytes.find('\n');
        if (nl == std::string_view::npos)
            break;   // nothing more, or a line cut by a crash
        TStateMark mark;
        if (!ParseMark(bytes.substr(0, nl), mark))
            break;
        rec.Marks.push_back(mark);
        bytes.remove_prefix(nl + 1);
    }
    return rec;
}

TStateRecord ReadStateRecord(const std::string& autosavePath)
{
    std::string bytes, error;
    if (!sys::ReadRegularFile(StateRecordPath(autosavePath), bytes, error, kRecordCap))
        return {};
    return ParseStateRecord(bytes);
}

bool TStateRecord::Confirms(std::string_view text, uint64_t offset) const
{
    // The newest mark for that offset: an earlier one may be of a write that failed.
    for (auto it = Marks.rbegin(); it != Marks.rend(); ++it) {
        if (it->Offset != offset)
            continue;
        if (offset > text.size() || it->Length > text.size() - offset)
            return false;
        return StateCrc(text.substr(offset, it->Length)) == it->Crc;
    }
    return false;
}

namespace {

// Lines of a block that begins with keyword, or 0 for a line that begins none.
std::size_t BlockLines(std::string_view keyword)
{
    if (keyword == "<SHAPE>")
        return 7;
    if (keyword == "<TEXT>" || keyword == "<CTEXT>")
        return 5;
    if (keyword == "<COMPONENT>")
        return 3;
    return 0;
}

} // namespace

TStateList ListStates(const TLines& lines, bool endsTorn, const TStateRecord& record)
{
    TStateList out;
    out.Starts = SnapshotStarts(lines);
    if (out.Starts.empty())
        return out;
    const std::size_t count = lines.Count();
    const std::size_t lastStart = out.Starts.back();
    const std::size_t end = SnapshotEnd(lines, lastStart);
    // We never write a header alone, nor a block in part: either is the end of a cut state.
    bool cut = end == lastStart + 1 && end == count;
    if (end < count) {
        const std::size_t need = BlockLines(lines[end]);
        cut = cut || (need > 0 && count - end < need);
    }
    if (endsTorn) {
        const std::size_t last = count - 1;
        const std::string_view line = lines[last];
        constexpr std::string_view header = "SCHEMATIC";
        // The cut line is where the last state's reading stopped and could be the start of
        // a header: the crash came while a new state was begun, after the last one was whole.
        const bool begunHeader = lastStart != last && line.size() < header.size() &&
                                 header.substr(0, line.size()) == line && end == last;
        cut = cut || !begunHeader;
    }
    if (record.Present && !cut) {
        const std::string_view text = lines.TextView();
        const uint64_t offset = static_cast<uint64_t>(lines[lastStart].data() - text.data());
        cut = !record.Confirms(text, offset);
    }
    out.LastTorn = cut;
    return out;
}

void TAutoSaveFile::MakeName(const std::string& folder)
{
    name_ = Claim(AutoSaveBaseName(folder, clock_()));
    known_ = false;
    size_ = 0;
    lines_ = 0;
    record_ = false;
}

TAutoSaveFile::TResult TAutoSaveFile::Append(const TLines& slot, const std::string& nextFolder)
{
    if (slot.Count() < 3)
        return {};
    const TResult failed{false, " AutoSave failed"};
    if (name_.empty())
        return failed;

    struct stat st{};
    const bool existed = ::stat(name_.c_str(), &st) == 0;
    const std::string_view text = slot.TextView();
    const std::string recordPath = StateRecordPath(name_);
    // The mark of this state, written before the state itself.
    const auto mark = [&](uint64_t offset) { return StateMarkLine({offset, text.size(), StateCrc(text)}); };
    uint64_t total = 0;
    if (!existed) {
        record_ = WriteRecord(recordPath, std::string(kStateRecordHeader) + mark(0), true);
        if (!AppendBytes(name_, text, false, 0)) {
            DropRecord(recordPath);
            record_ = false;
            return failed;
        }
        total = slot.Count();
    } else if (known_ && static_cast<uint64_t>(st.st_size) == size_) {
        if (record_)
            record_ = WriteRecord(recordPath, mark(size_), false);
        if (!AppendBytes(name_, text, true, size_))
            return failed;
        total = lines_ + slot.Count();
    } else {
        // A file we did not leave this way: read it once as lines.
        sys::TByteBuf old;
        std::string error;
        if (!sys::ReadRegularFile(name_, old, error))
            return failed;
        const bool torn = EndsTorn(old.View());
        uint64_t oldLines = 0;
        const bool canonical = Canonical(old.View(), oldLines);
        const uint64_t oldSize = old.size();
        TLines all = TLines::FromBytes(std::move(old));
        const TStateRecord record = ReadStateRecord(name_);
        if (torn || ListStates(all, torn, record).LastTorn) {
            // Appending would make the cut look like a whole state.
            MakeName(nextFolder);
            all.Clear();
            return Append(slot, nextFolder);
        }
        if (canonical) {
            record_ = record.Present && WriteRecord(recordPath, mark(oldSize), false);
            if (!AppendBytes(name_, text, true, oldSize))
                return failed;
            total = oldLines + slot.Count();
        } else {
            all.Append(slot);
            std::string error2;
            if (!sys::WriteFileAtomic(name_, all.TextView(), error2, 0600))
                return failed;
            // The states moved: a record would confirm none of them.
            DropRecord(recordPath);
            record_ = false;
            total = all.Count();
        }
    }

    struct stat after{};
    known_ = ::stat(name_.c_str(), &after) == 0;
    size_ = known_ ? static_cast<uint64_t>(after.st_size) : 0;
    lines_ = total;
    // Only a state added to a file that was there already can close it off: a new file
    // takes the next state too, however long its first one was.
    if (existed && total >= RolloverLines)
        MakeName(nextFolder);
    return {};
}
