#include "builder/build/Script.h"

#include "archive/CompressionManager.h"
#include "platform/Error.h"

#include <memory>

namespace kf {

bool TryParseInteger(const std::string& text, int32_t& value)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == text.size())
        return false;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i)
    {
        if (text[i] < '0' || text[i] > '9')
            return false;
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > int64_t(INT32_MAX) + 1)
            return false;
    }
    int64_t result = negative ? -magnitude : magnitude;
    if (result > INT32_MAX)
        return false;
    value = static_cast<int32_t>(result);
    return true;
}

void SaveScript(const std::string& fileName, const TInstallSettings& settings)
{
    TCompressionManager script(fileName, true, false, false);
    for (const TSettingInfo& info : kSettingTable)
        script.WriteEntryString(info.Name, EncodeSetting(settings, info.Key));
}

namespace {

bool FlagFromInteger(int32_t value) { return (value & 0xFF) != 0; }

int32_t FallbackFor(TSettingKey key)
{
    switch (key)
    {
    case TSettingKey::IncludeMainExe: return 1;
    case TSettingKey::ColorTop: return 4;
    default: return 0; // COLORBOTTOM, BASEDIR
    }
}

void AssignDecoded(TSettingsTarget& target, const TSettingInfo& info, const std::string& text)
{
    int32_t number = 0;
    switch (info.Type)
    {
    case TSettingType::Text: target.AssignText(info.Key, text); break;
    case TSettingType::PathList: target.AssignList(info.Key, SplitLines(text)); break;
    case TSettingType::Flag:
        if (info.Key == TSettingKey::IncludeMainExe)
        {
            if (!TryParseInteger(text, number))
                number = FallbackFor(info.Key);
        }
        else if (!TryParseInteger(text, number))
            throw TError("'" + text + "' is not a valid integer value");
        target.AssignFlag(info.Key, FlagFromInteger(number));
        break;
    case TSettingType::ColorIndex:
    case TSettingType::BaseDirIndex:
    {
        int32_t count = info.Type == TSettingType::ColorIndex ? kColorCount : kBaseDirCount;
        if (!TryParseInteger(text, number) || number < 0 || number >= count)
            number = FallbackFor(info.Key);
        target.AssignIndex(info.Key, number);
        break;
    }
    }
}

} // namespace

bool LoadScript(const std::string& fileName, TSettingsTarget& target, TLoadReport* report)
{
    const TSettingInfo* current = nullptr;
    try
    {
        TCompressionManager script(fileName, false, true, false);
        for (const TSettingInfo& info : kSettingTable)
        {
            current = &info;
            AssignDecoded(target, info, script.ReadEntryString(info.Name));
        }
    }
    catch (const std::exception& error)
    {
        if (report)
        {
            report->Complete = false;
            report->StoppedAt = current ? current->Name : "";
            report->Reason = error.what();
        }
    }
    return true;
}

} // namespace kf
