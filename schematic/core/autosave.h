#pragma once
// The autosave file of one schematic window: every stored undo state is appended to it,
// oldest first, each starting with its own header line. Once a state appended to an
// existing file leaves it with 300001 lines or more, the next state starts a new file.
#include "schematic/core/lines.h"

#include <cstdint>
#include <functional>
#include <string>

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

class TAutoSaveFile {
public:
    static constexpr std::size_t RolloverLines = 300001;

    explicit TAutoSaveFile(TClock clock = LocalNow) : clock_(std::move(clock)) {}

    // A name from the clock's time. A name already handed out in this run, or a file that
    // already exists, gets "_2", "_3", ... before ".sch", so two windows made in the same
    // second never write into one file.
    void MakeName(const std::string& folder);
    const std::string& FileName() const { return name_; }

    // Appends the slot (nothing for fewer than 3 lines). The bytes left are those of reading
    // the file as lines, adding the slot and writing it back, but a file this object wrote
    // itself is only appended to. On a failure the file keeps its old content and the
    // result carries a short note. After an append to an existing file reaches the rollover
    // count a new name is made in nextFolder.
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
};
