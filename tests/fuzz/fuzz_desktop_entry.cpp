// libFuzzer target for the readers of desktop entries, mimeapps.list and MIME globs: any bytes
// must read without a crash; merging a default keeps the other entries and is stable; an
// argument quoted for an Exec line reads back as itself.
#include "platform/sys/desktop_entry.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    using namespace xdg;

    const std::vector<TKeyFileEntry> entries = ParseKeyFile(text);
    for (const TKeyFileEntry& e : entries) {
        const std::string value = UnescapeValue(e.Value);
        SplitList(e.Value);
        TExecArgs args;
        args.Files = {"/f"};
        std::vector<std::string> argv;
        std::string error;
        if (ExpandExec(value, args, argv, error))
            Check(!argv.empty());
    }

    const std::string merged = MergeDefaultApp(text, "application/x-t", "t.desktop");
    Check(MergeDefaultApp(merged, "application/x-t", "t.desktop") == merged);
    std::string v;
    Check(FindValue(ParseKeyFile(merged), "Default Applications", "application/x-t", v));
    Check(SplitList(v).front() == "t.desktop");

    for (const TGlob& g : ParseGlobs2(text))
        GlobMatches(g, "name.sch");

    // The bytes as one program path (NUL cannot be in a path).
    if (text.find('\0') == std::string_view::npos && !text.empty()) {
        const std::string line = UnescapeValue(EscapeValue(QuoteExecArg(text) + " %f"));
        TExecArgs args;
        args.Files = {"/f"};
        std::vector<std::string> argv;
        std::string error;
        Check(ExpandExec(line, args, argv, error));
        Check(argv.size() == 2 && argv[0] == text && argv[1] == "/f");
    }
    return 0;
}
