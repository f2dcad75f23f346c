// kftool script show / set: reading and editing installation scripts from the command
// line, decoded and encoded exactly as the builder does.
#include "tools/kftool/KfTool.h"

#include "tools/kftool/HostText.h"

#include "builder/build/Script.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <cstdio>

namespace kftool {

using namespace kf;

namespace {

// Paths of the added-files list are shown and given joined by "|", which no Windows
// path can contain.
constexpr char kListSeparator = '|';

std::string ShowValue(const TInstallSettings& settings, const TSettingInfo& info)
{
    if (info.Type != TSettingType::PathList)
        return EncodeSetting(settings, info.Key);
    std::string joined;
    for (size_t i = 0; i < settings.AddFilesList.size(); ++i)
        joined += (i ? std::string(1, kListSeparator) : std::string()) + settings.AddFilesList[i];
    return joined;
}

// Decodes a command-line value into the record; returns an error text or "".
std::string ApplyValue(TInstallSettings& settings, const TSettingInfo& info, const std::string& value)
{
    TSettingsRecord record(settings);
    int32_t number = 0;
    switch (info.Type)
    {
    case TSettingType::Text: record.AssignText(info.Key, value); return "";
    case TSettingType::Flag:
        if (value == "1" || value == "on" || value == "true")
            record.AssignFlag(info.Key, true);
        else if (value == "0" || value == "off" || value == "false")
            record.AssignFlag(info.Key, false);
        else
            return "a flag takes 1 or 0";
        return "";
    case TSettingType::PathList:
    {
        std::vector<std::string> paths;
        size_t start = 0;
        while (!value.empty() && start <= value.size())
        {
            size_t end = value.find(kListSeparator, start);
            if (end == std::string::npos)
                end = value.size();
            if (end == start)
                return "empty path in the list";
            paths.push_back(value.substr(start, end - start));
            start = end + 1;
        }
        record.AssignList(info.Key, paths);
        return "";
    }
    case TSettingType::ColorIndex:
        if (!TryParseInteger(value, number) || value.find(' ') != std::string::npos || number < 0 ||
            number >= kColorCount)
            return "a colour index is 0 to 15";
        record.AssignIndex(info.Key, number);
        return "";
    case TSettingType::BaseDirIndex:
        for (int32_t i = 0; i < kBaseDirCount; ++i)
            if (value == kBaseDirItems[i])
            {
                record.AssignIndex(info.Key, i);
                return "";
            }
        if (!TryParseInteger(value, number) || value.find(' ') != std::string::npos || number < 0 ||
            number >= kBaseDirCount)
            return "a base directory is 0 to 6 or one of %PROGRAM FILES%, %WINDOWS%, %SYSTEM%, %C ROOT%, "
                   "%DESKTOP%, %FONTS%, Custom";
        record.AssignIndex(info.Key, number);
        return "";
    }
    return "unsupported setting";
}

// Loads an existing script into settings; false (after the message) when it is unusable.
bool LoadExisting(const std::string& path, TInstallSettings& settings)
{
    if (!FileExists(path))
    {
        PrintError(path, IOErrorMessage(kErrFileNotFound));
        return false;
    }
    TSettingsRecord record(settings);
    TLoadReport report;
    LoadScript(path, record, &report);
    if (!report.Complete)
    {
        if (report.StoppedAt.empty())
        {
            PrintError(path, report.Reason);
            return false;
        }
        PrintError(path, "warning: loading stopped at " + report.StoppedAt + " (" + report.Reason +
                             "); it and the later keys show their defaults");
    }
    return true;
}

int Show(const std::vector<std::string>& args)
{
    if (args.size() != 1)
    {
        std::fprintf(stderr, "usage: kftool script show FILE.kfs\n");
        return kExitUsage;
    }
    TInstallSettings settings;
    if (!LoadExisting(args[0], settings))
        return kExitFailure;
    for (const TSettingInfo& info : kSettingTable)
        std::printf("%s=%s\n", info.Name, ForTerminal(ShowValue(settings, info)).c_str());
    return kExitOk;
}

int Set(const std::vector<std::string>& args)
{
    if (args.size() < 2)
    {
        std::fprintf(stderr, "usage: kftool script set FILE.kfs KEY=VALUE...\n");
        return kExitUsage;
    }
    const std::string& path = args[0];
    TInstallSettings settings;
    if (FileExists(path) && !LoadExisting(path, settings))
        return kExitFailure;
    for (size_t i = 1; i < args.size(); ++i)
    {
        size_t equals = args[i].find('=');
        if (equals == std::string::npos || equals == 0)
        {
            PrintError("", "expected KEY=VALUE, got '" + args[i] + "'");
            return kExitUsage;
        }
        std::string key = UpperCaseAscii(args[i].substr(0, equals));
        const TSettingInfo* info = FindSettingByName(key);
        if (!info)
        {
            PrintError("", "unknown setting '" + key + "' (see kftool script show)");
            return kExitUsage;
        }
        std::string problem = ApplyValue(settings, *info, args[i].substr(equals + 1));
        if (!problem.empty())
        {
            PrintError("", key + ": " + problem);
            return kExitUsage;
        }
    }
    try
    {
        SaveScript(path, settings);
    }
    catch (const std::exception& error)
    {
        PrintError(path, error.what());
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace

int RunScript(const std::vector<std::string>& args)
{
    if (!args.empty() && args[0] == "show")
        return Show(std::vector<std::string>(args.begin() + 1, args.end()));
    if (!args.empty() && args[0] == "set")
        return Set(std::vector<std::string>(args.begin() + 1, args.end()));
    std::fprintf(stderr, "usage: kftool script show FILE.kfs\n       kftool script set FILE.kfs KEY=VALUE...\n");
    return kExitUsage;
}

} // namespace kftool
