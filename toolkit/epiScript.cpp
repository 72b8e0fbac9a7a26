#include "toolkit/epiScript.h"

#include "toolkit/epiPanel.h"
#include "toolkit/vpaGui.h"

#include <cstdlib>
#include <map>
#include <sstream>

namespace {

bool ParseInt(const std::string& sText, long& nValue)
{
    if (sText.empty())
        return false;
    char* pEnd = nullptr;
    nValue = std::strtol(sText.c_str(), &pEnd, 10);
    return *pEnd == '\0';
}

bool ParseKey(const std::string& sText, int& nKey)
{
    static const std::map<std::string, int> names = {
        { "tab", kEpiKeyTab },
        { "return", kEpiKeyReturn },
        { "backspace", kEpiKeyBackspace },
        { "delete", kEpiKeyDelete },
        { "escape", kEpiKeyEscape },
        { "left", kEpiKeyLeft },
        { "right", kEpiKeyRight },
        { "up", kEpiKeyUp },
        { "down", kEpiKeyDown },
        { "space", ' ' },
    };
    auto it = names.find(sText);
    if (it != names.end()) {
        nKey = it->second;
        return true;
    }
    if (sText.size() == 1) {
        nKey = static_cast<unsigned char>(sText[0]);
        return true;
    }
    long n = 0;
    if (!ParseInt(sText, n) || n < 0 || n > 0xFFFF)
        return false;
    nKey = static_cast<int>(n);
    return true;
}

} // namespace

epiScript::epiScript(vpaGui& window)
    : mWindow(window)
{ }

bool epiScript::Fail(const std::string& sReason)
{
    msError = sReason;
    return false;
}

bool epiScript::Run(const std::string& sScript)
{
    std::istringstream lines(sScript);
    std::string sLine;
    int nLine = 0;
    while (std::getline(lines, sLine)) {
        ++nLine;
        if (!RunLine(sLine)) {
            msError = "line " + std::to_string(nLine) + ": " + msError;
            return false;
        }
    }
    return true;
}

bool epiScript::RunLine(const std::string& sLine)
{
    const std::string sCode = sLine.substr(0, sLine.find('#'));
    std::istringstream words(sCode);
    std::string sVerb;
    if (!(words >> sVerb))
        return true;
    std::vector<std::string> args;
    for (std::string sWord; words >> sWord;)
        args.push_back(sWord);
    std::vector<long> numbers;
    for (const std::string& sArg : args) {
        long n = 0;
        numbers.push_back(ParseInt(sArg, n) ? n : 0);
    }
    auto numeric = [&](size_t nCount) {
        if (args.size() != nCount)
            return false;
        for (const std::string& sArg : args) {
            long n = 0;
            if (!ParseInt(sArg, n))
                return false;
        }
        return true;
    };
    epiInputState& input = mWindow.GetInputState();

    if (sVerb == "down" || sVerb == "move" || sVerb == "click") {
        if (!numeric(2))
            return Fail(sVerb + " needs X Y");
        const int h = static_cast<int>(numbers[0]), v = static_cast<int>(numbers[1]);
        if (sVerb == "move") {
            mWindow.MouseMove(h, v);
            return true;
        }
        mWindow.MouseDown(h, v);
        if (sVerb == "click") {
            input.AdvanceMillis(kTickMillis);
            mWindow.Tick();
            mWindow.MouseUp();
        }
        return true;
    }
    if (sVerb == "up") {
        if (!args.empty())
            return Fail("up takes nothing");
        mWindow.MouseUp();
        return true;
    }
    if (sVerb == "key") {
        int nKey = 0;
        if (args.size() != 1 || !ParseKey(args[0], nKey))
            return Fail("key needs one key");
        mWindow.Key(nKey);
        return true;
    }
    if (sVerb == "shift" || sVerb == "control" || sVerb == "alt") {
        if (args.size() != 1 || (args[0] != "on" && args[0] != "off"))
            return Fail(sVerb + " needs on or off");
        const bool bOn = args[0] == "on";
        if (sVerb == "shift")
            input.SetShift(bOn);
        else if (sVerb == "control")
            input.SetControl(bOn);
        else
            input.SetAlt(bOn);
        return true;
    }
    if (sVerb == "tick") {
        if (!args.empty() && !numeric(1))
            return Fail("tick takes a count");
        const long nTicks = args.empty() ? 1 : numbers[0];
        if (nTicks < 0 || nTicks > 100000)
            return Fail("tick count out of range");
        for (long i = 0; i < nTicks; ++i) {
            input.AdvanceMillis(kTickMillis);
            mWindow.Tick();
        }
        return true;
    }
    if (sVerb == "wait") {
        if (!numeric(1) || numbers[0] < 0)
            return Fail("wait needs milliseconds");
        input.AdvanceMillis(static_cast<uint32_t>(numbers[0]));
        return true;
    }
    if (sVerb == "value") {
        if (!numeric(3))
            return Fail("value needs PANEL CONTROL VALUE");
        epiPanel* pPanel = mWindow.GetPanel(static_cast<int>(numbers[0]));
        if (pPanel == nullptr || pPanel->GetControl(static_cast<int>(numbers[1])) == nullptr)
            return Fail("no such control");
        pPanel->SetControlValue(static_cast<int>(numbers[1]), static_cast<int>(numbers[2]));
        return true;
    }
    if (sVerb == "snap") {
        if (args.size() != 1)
            return Fail("snap needs a name");
        mWindow.Redraw();
        if (mSnapshot && !mSnapshot(mWindow.GetMap(), args[0]))
            return Fail("snapshot " + args[0] + " failed");
        return true;
    }
    return Fail("unknown statement '" + sVerb + "'");
}
