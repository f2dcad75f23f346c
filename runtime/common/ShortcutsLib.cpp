// The portable half of ShortcutsLib: web targets and ".URL" files.
#include "runtime/common/ShortcutsLib.h"

#include "platform/Error.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

namespace kf {

namespace {

bool StartsWithUpper(const std::string& text, const char* prefix)
{
    size_t i = 0;
    for (; prefix[i]; ++i)
    {
        if (i >= text.size())
            return false;
        char c = text[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != prefix[i])
            return false;
    }
    return true;
}

} // namespace

bool IsURL(const std::string& target)
{
    return StartsWithUpper(target, "HTTP://") || StartsWithUpper(target, "HTTPS://") ||
           StartsWithUpper(target, "FTP://");
}

bool WriteURLFile(const std::string& fileName, const std::string& target)
{
    std::string text = "[InternetShortcut]\r\nURL=" + target + "\r\n";
    bool created = false;
    try
    {
        TFile file(fileName, TFileMode::Create);
        created = true;
        file.WriteExact(text.data(), static_cast<int32_t>(text.size()));
        file.Close();
        return true;
    }
    catch (const TError&)
    {
        // A half-written shortcut would be left behind unlogged.
        if (created)
            RemoveFile(fileName);
        return false;
    }
}

} // namespace kf
