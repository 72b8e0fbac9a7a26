#include "tools/SkinLayoutSource.h"

#include <cctype>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

const std::map<std::string, int16_t>& Kinds()
{
    static const std::map<std::string, int16_t> kinds = {
        { "static", kEpiKindStatic },
        { "button", kEpiKindButton },
        { "check", kEpiKindCheck },
        { "radio", kEpiKindRadio },
        { "text", kEpiKindText },
        { "edittext", kEpiKindEditText },
        { "rotary", kEpiKindRotary },
        { "meter", kEpiKindMeter },
        { "scroll", kEpiKindScroll },
        { "ledmeter", kEpiKindLedMeter },
        { "range", kEpiKindRange },
        { "segmentmeter", kEpiKindSegmentMeter },
        { "knob", kEpiKindKnob },
        { "hiermenu", kEpiKindHierMenu },
        { "list", kEpiKindList },
        { "rollingtext", kEpiKindRollingText },
    };
    return kinds;
}

// Splits on white space; double quotes group, also after "key=".
bool Tokenise(const std::string& sLine, std::vector<std::string>& tokens)
{
    tokens.clear();
    std::string sToken;
    bool bQuoted = false, bAny = false;
    for (char c : sLine) {
        if (c == '"') {
            bQuoted = !bQuoted;
            bAny = true;
        } else if (!bQuoted && c == '#') {
            break;
        } else if (!bQuoted && std::isspace(static_cast<unsigned char>(c))) {
            if (bAny)
                tokens.push_back(sToken);
            sToken.clear();
            bAny = false;
        } else {
            sToken += c;
            bAny = true;
        }
    }
    if (bAny)
        tokens.push_back(sToken);
    return !bQuoted;
}

bool ToInt(const std::string& s, int& n)
{
    if (s.empty())
        return false;
    char* pEnd = nullptr;
    const long nValue = std::strtol(s.c_str(), &pEnd, 10);
    if (*pEnd != '\0' || nValue < -32768 || nValue > 65535)
        return false;
    n = static_cast<int>(nValue);
    return true;
}

std::vector<std::string> SplitCommas(const std::string& s)
{
    std::vector<std::string> parts;
    std::stringstream stream(s);
    std::string sPart;
    while (std::getline(stream, sPart, ','))
        parts.push_back(sPart);
    return parts;
}

bool ToPair(const std::string& s, int& a, int& b)
{
    const auto parts = SplitCommas(s);
    return parts.size() == 2 && ToInt(parts[0], a) && ToInt(parts[1], b);
}

int AlignOf(const std::string& s)
{
    return s == "left" ? 0 : s == "centre" ? 1 : s == "right" ? 2 : -1;
}

SEpiLayoutItem HiddenItem()
{
    SEpiLayoutItem item {};
    item.iState = kEpiItemHidden;
    item.aiParams[0] = kEpiKindStatic;
    return item;
}

bool ParseItem(const std::vector<std::string>& tokens, SSkinLayoutSource& source, std::string& sWhy)
{
    int nIndex = 0;
    if (!ToInt(tokens[0], nIndex) || nIndex < 0 || nIndex >= source.nCapacity) {
        sWhy = "bad control index " + tokens[0];
        return false;
    }
    if (tokens.size() < 2 || Kinds().count(tokens[1]) == 0) {
        sWhy = "unknown control kind";
        return false;
    }
    auto& items = source.layout.mItems;
    if (items.size() <= static_cast<size_t>(nIndex)) {
        items.resize(static_cast<size_t>(nIndex) + 1, HiddenItem());
        source.itemSources.resize(items.size());
    }
    if (source.itemSources[static_cast<size_t>(nIndex)].nIndex == nIndex) {
        sWhy = "control " + tokens[0] + " given twice";
        return false;
    }
    SEpiLayoutItem item {};
    const int16_t nKind = Kinds().at(tokens[1]);
    item.aiParams[0] = nKind;
    item.iState = (nKind == kEpiKindStatic || nKind == kEpiKindText) ? kEpiItemShown : kEpiItemActive;
    SSkinItemSource itemSource;
    itemSource.nIndex = nIndex;
    bool bPlaced = false;
    for (size_t i = 2; i < tokens.size(); ++i) {
        const std::string& sToken = tokens[i];
        const size_t nEq = sToken.find('=');
        const std::string sKey = sToken.substr(0, nEq);
        const std::string sValue = nEq == std::string::npos ? "" : sToken.substr(nEq + 1);
        int a = 0, b = 0;
        bool bOk = true;
        if (nEq == std::string::npos) {
            bOk = sKey == "well";
            itemSource.bWell = true;
        } else if (sKey == "at") {
            bOk = ToPair(sValue, a, b);
            item.position = SEpiPoint { static_cast<int16_t>(a), static_cast<int16_t>(b) };
            bPlaced = true;
        } else if (sKey == "size") {
            bOk = ToPair(sValue, a, b);
            item.sizeOverride = SEpiPoint { static_cast<int16_t>(a), static_cast<int16_t>(b) };
        } else if (sKey == "offset") {
            bOk = ToPair(sValue, a, b);
            item.aiParams[1] = static_cast<int16_t>(a);
            item.aiParams[2] = static_cast<int16_t>(b);
        } else if (sKey == "casts") {
            itemSource.casts = SplitCommas(sValue);
            bOk = itemSource.casts.size() <= SEpiLayoutItem::kCasts;
        } else if (sKey == "state") {
            bOk = ToInt(sValue, a) && a >= 0 && a <= 2;
            item.iState = static_cast<int16_t>(a);
        } else if (sKey == "tag") {
            bOk = ToInt(sValue, a);
            item.iTag = a;
        } else if (sKey == "name") {
            bOk = sValue.size() < sizeof(item.acName);
            std::strncpy(item.acName, sValue.c_str(), sizeof(item.acName) - 1);
        } else if (sKey == "font") {
            bOk = ToInt(sValue, a) && a >= 0 && a < 20;
            item.anOptions[0] = static_cast<uint8_t>(a);
        } else if (sKey == "align") {
            a = AlignOf(sValue);
            bOk = a >= 0;
            item.anOptions[3] = static_cast<uint8_t>(a);
        } else if (sKey == "maxwidth") {
            bOk = ToInt(sValue, a);
            item.aiParams[3] = static_cast<int16_t>(a);
        } else if (sKey == "label") {
            itemSource.sLabel = sValue;
        } else if (sKey == "scale") {
            bOk = sValue == "uni" || sValue == "bi";
            itemSource.sScale = sValue;
        } else {
            bOk = false;
        }
        if (!bOk) {
            sWhy = "bad item field " + sToken;
            return false;
        }
    }
    if (!bPlaced) {
        sWhy = "control " + tokens[0] + " has no at=";
        return false;
    }
    items[static_cast<size_t>(nIndex)] = item;
    source.itemSources[static_cast<size_t>(nIndex)] = itemSource;
    return true;
}

} // namespace

bool ParseSkinLayout(const std::string& sPath, SSkinLayoutSource& source, std::string& sError)
{
    std::ifstream stream(sPath);
    if (!stream) {
        sError = sPath + ": cannot be read";
        return false;
    }
    source = SSkinLayoutSource {};
    source.sFile = sPath;
    std::string sLine;
    std::vector<std::string> tokens;
    int nLine = 0;
    auto fail = [&](const std::string& sWhy) {
        sError = sPath + ":" + std::to_string(nLine) + ": " + sWhy;
        return false;
    };
    while (std::getline(stream, sLine)) {
        ++nLine;
        if (!Tokenise(sLine, tokens))
            return fail("unterminated quote");
        if (tokens.empty())
            continue;
        const std::string& sWord = tokens[0];
        int a = 0, b = 0, c = 0, d = 0;
        if (sWord == "layout" && tokens.size() == 2 && ToInt(tokens[1], a)) {
            source.nId = a;
        } else if (sWord == "capacity" && tokens.size() == 2 && ToInt(tokens[1], a) && (a == 100 || a == 50)) {
            source.nCapacity = a;
        } else if (sWord == "rect" && tokens.size() == 5 && ToInt(tokens[1], a) && ToInt(tokens[2], b)
            && ToInt(tokens[3], c) && ToInt(tokens[4], d)) {
            source.rect = SEpiRect { static_cast<int16_t>(a), static_cast<int16_t>(b), static_cast<int16_t>(c),
                static_cast<int16_t>(d) };
        } else if (sWord == "background" && tokens.size() == 2) {
            source.sBackground = tokens[1];
        } else if (sWord == "title" && tokens.size() == 2) {
            source.sTitle = tokens[1];
        } else if (sWord == "group" && tokens.size() == 6 && ToInt(tokens[1], a) && ToInt(tokens[2], b)
            && ToInt(tokens[3], c) && ToInt(tokens[4], d)) {
            source.groups.push_back(SSkinGroup { a, b, c, d, tokens[5] });
        } else if (sWord == "label" && (tokens.size() == 4 || tokens.size() == 5) && ToInt(tokens[1], a)
            && ToInt(tokens[2], b)) {
            const int nAlign = tokens.size() == 5 ? AlignOf(tokens[4]) : 1;
            if (nAlign < 0)
                return fail("bad alignment " + tokens[4]);
            source.labels.push_back(SSkinLabel { a, b, tokens[3], nAlign });
        } else if (std::isdigit(static_cast<unsigned char>(sWord[0]))) {
            std::string sWhy;
            if (!ParseItem(tokens, source, sWhy))
                return fail(sWhy);
        } else {
            return fail("cannot read \"" + sLine + "\"");
        }
    }
    if (source.nId < 0)
        return fail("no layout id");
    if (source.rect.IsEmpty())
        return fail("no rect");
    source.layout.mRect = source.rect;
    return true;
}

bool ResolveSkinCasts(SSkinLayoutSource& source, const std::map<std::string, int>& castIds, std::string& sError)
{
    for (size_t i = 0; i < source.itemSources.size(); ++i) {
        const auto& names = source.itemSources[i].casts;
        for (size_t k = 0; k < names.size(); ++k) {
            int nId = 0;
            if (ToInt(names[k], nId)) {
                source.layout.mItems[i].aiCasts[k] = nId;
                continue;
            }
            const auto found = castIds.find(names[k]);
            if (found == castIds.end()) {
                sError = source.sFile + ": control " + std::to_string(i) + " names the unknown cast " + names[k];
                return false;
            }
            source.layout.mItems[i].aiCasts[k] = found->second;
        }
    }
    return true;
}
