#pragma once
// The autosave file of one schematic window: every stored undo state is appended to it,
// oldest first, each starting with its own header line. Once a state appended to an
// existing file leaves it with 300001 lines or more, the next state starts a new file.
#include "schematic/core/lines.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct TDateTime {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
};
using TClock = std::function<TDateTime()>;
TDateTime LocalNow();

// Decimal form with "0" put in front until it has the width; a longer number is not cut.
std::string ZeroPadStr(int64_t value, int width);

// folder + "/" (when missing) + "Sch" + YYYYMMDDhhmmss + ".sch".
std::string AutoSaveBaseName(const std::string& folder, const TDateTime& t);

// Every state is written with one call and ends with CR LF, so a crash in the middle of an
// append leaves the file stopping inside a line. True when text, as far as the readers take
// it (up to a NUL), ends without a line terminator, or with a CR whose LF never came in a
// text whose lines end in LF.
bool EndsTorn(std::string_view text);

// The states of a text of one or more snapshots (an autosave file), by the line of their
// header, oldest first. LastTorn: the last of them was cut short, so it must not be taken
// for the newest whole state: the text ends torn inside it, or it ends in a header alone or
// in a block whose lines run past the end (our writers never leave either), or a record is
// present and does not confirm it. A cut inside the header of a state that was only begun
// leaves every listed state whole. Without a record, a cut that falls exactly between two
// blocks cannot be told from a smaller whole state.
struct TStateList;

// Beside every autosave file it makes, the appender keeps a small record of the states it
// puts there: where each begins, its length in bytes and its CRC-32. A state is recorded
// before its bytes are written, so a newest state that the record does not confirm byte for
// byte was cut off, wherever the cut fell (also exactly after a whole block, where the text
// alone reads as a smaller whole drawing). The autosave file itself holds only states.
// The record is a hidden file named after the autosave file: ".NAME.states".
std::string StateRecordPath(const std::string& autosavePath);

struct TStateMark {
    uint64_t Offset = 0;
    uint64_t Length = 0;
    uint32_t Crc = 0;
};
struct TStateRecord {
    // False when there is no readable record: the file is judged by its text alone.
    bool Present = false;
    std::vector<TStateMark> Marks;
    // The state beginning at byte offset of text is there whole, as it was recorded.
    bool Confirms(std::string_view text, uint64_t offset) const;
};
// The record of the autosave file at autosavePath. A line cut by a crash ends it.
TStateRecord ReadStateRecord(const std::string& autosavePath);
TStateRecord ParseStateRecord(std::string_view bytes);
std::string StateMarkLine(const TStateMark& mark);
inline constexpr std::string_view kStateRecordHeader = "STATES 1\n";
// CRC-32 as zlib computes it.
uint32_t StateCrc(std::string_view bytes);

struct TStateList {
    std::vector<std::size_t> Starts;
    bool LastTorn = false;
    // The newest whole state's header line; -1 when there is none.
    long long NewestWhole() const
    {
        const std::size_t whole = Starts.size() - (LastTorn ? 1 : 0);
        return whole == 0 ? -1 : static_cast<long long>(Starts[whole - 1]);
    }
};
TStateList ListStates(const TLines& lines, bool endsTorn, const TStateRecord& record = {});

class TAutoSaveFile {
public:
    static constexpr std::size_t RolloverLines = 300001;

    explicit TAutoSaveFile(TClock clock = LocalNow) : clock_(std::move(clock)) {}

    // A name from the clock's time. A name already handed out in this run, or a file that
    // already exists, gets "_2", "_3", ... before ".sch", so two windows made in the same
    // second never write into one file.
    void MakeName(const std::string& folder);
    const std::string& FileName() const { return name_; }

    // Appends the slot (nothing for fewer than 3 lines) with one write. The bytes left are
    // those of reading the file as lines, adding the slot and writing it back, but a file
    // this object wrote itself is only appended to. A file left torn by a crash is not
    // written to: the state starts a new file, so the cut stays where the viewer can see it.
    // The state record beside a file this object made is kept up to date; a file that came
    // without one gets none.
    // New files are the user's only (0600). On a failure the file keeps its old content and
    // the result carries a short note. After an append to an existing file reaches the
    // rollover count a new name is made in nextFolder.
    struct TResult {
        bool Ok = true;
        std::string Note;
    };
    TResult Append(const TLines& slot, const std::string& nextFolder);

private:
    TClock clock_;
    std::string name_;
    bool known_ = false;          // size_ and lines_ describe the file as we left it
    uint64_t size_ = 0;
    uint64_t lines_ = 0;
    bool record_ = false;         // the file has a record that we keep
};
