#include "tools/kftool/HostText.h"

#include "platform/Error.h"

#ifndef _WIN32
#include "platform/posix/CodePage.h"

#include <memory>
#endif

namespace kftool {

using namespace kf;

namespace {

#ifndef _WIN32
std::unique_ptr<TCodePage> GCodePage;

bool ParseNumber(const std::string& text, int32_t& number)
{
    if (text.empty() || text.size() > 5)
        return false;
    number = 0;
    for (char c : text)
    {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + (c - '0');
    }
    return true;
}
#endif

} // namespace

std::string TakeTextOptions(std::vector<std::string>& args)
{
    bool raw = false;
    std::string codePage;
    for (auto it = args.begin(); it != args.end();)
    {
        if (*it == "--raw")
            raw = true;
        else if (*it == "--codepage")
        {
            if (it + 1 == args.end())
                return "--codepage needs a number";
            it = args.erase(it);
            codePage = *it;
        }
        else if (it->compare(0, 11, "--codepage=") == 0)
            codePage = it->substr(11);
        else
        {
            ++it;
            continue;
        }
        it = args.erase(it);
    }
#ifdef _WIN32
    if (!codePage.empty())
        return "--codepage: this build writes the system's code page, as the builder does";
    (void)raw;
#else
    int32_t number = kDefaultCodePage;
    if (!codePage.empty() && raw)
        return "--raw and --codepage exclude each other";
    if (!codePage.empty() && !ParseNumber(codePage, number))
        return "--codepage takes a number such as 1252, not '" + codePage + "'";
    if (raw)
    {
        UseRawBytes();
        return "";
    }
    try
    {
        UseCodePage(number);
    }
    catch (const TError& error)
    {
        return error.Message();
    }
#endif
    return "";
}

void UseCodePage(int32_t number)
{
#ifdef _WIN32
    (void)number;
    throw TError("this build writes the system's code page, as the builder does");
#else
    std::unique_ptr<TCodePage> codePage = std::make_unique<TCodePage>(number);
    SetNameCodePage(codePage.get());
    GCodePage = std::move(codePage);
#endif
}

void UseRawBytes()
{
#ifndef _WIN32
    SetNameCodePage(nullptr);
    GCodePage.reset();
#endif
}

std::string FromCommandLine(const std::string& word)
{
#ifndef _WIN32
    if (GCodePage)
        return GCodePage->FromHost(word);
#endif
    return word;
}

std::string CommandLineToCodePage(std::vector<std::string>& args)
{
    for (std::string& arg : args)
        try
        {
            arg = FromCommandLine(arg);
        }
        catch (const TError& error)
        {
            return arg + ": " + error.Message(); // as typed: the terminal shows what the code page cannot
        }
    return "";
}

std::string ForTerminal(const std::string& text)
{
#ifndef _WIN32
    if (GCodePage)
        return GCodePage->ToHost(text);
#endif
    return text;
}

} // namespace kftool
