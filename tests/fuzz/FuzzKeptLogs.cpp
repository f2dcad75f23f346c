// Hostile kept logs: a run of the setup takes over what the kept logs of its title
// (uninstall.log.~kfkeptN) in the installation folder say, and deletes the kept copies
// they name. The input is up to eight kept logs, split at zero bytes; whatever they
// hold, the trace ends, names each kept log once, and hands over for deletion only
// names that are kept copies of other files than the log.
#include "../installer_Fakes.h"
#include "FuzzSupport.h"

#include <algorithm>
#include <cstdlib>
#include <set>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace kf;
    using namespace kf::installer;
    const std::string log = "C:\\App\\uninstall.log";
    kftest::TFakeSystem system;
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t lines = 0;
    for (size_t start = 0, n = 1; start <= input.size() && n <= 8; ++n)
    {
        size_t end = std::min(input.find('\0', start), input.size());
        std::string bytes = input.substr(start, end - start);
        lines += std::count(bytes.begin(), bytes.end(), '\n') + std::count(bytes.begin(), bytes.end(), '\r') + 1;
        system.Files[KeptCopyPath(log, static_cast<int>(n))] = {kAttrHidden, bytes};
        start = end + 1;
    }
    TEarlierLogs earlier = TraceEarlierLogs(log, KeptCopyPath(log, 1), "Demo", system);
    std::set<std::string> seen;
    for (const std::string& kept : earlier.Logs)
        if (!system.Files.count(kept) || !seen.insert(LowerCaseAscii(kept)).second)
            std::abort();
    for (const std::string& kept : earlier.Files)
    {
        size_t mark = kept.rfind(".~kfkept");
        if (mark == std::string::npos || !IsKeptCopyName(kept.substr(0, mark), kept) ||
            LowerCaseAscii(kept.substr(0, mark)) == LowerCaseAscii(log))
            std::abort();
    }
    if (earlier.Entries.size() > lines)
        std::abort();
    std::vector<std::string> current = {"Title: Demo", "File: C:\\App\\a.txt"};
    if (MergeLogEntries(earlier.Entries, current).size() > earlier.Entries.size() + current.size())
        std::abort();
    return 0;
}
